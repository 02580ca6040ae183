#include "AgentPasteTarget.h"

namespace vantrel {

QList<AgentPasteTarget> allAgentPasteTargets() {
    return {AgentPasteTarget::cursor, AgentPasteTarget::claudeCode, AgentPasteTarget::codex};
}

QString rawValue(AgentPasteTarget target) {
    switch (target) {
    case AgentPasteTarget::cursor:
        return QStringLiteral("cursor");
    case AgentPasteTarget::claudeCode:
        return QStringLiteral("claudeCode");
    case AgentPasteTarget::codex:
        return QStringLiteral("codex");
    }
    Q_UNREACHABLE();
}

std::optional<AgentPasteTarget> agentPasteTargetFromRaw(const QString& raw) {
    for (AgentPasteTarget target : allAgentPasteTargets()) {
        if (rawValue(target) == raw)
            return target;
    }
    return std::nullopt;
}

QString title(AgentPasteTarget target) {
    switch (target) {
    case AgentPasteTarget::cursor:
        return QStringLiteral("Cursor");
    case AgentPasteTarget::claudeCode:
        return QStringLiteral("Claude Code");
    case AgentPasteTarget::codex:
        return QStringLiteral("Codex");
    }
    Q_UNREACHABLE();
}

QString detail(AgentPasteTarget target, const PlatformVocabulary& vocabulary) {
    const QString paste = QStringLiteral("Paste with ") + vocabulary.pasteKey;
    switch (target) {
    case AgentPasteTarget::cursor:
        return paste + QStringLiteral(" in Cursor chat.");
    case AgentPasteTarget::claudeCode:
        return paste + QStringLiteral(" in Claude Code desktop.");
    case AgentPasteTarget::codex:
        return paste + QStringLiteral(" in Codex (same as Cursor).");
    }
    Q_UNREACHABLE();
}

BundlePasteboardFormat preferredPasteboardFormat(AgentPasteTarget target) {
    return target == AgentPasteTarget::claudeCode ? BundlePasteboardFormat::claudeCodeV2
                                                  : BundlePasteboardFormat::cursorV2;
}

} // namespace vantrel
