#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

// How a full capture is laid out on the pasteboard.
enum class BundlePasteboardFormat {
    claudeCodeV1,
    claudeCodeV2,
    experimentA,
    experimentB,
    cursorV1,
    cursorV2,
    legacyFileOnly,
};

QList<BundlePasteboardFormat> allBundlePasteboardFormats();
QString rawValue(BundlePasteboardFormat format);
std::optional<BundlePasteboardFormat> bundlePasteboardFormatFromRaw(const QString& raw);
QString title(BundlePasteboardFormat format);
QString detail(BundlePasteboardFormat format);

} // namespace vantrel
