#include "BundlePasteboardFormat.h"

namespace vantrel {

namespace {

struct FormatTexts {
    BundlePasteboardFormat format;
    const char* raw;
    const char* title;
    const char* detail;
};

// In declaration order, which is also the order pickers and menus list them in.
const FormatTexts formatTable[] = {
    {BundlePasteboardFormat::claudeCodeV1, "claudeCodeV1", "Claude Code v1 (2 files + image)",
     "Fallback: image + @capture1.md."},
    {BundlePasteboardFormat::claudeCodeV2, "claudeCodeV2",
     "Claude Code v2 (image + text, no @file)",
     "Best for Claude Code: image + AX text in one paste."},
    {BundlePasteboardFormat::experimentA, "experimentA", "Experiment A (2 files, no image)",
     "A/B only — same pasteboard as Cursor v1."},
    {BundlePasteboardFormat::experimentB, "experimentB", "Experiment B (1 file + image)",
     "A/B only — one file URL + image."},
    {BundlePasteboardFormat::cursorV1, "cursorV1", "Cursor v1 (2 files, no image)",
     "Superseded — Cursor showed image only."},
    {BundlePasteboardFormat::cursorV2, "cursorV2", "Cursor v2 (1 file + rich text)",
     "Best for Cursor + Codex: @capture1.md + text."},
    {BundlePasteboardFormat::legacyFileOnly, "legacyFileOnly", "Legacy (1 file only)",
     "Old bundle paste — one @file only."},
};

const FormatTexts& textsFor(BundlePasteboardFormat format) {
    return formatTable[static_cast<int>(format)];
}

} // namespace

QList<BundlePasteboardFormat> allBundlePasteboardFormats() {
    QList<BundlePasteboardFormat> formats;
    for (const FormatTexts& texts : formatTable)
        formats.append(texts.format);
    return formats;
}

QString rawValue(BundlePasteboardFormat format) {
    return QString::fromUtf8(textsFor(format).raw);
}

std::optional<BundlePasteboardFormat> bundlePasteboardFormatFromRaw(const QString& raw) {
    for (const FormatTexts& texts : formatTable) {
        if (raw == QLatin1String(texts.raw))
            return texts.format;
    }
    return std::nullopt;
}

QString title(BundlePasteboardFormat format) {
    return QString::fromUtf8(textsFor(format).title);
}

QString detail(BundlePasteboardFormat format) {
    return QString::fromUtf8(textsFor(format).detail);
}

} // namespace vantrel
