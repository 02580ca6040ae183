#include "CaptureMode.h"

namespace vantrel {

QList<CaptureMode> allCaptureModes() {
    return {CaptureMode::bundle, CaptureMode::screenshot, CaptureMode::tree};
}

QString rawValue(CaptureMode mode) {
    switch (mode) {
    case CaptureMode::bundle:
        return QStringLiteral("bundle");
    case CaptureMode::screenshot:
        return QStringLiteral("screenshot");
    case CaptureMode::tree:
        return QStringLiteral("tree");
    }
    Q_UNREACHABLE();
}

std::optional<CaptureMode> captureModeFromRaw(const QString& raw) {
    for (CaptureMode mode : allCaptureModes()) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

QString title(CaptureMode mode) {
    switch (mode) {
    case CaptureMode::bundle:
        return QStringLiteral("Full capture");
    case CaptureMode::screenshot:
        return QStringLiteral("Screenshot only");
    case CaptureMode::tree:
        return QStringLiteral("Text tree");
    }
    Q_UNREACHABLE();
}

QString menuTitle(CaptureMode mode) {
    switch (mode) {
    case CaptureMode::bundle:
        return QStringLiteral("Full capture (for agents)");
    case CaptureMode::screenshot:
        return QStringLiteral("Screenshot only");
    case CaptureMode::tree:
        return QStringLiteral("Text tree (cloud chat)");
    }
    Q_UNREACHABLE();
}

QString detail(CaptureMode mode) {
    switch (mode) {
    case CaptureMode::bundle:
        return QStringLiteral("Screenshot + UI text — paste into Cursor, Claude Code, or Codex.");
    case CaptureMode::screenshot:
        return QStringLiteral("Image on clipboard only.");
    case CaptureMode::tree:
        return QStringLiteral("Accessibility JSON as text — for Grok or browser chat.");
    }
    Q_UNREACHABLE();
}

} // namespace vantrel
