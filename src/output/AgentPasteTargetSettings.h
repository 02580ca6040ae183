#pragma once

#include "AgentPasteTarget.h"

namespace vantrel {

class NotificationCenter;
class UserDefaults;

// The stored agent. Without a valid stored agent it is derived from the pasteboard format.
struct AgentPasteTargetSettings {
    static inline const QString defaultsKey = QStringLiteral("vantrel.agentPasteTarget");
    static inline const QString targetDidChangeNotification =
        QStringLiteral("vantrel.agentPasteTargetDidChange");

    static AgentPasteTarget target(const UserDefaults& defaults);
    // Also selects the agent's preferred pasteboard format; that format's notification is posted
    // before the agent's.
    static void setTarget(UserDefaults& defaults, NotificationCenter& center,
                          AgentPasteTarget target);
};

} // namespace vantrel
