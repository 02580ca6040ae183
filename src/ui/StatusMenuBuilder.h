#pragma once

#include "StatusMenu.h"
#include "output/AgentPasteTarget.h"
#include "output/CaptureMode.h"
#include "platform/PlatformVocabulary.h"

namespace vantrel {

// Builds the status menu and the status item's tooltip from the current settings and permissions.
struct StatusMenuBuilder {
    struct State {
        bool accessibilityGranted = false;
        bool screenRecordingGranted = false;
        CaptureMode mode = CaptureMode::bundle;
        AgentPasteTarget agent = AgentPasteTarget::claudeCode;
    };

    static StatusMenu build(const State& state, const PlatformVocabulary& vocabulary);
    static QString toolTip(AgentPasteTarget agent, const PlatformVocabulary& vocabulary);

  private:
    static void addPermissionWarnings(QList<StatusMenuItem>& items, const State& state);
    static StatusMenuItem modeMenu(CaptureMode current);
    static StatusMenuItem agentMenu(AgentPasteTarget current);
};

} // namespace vantrel
