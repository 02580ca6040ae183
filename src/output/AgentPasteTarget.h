#pragma once

#include "BundlePasteboardFormat.h"
#include "platform/PlatformVocabulary.h"

#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

// The local coding agent the paste is prepared for.
enum class AgentPasteTarget { cursor, claudeCode, codex };

QList<AgentPasteTarget> allAgentPasteTargets();
QString rawValue(AgentPasteTarget target);
std::optional<AgentPasteTarget> agentPasteTargetFromRaw(const QString& raw);
QString title(AgentPasteTarget target);
// Names the paste key, so it is worded for the desktop we run on.
QString detail(AgentPasteTarget target, const PlatformVocabulary& vocabulary);
BundlePasteboardFormat preferredPasteboardFormat(AgentPasteTarget target);

} // namespace vantrel
