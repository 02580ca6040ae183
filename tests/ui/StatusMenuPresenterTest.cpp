// The status menu presenter on a simulated desktop with both permissions granted: what a chosen
// item does, how the menu and tooltip follow the settings, and the tray that shows them.
#include "ui/StatusMenuPresenter.h"
#include "UiSession.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/StandardLocations.h"
#include "ui/ProductLinks.h"
#include "ui/StatusLine.h"
#include "ui/widgets/TrayIcon.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

const StatusMenuItem* findMenuItem(const QList<StatusMenuItem>& items, const QString& title) {
    for (const StatusMenuItem& item : items) {
        if (item.title == title)
            return &item;
        if (const StatusMenuItem* inner = findMenuItem(item.submenu, title))
            return inner;
    }
    return nullptr;
}

class StatusMenuPresenterTest : public ::testing::Test, protected vantrel::testing::UiSession {
  protected:
    StatusMenuPresenterTest() : UiSession(true) {
        const auto log = [this](const char* request) {
            return [this, request] { requests.append(request); };
        };
        QObject::connect(&presenter, &StatusMenuPresenter::copyNowRequested, log("copy window"));
        QObject::connect(&presenter, &StatusMenuPresenter::copyRegionRequested, log("copy area"));
        QObject::connect(&presenter, &StatusMenuPresenter::setupAssistantRequested, log("setup"));
        QObject::connect(&presenter, &StatusMenuPresenter::settingsRequested, log("settings"));
        QObject::connect(&presenter, &StatusMenuPresenter::aboutRequested, log("about"));
        QObject::connect(&presenter, &StatusMenuPresenter::quitRequested, log("quit"));
        presenter.refreshToolTip();
        presenter.rebuildStatusMenu();
        presenter.installObservers();
    }

    const StatusMenuItem* item(const QString& title) {
        return findMenuItem(presenter.statusMenu().items, title);
    }
    void choose(const QString& title) {
        ASSERT_TRUE(item(title)) << title.toStdString();
        presenter.perform(*item(title));
    }
    QStringList urls() const {
        QStringList opened;
        for (const QUrl& url : desktop.openedURLs())
            opened.append(url.toString());
        return opened;
    }

    StatusLine statusLine{QString()};
    StatusMenuPresenter presenter{{defaults, center, permissions, platform.accessibility,
                                   platform.screenCapture, platform.workspace, platform.updater,
                                   statusLine, platform.vocabulary}};
    QStringList requests;
};

} // namespace

TEST_F(StatusMenuPresenterTest, OpenLatestBundle) {
    const QString root = StandardLocations::cachesDirectory() + "/Vantrel";
    QDir(root).removeRecursively(); // what the tray tests captured in this process's home
    choose("Open Latest Bundle");
    EXPECT_EQ(statusLine.text(), "No bundle yet. Set mode to Bundle and press ⌃⌥C.");
    EXPECT_TRUE(urls().isEmpty());

    ASSERT_TRUE(QDir().mkpath(root + "/captures/one"));
    ASSERT_TRUE(QFile::link(root + "/captures/one", root + "/latest"));
    statusLine.set("before");
    choose("Open Latest Bundle");
    EXPECT_EQ(statusLine.text(), "before");
    EXPECT_EQ(urls(), QStringList{QUrl::fromLocalFile(root + "/latest/").toString()});
    QDir(root).removeRecursively();
}

TEST_F(StatusMenuPresenterTest, ChoosingModeAndAgentFromTheMenuOrElsewhere) {
    choose("Screenshot only");
    EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), CaptureMode::screenshot);
    EXPECT_TRUE(item("Screenshot only")->checked);
    EXPECT_FALSE(item("Full capture (for agents)")->checked);
    EXPECT_EQ(statusLine.text(), "Mode set to Screenshot only. Press ⌃⌥C over the target UI.");

    choose("Codex");
    EXPECT_TRUE(item("Paste To ▸ Codex"));
    EXPECT_TRUE(presenter.toolTip().endsWith("Paste to Codex"));
    EXPECT_EQ(statusLine.text(), "Paste to Codex. Press ⌃⌥C, then ⌘V.");

    // Unknown values change nothing.
    const QString before = statusLine.text();
    presenter.setCaptureMode("video");
    presenter.setAgentPasteTarget("");
    EXPECT_EQ(statusLine.text(), before);
    EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), CaptureMode::screenshot);

    // Changes made elsewhere reach the menu and the tooltip.
    AgentPasteTargetSettings::setTarget(defaults, center, AgentPasteTarget::cursor);
    EXPECT_TRUE(item("Paste To ▸ Cursor"));
    EXPECT_TRUE(presenter.toolTip().endsWith("Paste to Cursor"));
    CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::tree);
    EXPECT_TRUE(item("Text tree (cloud chat)")->checked);
}

