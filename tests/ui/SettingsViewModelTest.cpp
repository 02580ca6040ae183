#include "SettingsTestSupport.h"
#include "app/SettingsFileWatcher.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureBundleFormatSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/SettingsUserDefaults.h"
#include "platform/linux/LinuxVocabulary.h"
#include "support/QtPrinters.h"

#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

#include <functional>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

const QString modeKey = CaptureModeSettings::defaultsKey;
const QString agentKey = AgentPasteTargetSettings::defaultsKey;
const QString pasteboardKey = BundlePasteboardFormatSettings::defaultsKey;
const QString bundleKey = CaptureBundleFormatSettings::defaultsKey;

struct Shown {
    CaptureMode mode;
    AgentPasteTarget agent;
    CaptureBundleFormat bundle;
    BundlePasteboardFormat pasteboard;
};

void expectShown(const SettingsViewModel& model, const Shown& shown) {
    EXPECT_EQ(model.activeMode(), shown.mode);
    EXPECT_EQ(model.activeAgent(), shown.agent);
    EXPECT_EQ(model.activeBundleFormat(), shown.bundle);
    EXPECT_EQ(model.activePasteboardFormat(), shown.pasteboard);
}

TEST(SettingsViewModel, EachChoiceWritesItsStoreAndShowsIt) {
    using Model = SettingsViewModel;
    const struct {
        const char* name;
        std::function<void(SettingsHarness&)> before;
        std::function<void(Model&)> choose;
        QList<std::pair<QString, QString>> stored;
        Shown shown;
        QString note;
        QString (Model::*noteOf)() const;
    } cases[] = {
        {"mode",
         {},
         [](Model& m) { m.setPrimaryMode(CaptureMode::tree); },
         {{modeKey, "tree"}},
         {CaptureMode::tree, AgentPasteTarget::claudeCode, CaptureBundleFormat::experimental,
          BundlePasteboardFormat::claudeCodeV2},
         "Accessibility JSON as text — for Grok or browser chat.",
         &Model::captureModeNote},
        {"Codex moves the pasteboard to Cursor v2",
         {},
         [](Model& m) { m.setAgentTarget(AgentPasteTarget::codex); },
         {{agentKey, "codex"}, {pasteboardKey, "cursorV2"}},
         {CaptureMode::bundle, AgentPasteTarget::codex, CaptureBundleFormat::experimental,
          BundlePasteboardFormat::cursorV2},
         "Paste with ⌘V in Codex (same as Cursor).",
         &Model::agentNote},
        {"Claude Code moves it back",
         [](SettingsHarness& h) { h.model->setAgentTarget(AgentPasteTarget::cursor); },
         [](Model& m) { m.setAgentTarget(AgentPasteTarget::claudeCode); },
         {{agentKey, "claudeCode"}, {pasteboardKey, "claudeCodeV2"}},
         {CaptureMode::bundle, AgentPasteTarget::claudeCode, CaptureBundleFormat::experimental,
          BundlePasteboardFormat::claudeCodeV2},
         "Best for Claude Code: image + AX text in one paste.",
         &Model::pasteboardFormatNote},
        {"a pasteboard format leaves a chosen agent",
         [](SettingsHarness& h) { h.model->setAgentTarget(AgentPasteTarget::claudeCode); },
         [](Model& m) { m.setPasteboardFormat(BundlePasteboardFormat::cursorV1); },
         {{agentKey, "claudeCode"}, {pasteboardKey, "cursorV1"}},
         {CaptureMode::bundle, AgentPasteTarget::claudeCode, CaptureBundleFormat::experimental,
          BundlePasteboardFormat::cursorV1},
         "Superseded — Cursor showed image only.",
         &Model::pasteboardFormatNote},
        // Never chosen, the agent is the one the format implies; the picker says so too.
        {"a pasteboard format moves a derived agent",
         {},
         [](Model& m) { m.setPasteboardFormat(BundlePasteboardFormat::cursorV1); },
         {{pasteboardKey, "cursorV1"}},
         {CaptureMode::bundle, AgentPasteTarget::cursor, CaptureBundleFormat::experimental,
          BundlePasteboardFormat::cursorV1},
         "Paste with ⌘V in Cursor chat.",
         &Model::agentNote},
        {"bundle format",
         {},
         [](Model& m) { m.setBundleFormat(CaptureBundleFormat::stable); },
         {{bundleKey, "stable"}},
         {CaptureMode::bundle, AgentPasteTarget::claudeCode, CaptureBundleFormat::stable,
          BundlePasteboardFormat::claudeCodeV2},
         "Both files are saved. Pasteboard uses capture.md.",
         &Model::bundleFileNote},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsHarness h;
        if (c.before)
            c.before(h);
        const auto changed = countOf(h.model.get(), &Model::changed);
        c.choose(*h.model);
        for (const auto& [key, value] : c.stored)
            EXPECT_EQ(h.defaults.string(key), value) << key.toStdString();
        expectShown(*h.model, c.shown);
        EXPECT_EQ(((*h.model).*c.noteOf)(), c.note);
        EXPECT_GT(*changed, 0);
    }
}

