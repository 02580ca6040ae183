#include "CaptureDocuments.h"

#include "AgentPasteTargetSettings.h"
#include "CaptureModeSettings.h"
#include "SnapshotJsonText.h"
#include "accessibility/ToolkitAdvice.h"
#include "platform/Clock.h"

#include <QStringList>

namespace vantrel {

namespace {

QString path(const QUrl& url) {
    return url.toLocalFile();
}

QString quoted(const QString& text) {
    return u'`' + text + u'`';
}

void appendFullJSON(QStringList& lines, const std::optional<QString>& text) {
    if (!text)
        return;
    lines << QStringLiteral("## Full AX JSON") << QStringLiteral("```json")
          << SnapshotJsonText::truncated(*text, CaptureDocuments::stableJsonClusterLimit)
          << QStringLiteral("```");
}

// Inline only when small; otherwise point at the file rather than embed a fragment.
void appendExperimentalFullJSON(QStringList& lines, const std::optional<QString>& text,
                                const QUrl& accessibilityURL) {
    if (!text)
        return;
    lines << QStringLiteral("## Full AX JSON");
    if (text->toUtf8().size() <= CaptureDocuments::experimentalJsonByteLimit)
        lines << QStringLiteral("```json") << *text << QStringLiteral("```");
    else
        lines << QStringLiteral("Read file: ") + quoted(path(accessibilityURL));
}

} // namespace

CaptureDocuments::CaptureDocuments(const Clock& clock, const UserDefaults& defaults)
    : m_clock(clock), m_defaults(defaults) {}

QString CaptureDocuments::capturedAt() const {
    return m_clock.now().toUTC().toString(Qt::ISODateWithMs);
}

QString CaptureDocuments::stableCaptureText(const CapturedAccessibility& accessibility,
                                            const CaptureDocumentPaths& paths,
                                            const std::optional<QString>& accessibilityJson) const {
    const QString folder = path(paths.bundleDirectory);
    const QString json = path(paths.accessibilityURL);
    QStringList lines;
    lines << QStringLiteral("# Vantrel capture") << QString()
          << QStringLiteral("Format: stable (`capture.md`)")
          << QStringLiteral("Captured: ") + capturedAt()
          << QStringLiteral("Target: ") + accessibility.summary << QString()
          << QStringLiteral("[VANTREL]")
          << QStringLiteral("Simple bundle — read **this file** first. Full bundle folder: ") +
                 quoted(folder)
          << QString() << QStringLiteral("## For local agents (Cursor, Claude Code)")
          << QStringLiteral("Attach or Read:")
          << QStringLiteral("- ") + quoted(path(paths.stableCaptureURL));
    if (paths.screenshotURL)
        lines << QStringLiteral("- ") + quoted(path(*paths.screenshotURL)) +
                     QStringLiteral(" (screenshot)");
    lines << QStringLiteral("- ") + quoted(json) + QStringLiteral(" (accessibility JSON)")
          << QString() << QStringLiteral("## Accessibility summary") << accessibility.inlinePreview
          << QString();
    appendFullJSON(lines, accessibilityJson);
    lines << QString() << QStringLiteral("## Full bundle assets");
    if (paths.screenshotURL)
        lines << QStringLiteral("- screenshot.png — ") + quoted(path(*paths.screenshotURL));
    lines << QStringLiteral("- accessibility.json — ") + quoted(json)
          << QStringLiteral("- capture.md — stable simple bundle")
          << QStringLiteral("- capture1.md — experimental simple bundle") << QString()
          << QStringLiteral("Remote agents (Grok, cloud): use **Tree mode** for inline JSON.");
    return lines.join(u'\n');
}

QString
CaptureDocuments::experimentalCaptureText(const CapturedAccessibility& accessibility,
                                          const CaptureDocumentPaths& paths,
                                          const std::optional<QString>& accessibilityJson) const {
    QString pasteTo =
        QStringLiteral("Paste to: ") + title(AgentPasteTargetSettings::target(m_defaults)) +
        QStringLiteral(" · mode: ") + title(CaptureModeSettings::primaryMode(m_defaults));
    if (accessibility.regionNote)
        pasteTo += QStringLiteral(" · ") + *accessibility.regionNote;

    QStringList lines;
    lines << QStringLiteral("# Vantrel capture (format 1)") << QString() << pasteTo << QString()
          << QStringLiteral("Target: ") + accessibility.summary
          << QStringLiteral("Captured: ") + capturedAt();
    if (const ToolkitAdvice::Entry* cause = ToolkitAdvice::emptyTreeCause(accessibility))
        lines << ToolkitAdvice::emptyTreeExplanation(*cause);
    if (paths.screenshotURL)
        lines << QStringLiteral("Screenshot: ") + path(*paths.screenshotURL);
    lines << QStringLiteral("Accessibility JSON: ") + path(paths.accessibilityURL)
          << QStringLiteral("Bundle folder: ") + path(paths.bundleDirectory) << QString()
          << QStringLiteral("## Accessibility summary") << accessibility.inlinePreview << QString();
    appendExperimentalFullJSON(lines, accessibilityJson, paths.accessibilityURL);
    lines << QString() << QStringLiteral("Stable fallback: ") + path(paths.stableCaptureURL);
    return lines.join(u'\n');
}

} // namespace vantrel