// Links and updates are run here; captures, windows and quitting are asked for.
TEST_F(StatusMenuPresenterTest, LinksUpdatesAndRequests) {
    choose("Vantrel Website");
    choose("Documentation");
    choose("Send Feedback");
    choose("More by Quendale Software");
    EXPECT_EQ(urls(),
              (QStringList{ProductLinks::website + "/vantrel/",
                           ProductLinks::website + "/vantrel/documentation/",
                           ProductLinks::website + "/contact-us/", ProductLinks::website + "/"}));
    EXPECT_EQ(ProductLinks::website, "https://www.quendale.com");
    const int checks = desktop.updater().checkCount();
    choose("Check for Updates…");
    EXPECT_EQ(desktop.updater().checkCount(), checks + 1);
    EXPECT_TRUE(requests.isEmpty());
    for (const char* title : {"Copy Window (⌃⌥C)", "Copy Area (⌃⌥R)", "Setup Assistant…",
                              "Settings…", "About Vantrel", "Quit Vantrel"})
        choose(title);
    EXPECT_EQ(requests,
              (QStringList{"copy window", "copy area", "setup", "settings", "about", "quit"}));
}

TEST_F(StatusMenuPresenterTest, ThePermissionLineSaysWhatIsMissing) {
    presenter.updatePermissionStatus();
    EXPECT_EQ(statusLine.text(), "Ready. Accessibility ✓, Screen Recording ✓. Mode: Full capture "
                                 "(for agents). Press ⌃⌥C.");
    desktop.setAccessibilityTrusted(false);
    desktop.setScreenRecordingGranted(false);
    presenter.updatePermissionStatus();
    EXPECT_EQ(statusLine.text(), "Accessibility ✗, Screen Recording ✗. Grant missing access in "
                                 "System Settings — Vantrel picks it up on its own.");
    EXPECT_FALSE(presenter.permissionsGranted());
}

namespace {

// One line an entry: title, "off" when disabled, "✓" when checked, its shortcut; submenus inline.
QStringList menuLines(const QMenu& menu) {
    QStringList shown;
    for (QAction* action : menu.actions()) {
        shown << (action->isSeparator()
                      ? "—"
                      : QStringList{action->text(), action->isEnabled() ? "" : "off",
                                    action->isChecked() ? "✓" : "", action->shortcut().toString()}
                            .join('|'));
        if (QMenu* submenu = action->menu<QMenu*>())
            shown += menuLines(*submenu);
    }
    return shown;
}

QStringList menuLines(const QList<StatusMenuItem>& items) {
    QStringList shown;
    for (const StatusMenuItem& item : items) {
        const QString key = item.key.isEmpty() ? "" : "Ctrl+" + item.key.toUpper();
        shown << (item.isSeparator() ? "—"
                                     : QStringList{item.title, item.enabled ? "" : "off",
                                                   item.checked ? "✓" : "", key}
                                           .join('|'));
        shown += menuLines(item.submenu);
    }
    return shown;
}

} // namespace

// The tray shows the presenter's menu entry for entry and its tooltip, and a choice there
// reaches the presenter.
TEST_F(StatusMenuPresenterTest, TheTrayMenuMirrorsTheStatusMenuAndForwardsChoices) {
    desktop.setAccessibilityTrusted(false);
    permissions.startMonitoring();
    presenter.rebuildStatusMenu();
    TrayIcon tray(presenter);
    EXPECT_EQ(menuLines(*tray.menu()), menuLines(presenter.statusMenu().items));
    EXPECT_EQ(tray.toolTip(), presenter.toolTip());
    for (const char* line : {"⚠︎ Accessibility not granted|off||", "Quit Vantrel|||Ctrl+Q",
                             "Full capture (for agents)||✓|"})
        EXPECT_TRUE(menuLines(*tray.menu()).contains(line)) << line;

    // Entries are children of their menus, and submenus of the tray's menu.
    const auto chooseInTray = [&tray](const QString& title) {
        for (QAction* action : tray.menu()->findChildren<QAction*>()) {
            if (action->text() == title) {
                action->trigger();
                QCoreApplication::processEvents();
                return;
            }
        }
        FAIL() << title.toStdString();
    };
    chooseInTray("Screenshot only");
    EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), CaptureMode::screenshot);
    EXPECT_TRUE(menuLines(*tray.menu()).contains("Screenshot only||✓|"));
    EXPECT_EQ(tray.menu()->findChildren<QMenu*>().size(), 2) << "the old submenus are gone";
    chooseInTray("Settings…");
    EXPECT_EQ(requests, QStringList{"settings"});
    AgentPasteTargetSettings::setTarget(defaults, center, AgentPasteTarget::codex);
    EXPECT_EQ(tray.toolTip(), presenter.toolTip());
}