TEST(SettingsViewModel, FollowsChangesMadeElsewhere) {
    const struct {
        const char* name;
        std::function<void(SettingsHarness&)> change;
        Shown shown;
        SystemPermissionsService::State permissions;
    } cases[] = {
        {"mode from the menu",
         [](SettingsHarness& h) {
             CaptureModeSettings::setPrimaryMode(h.defaults, h.center, CaptureMode::screenshot);
         },
         {CaptureMode::screenshot, AgentPasteTarget::claudeCode, CaptureBundleFormat::experimental,
          BundlePasteboardFormat::claudeCodeV2},
         {}},
        {"agent from the menu",
         [](SettingsHarness& h) {
             AgentPasteTargetSettings::setTarget(h.defaults, h.center, AgentPasteTarget::cursor);
         },
         {CaptureMode::bundle, AgentPasteTarget::cursor, CaptureBundleFormat::experimental,
          BundlePasteboardFormat::cursorV2},
         {}},
        {"bundle format",
         [](SettingsHarness& h) {
             CaptureBundleFormatSettings::setActiveFormat(h.defaults, h.center,
                                                          CaptureBundleFormat::stable);
         },
         {CaptureMode::bundle, AgentPasteTarget::claudeCode, CaptureBundleFormat::stable,
          BundlePasteboardFormat::claudeCodeV2},
         {}},
        {"pasteboard format",
         [](SettingsHarness& h) {
             h.defaults.setString(agentKey, "claudeCode");
             BundlePasteboardFormatSettings::setActiveFormat(
                 h.defaults, h.center, BundlePasteboardFormat::legacyFileOnly);
         },
         {CaptureMode::bundle, AgentPasteTarget::claudeCode, CaptureBundleFormat::experimental,
          BundlePasteboardFormat::legacyFileOnly},
         {}},
        {"a permission granted",
         [](SettingsHarness& h) {
             h.desktop.setScreenRecordingGranted(true);
             h.pollPermissions();
         },
         {CaptureMode::bundle, AgentPasteTarget::claudeCode, CaptureBundleFormat::experimental,
          BundlePasteboardFormat::claudeCodeV2},
         {false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsHarness h;
        const auto changed = countOf(h.model.get(), &SettingsViewModel::changed);
        c.change(h);
        expectShown(*h.model, c.shown);
        EXPECT_EQ(h.model->permissions(), c.permissions);
        EXPECT_GT(*changed, 0);
    }
}

TEST(SettingsViewModel, PermissionNotesFollowTheState) {
    SettingsHarness h({.accessibility = true, .screenRecording = false});
    EXPECT_EQ(h.model->accessibilityNote(), "Needed to read roles, labels and bounds.");
    h.pollPermissions();
    EXPECT_EQ(h.model->accessibilityNote(), "Granted — Vantrel can read the interface.");
    EXPECT_EQ(h.model->screenRecordingNote(), "Needed for the screenshot part of a capture.");
    h.desktop.setScreenRecordingGranted(true);
    h.clock.advance(1s);
    EXPECT_EQ(h.model->screenRecordingNote(), "Granted — screenshots work.");
}

TEST(SettingsViewModel, VersionLineShowsMissingPartsAsADash) {
    const struct {
        std::optional<QString> version;
        std::optional<QString> build;
        QString line;
    } cases[] = {
        {std::nullopt, std::nullopt, "Vantrel — (—)"},
        {"0.1.0", std::nullopt, "Vantrel 0.1.0 (—)"},
        {"", "abc1234", "Vantrel — (abc1234)"},
        {"0.1.0", "abc1234", "Vantrel 0.1.0 (abc1234)"},
    };
    for (const auto& c : cases) {
        SettingsHarness h({.version = c.version, .build = c.build});
        EXPECT_EQ(h.model->versionLine(), c.line);
    }
}

TEST(SettingsViewModel, TextsSpeakTheDesktopsWords) {
    SettingsHarness mac;
    EXPECT_EQ(mac.model->copyHotKeyNote(), "Press ⌃⌥C, then ⌘V in your agent chat.");
    EXPECT_EQ(mac.model->launchAtLoginNote(), "Vantrel does not start on its own.");
    EXPECT_EQ(mac.model->capturesOnDiskText(),
              "The 25 most recent capture folders are kept in ~/.cache/Vantrel/captures; older "
              "ones are deleted automatically.");

    SettingsHarness onLinux({.vocabulary = LinuxVocabulary::words()});
    EXPECT_EQ(onLinux.model->copyHotKeyNote(), "Press Ctrl+Alt+C, then Ctrl+V in your agent chat.");
    onLinux.model->setAgentTarget(AgentPasteTarget::cursor);
    EXPECT_EQ(onLinux.model->agentNote(), "Paste with Ctrl+V in Cursor chat.");
}

TEST(SettingsViewModel, LastActionIsTheStatusLineOrADash) {
    SettingsHarness h;
    h.tray.delegate().setLastStatus("");
    EXPECT_EQ(h.model->lastAction(), "—");
    const auto changed = countOf(h.model.get(), &SettingsViewModel::changed);
    h.tray.delegate().setLastStatus("Copied for Cursor: Send · 3 AX nodes");
    EXPECT_EQ(*changed, 1);
    EXPECT_EQ(h.model->lastAction(), "Copied for Cursor: Send · 3 AX nodes");
}

TEST(SettingsViewModel, ARefusedLoginItemSpringsBackWithTheReason) {
    SettingsHarness h;
    h.desktop.loginItem().setError(PlatformError{"sim", 1, "Operation not permitted"});
    h.model->setLaunchAtLogin(true);
    EXPECT_FALSE(h.model->launchesAtLogin());
    EXPECT_EQ(h.model->launchAtLoginNote(), "Could not change it: Operation not permitted");

    // Looking again keeps the reason; the next success replaces it.
    h.model->refresh();
    EXPECT_EQ(h.model->launchAtLoginNote(), "Could not change it: Operation not permitted");
    h.desktop.loginItem().setError(std::nullopt);
    h.model->setLaunchAtLogin(true);
    EXPECT_TRUE(h.model->launchesAtLogin());
    EXPECT_EQ(h.model->launchAtLoginNote(), "Vantrel starts with macOS.");
}

TEST(SettingsViewModel, RefreshTakesInWhatChangedWithoutANotice) {
    SettingsHarness h;
    h.defaults.setString(modeKey, "tree");
    h.defaults.setString(bundleKey, rawValue(CaptureBundleFormat::stable));
    h.defaults.setString(agentKey, rawValue(AgentPasteTarget::codex));
    h.desktop.loginItem().setStatus(LoginItemService::Status::enabled);
    EXPECT_EQ(h.model->activeMode(), CaptureMode::bundle);
    EXPECT_EQ(h.model->activeBundleFormat(), CaptureBundleFormat::experimental);
    h.model->refresh();
    EXPECT_EQ(h.model->activeMode(), CaptureMode::tree);
    EXPECT_EQ(h.model->activeBundleFormat(), CaptureBundleFormat::stable);
    EXPECT_EQ(h.model->activeAgent(), AgentPasteTarget::codex);
    EXPECT_TRUE(h.model->launchesAtLogin());
}

TEST(SettingsViewModel, LinksAndPanesOpenThroughTheDesktop) {
    SettingsHarness h;
    h.model->openFormatGuide();
    ASSERT_EQ(h.desktop.openedURLs().size(), 1);
    EXPECT_EQ(h.desktop.openedURLs().first().toString(),
              AppDelegate::website + "/vantrel/documentation/paste-formats/");
    h.model->openAccessibilitySettings();
    EXPECT_TRUE(h.desktop.openedURLs().last().toString().endsWith("Privacy_Accessibility"));
    EXPECT_FALSE(h.permissions.didRequestScreenRecording());
    h.model->openScreenRecordingSettings();
    EXPECT_TRUE(h.desktop.openedURLs().last().toString().endsWith("Privacy_ScreenCapture"));
    EXPECT_TRUE(h.permissions.didRequestScreenRecording());
}

TEST(SettingsViewModel, AGoneModelHearsNothing) {
    SettingsHarness h;
    h.model.reset();
    // Under the sanitizers a handler left behind is a use after free.
    CaptureModeSettings::setPrimaryMode(h.defaults, h.center, CaptureMode::tree);
}

// Another process (`vantrel settings`) writes the same file.
TEST(SettingsFileWatcher, AnnouncesWhatAnotherProcessChangedAndNothingElse) {
    QTemporaryDir folder;
    const QString file = folder.path() + "/config/Vantrel.conf";
    SettingsUserDefaults ours(file);
    NotificationCenter center;
    SettingsFileWatcher watcher(ours, center);
    QStringList posted;
    for (const QString& name : {CaptureModeSettings::modeDidChangeNotification,
                                BundlePasteboardFormatSettings::formatDidChangeNotification,
                                AgentPasteTargetSettings::targetDidChangeNotification})
        center.addObserver(name, [&posted, name] { posted.append(name); });
    const auto checked = countOf(&watcher, &SettingsFileWatcher::checked);
    const auto checkAfter = [&checked](const std::function<void()>& write) {
        const int before = *checked;
        write();
        return QTest::qWaitFor([&] { return *checked > before; });
    };

    SettingsUserDefaults theirs(file);
    NotificationCenter theirCenter;
    ASSERT_TRUE(checkAfter([&] { theirs.setBool("hasCompletedOnboardingV1", true); }));
    EXPECT_TRUE(posted.isEmpty());

    CaptureModeSettings::setPrimaryMode(theirs, theirCenter, CaptureMode::tree);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !posted.isEmpty(); }));
    EXPECT_EQ(posted, QStringList{CaptureModeSettings::modeDidChangeNotification});

    // The file was replaced whole; the watcher still follows it.
    posted.clear();
    AgentPasteTargetSettings::setTarget(theirs, theirCenter, AgentPasteTarget::codex);
    ASSERT_TRUE(QTest::qWaitFor([&] { return posted.size() >= 2; }));
    EXPECT_EQ(posted, (QStringList{BundlePasteboardFormatSettings::formatDidChangeNotification,
                                   AgentPasteTargetSettings::targetDidChangeNotification}));

    // A change made here is announced once, by the store, not again by the file's echo.
    posted.clear();
    ASSERT_TRUE(checkAfter(
        [&] { CaptureModeSettings::setPrimaryMode(ours, center, CaptureMode::screenshot); }));
    EXPECT_EQ(posted, QStringList{CaptureModeSettings::modeDidChangeNotification});
}

} // namespace
