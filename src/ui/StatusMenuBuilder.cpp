#include "StatusMenuBuilder.h"

namespace vantrel {

namespace {

StatusMenuItem item(const QString& title, StatusMenuAction action, const QString& icon = {}) {
    StatusMenuItem made;
    made.title = title;
    made.action = action;
    made.iconName = icon;
    return made;
}

StatusMenuItem withKey(StatusMenuItem made, const QString& key) {
    made.key = key;
    return made;
}

} // namespace

StatusMenu StatusMenuBuilder::build(const State& state, const PlatformVocabulary& vocabulary) {
    QList<StatusMenuItem> items;
    addPermissionWarnings(items, state);
    items << modeMenu(state.mode) << agentMenu(state.agent) << StatusMenuItem::separator()
          << item(QStringLiteral("Copy Window (") + vocabulary.copyHotKey + QStringLiteral(")"),
                  StatusMenuAction::copyNow)
          << item(QStringLiteral("Copy Area (") + vocabulary.regionHotKey + QStringLiteral(")"),
                  StatusMenuAction::copyRegion)
          << StatusMenuItem::separator()
          << item(QStringLiteral("Open Latest Bundle"), StatusMenuAction::openLatestBundle)
          << StatusMenuItem::separator()
          << item(QStringLiteral("About Vantrel"), StatusMenuAction::showAbout,
                  QStringLiteral("info.circle"))
          << item(QStringLiteral("Setup Assistant…"), StatusMenuAction::showOnboarding,
                  QStringLiteral("wand.and.rays"))
          << withKey(item(QStringLiteral("Settings…"), StatusMenuAction::openSettings),
                     QStringLiteral(","))
          << StatusMenuItem::separator()
          << item(QStringLiteral("Vantrel Website"), StatusMenuAction::openProductPage,
                  QStringLiteral("globe"))
          << item(QStringLiteral("Documentation"), StatusMenuAction::openDocumentation,
                  QStringLiteral("book"))
          << item(QStringLiteral("Send Feedback"), StatusMenuAction::openFeedbackPage,
                  QStringLiteral("envelope"))
          << item(QStringLiteral("Check for Updates…"), StatusMenuAction::checkForUpdates,
                  QStringLiteral("arrow.down.circle"))
          << item(QStringLiteral("More by Quendale Software"), StatusMenuAction::openMoreApps,
                  QStringLiteral("square.grid.2x2"))
          << StatusMenuItem::separator()
          << withKey(item(QStringLiteral("Quit Vantrel"), StatusMenuAction::quit),
                     QStringLiteral("q"));
    return {items};
}

QString StatusMenuBuilder::toolTip(AgentPasteTarget agent, const PlatformVocabulary& vocabulary) {
    return QStringLiteral("Vantrel — ") + vocabulary.copyHotKey + QStringLiteral(" window · ") +
           vocabulary.regionHotKey + QStringLiteral(" area · Paste to ") + title(agent);
}

void StatusMenuBuilder::addPermissionWarnings(QList<StatusMenuItem>& items, const State& state) {
    if (state.accessibilityGranted && state.screenRecordingGranted)
        return;
    auto warning = [](const QString& title) {
        StatusMenuItem made;
        made.title = QStringLiteral("⚠︎ ") + title;
        made.enabled = false;
        return made;
    };
    if (!state.accessibilityGranted)
        items << warning(QStringLiteral("Accessibility not granted"));
    if (!state.screenRecordingGranted)
        items << warning(QStringLiteral("Screen Recording not granted"));
    items << item(QStringLiteral("Open Setup Assistant…"), StatusMenuAction::showOnboarding)
          << StatusMenuItem::separator();
}

StatusMenuItem StatusMenuBuilder::modeMenu(CaptureMode current) {
    StatusMenuItem menu;
    menu.title = QStringLiteral("Capture Mode");
    for (const CaptureMode mode : allCaptureModes()) {
        StatusMenuItem choice = item(menuTitle(mode), StatusMenuAction::setCaptureMode);
        choice.argument = rawValue(mode);
        choice.checked = mode == current;
        menu.submenu << choice;
    }
    return menu;
}

StatusMenuItem StatusMenuBuilder::agentMenu(AgentPasteTarget current) {
    StatusMenuItem menu;
    menu.title = QStringLiteral("Paste To ▸ ") + title(current);
    for (const AgentPasteTarget agent : allAgentPasteTargets()) {
        StatusMenuItem choice = item(title(agent), StatusMenuAction::setAgentPasteTarget);
        choice.argument = rawValue(agent);
        choice.checked = agent == current;
        menu.submenu << choice;
    }
    return menu;
}

} // namespace vantrel
