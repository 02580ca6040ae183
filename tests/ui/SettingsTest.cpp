// The settings: the view model as the tray app wires it on the simulated desktop, the window over
// it, and the watcher that hears other processes change the settings file.
#include "UiSession.h"
#include "app/SettingsFileWatcher.h"
#include "input/GoldenPicture.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureBundleFormatSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/SettingsUserDefaults.h"
#include "platform/StandardLocations.h"
#include "platform/linux/LinuxVocabulary.h"
#include "support/QtPrinters.h"
#include "ui/ProductLinks.h"
#include "ui/SettingsViewModel.h"
#include "ui/StatusLine.h"
#include "ui/widgets/SettingsWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

struct SettingsOptions {
    std::optional<QString> version = QStringLiteral("1.2.3");
    std::optional<QString> build = QStringLiteral("abc1234");
    PlatformVocabulary vocabulary = PlatformVocabulary::macOS();
};

// Neither permission granted unless a test grants one.
struct SettingsHarness : UiSession {
    explicit SettingsHarness(SettingsOptions options = {})
        : UiSession(false), statusLine(QStringLiteral("Ready. Set mode in menu, then press ") +
                                       platform.vocabulary.copyHotKey + QStringLiteral(".")),
          model(std::make_unique<SettingsViewModel>(SettingsViewModel::Dependencies{
              defaults, center, permissions, desktop.loginItem(), desktop.workspace(),
              options.vocabulary, statusLine,
              StandardLocations::cachesDirectory() + QStringLiteral("/Vantrel/captures"),
              options.version, options.build})) {}

    // Polls the permissions once, as the running app does at start-up.
    void pollPermissions() { permissions.startMonitoring(); }

    StatusLine statusLine;
    std::unique_ptr<SettingsViewModel> model;
};

// Counts a signal's emissions for as long as the counter lives.
template <class Sender, class Signal> std::shared_ptr<int> countOf(Sender* sender, Signal signal) {
    auto count = std::make_shared<int>(0);
    QObject::connect(sender, signal, [count] { ++*count; });
    return count;
}

const QString modeKey = CaptureModeSettings::defaultsKey;
const QString agentKey = AgentPasteTargetSettings::defaultsKey;
const QString pasteboardKey = BundlePasteboardFormatSettings::defaultsKey;
const QString bundleKey = CaptureBundleFormatSettings::defaultsKey;

// The four settings in raw values: mode, agent, bundle format, pasteboard
// format; as shown by the model, and as stored ("-" where nothing is).
QString shown(const SettingsViewModel& model) {
    return QStringList{rawValue(model.activeMode()), rawValue(model.activeAgent()),
                       rawValue(model.activeBundleFormat()),
                       rawValue(model.activePasteboardFormat())}
        .join(' ');
}
QString stored(const UserDefaults& defaults) {
    QStringList values;
    for (const QString& key : {modeKey, agentKey, bundleKey, pasteboardKey})
        values.append(defaults.string(key).value_or("-"));
    return values.join(' ');
}

class SettingsViewModelTest : public ::testing::Test, protected SettingsHarness {};

TEST(SettingsViewModel, EachChoiceWritesItsStoreAndShowsIt) {
    using Model = SettingsViewModel;
    const struct {
        const char* name;
        std::function<void(Model&)> choose;
        const char* stored;
        const char* shown;
        QString (Model::*noteOf)() const;
        const char* note;
    } cases[] = {
        {"mode", [](Model& m) { m.setPrimaryMode(CaptureMode::tree); }, "tree - - -",
         "tree claudeCode experimental claudeCodeV2", &Model::captureModeNote,
         "Accessibility JSON as text — for Grok or browser chat."},
        {"Codex moves the pasteboard to Cursor v2",
         [](Model& m) { m.setAgentTarget(AgentPasteTarget::codex); }, "- codex - cursorV2",
         "bundle codex experimental cursorV2", &Model::agentNote,
         "Paste with ⌘V in Codex (same as Cursor)."},
        // Never chosen, the agent is the one the format implies; the picker says so too.
        {"a pasteboard format moves a derived agent",
         [](Model& m) { m.setPasteboardFormat(BundlePasteboardFormat::cursorV1); },
         "- - - cursorV1", "bundle cursor experimental cursorV1", &Model::pasteboardFormatNote,
         "Superseded — Cursor showed image only."},
        {"bundle format", [](Model& m) { m.setBundleFormat(CaptureBundleFormat::stable); },
         "- - stable -", "bundle claudeCode stable claudeCodeV2", &Model::bundleFileNote,
         "Both files are saved. Pasteboard uses capture.md."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsHarness h;
        const auto changed = countOf(h.model.get(), &Model::changed);
        c.choose(*h.model);
        EXPECT_EQ(stored(h.defaults), c.stored);
        EXPECT_EQ(shown(*h.model), c.shown);
        EXPECT_EQ(((*h.model).*c.noteOf)(), c.note);
        EXPECT_GT(*changed, 0);
    }
}

// From the status menu or `vantrel settings`: each change shows at once.
TEST_F(SettingsViewModelTest, FollowsChangesMadeElsewhere) {
    const auto changed = countOf(model.get(), &SettingsViewModel::changed);
    CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::tree);
    EXPECT_EQ(shown(*model), "tree claudeCode experimental claudeCodeV2");
    AgentPasteTargetSettings::setTarget(defaults, center, AgentPasteTarget::cursor);
    EXPECT_EQ(shown(*model), "tree cursor experimental cursorV2");
    CaptureBundleFormatSettings::setActiveFormat(defaults, center, CaptureBundleFormat::stable);
    EXPECT_EQ(shown(*model), "tree cursor stable cursorV2");
    BundlePasteboardFormatSettings::setActiveFormat(defaults, center,
                                                    BundlePasteboardFormat::legacyFileOnly);
    EXPECT_EQ(shown(*model), "tree cursor stable legacyFileOnly");
    EXPECT_GE(*changed, 4);
}

// What the monitor sees, not what the platform would answer now.
TEST_F(SettingsViewModelTest, PermissionsAndTheirNotesFollowTheMonitor) {
    desktop.setAccessibilityTrusted(true);
    EXPECT_EQ(model->permissions(), SystemPermissionsService::State{});
    EXPECT_EQ(model->accessibilityNote(), "Needed to read roles, labels and bounds.");
    pollPermissions();
    EXPECT_EQ(model->permissions(), (SystemPermissionsService::State{true, false}));
    EXPECT_EQ(model->accessibilityNote(), "Granted — Vantrel can read the interface.");
    EXPECT_EQ(model->screenRecordingNote(), "Needed for the screenshot part of a capture.");
    desktop.setScreenRecordingGranted(true);
    clock.advance(1s);
    EXPECT_EQ(model->permissions(), (SystemPermissionsService::State{true, true}));
    EXPECT_EQ(model->screenRecordingNote(), "Granted — screenshots work.");
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
    EXPECT_EQ(mac.model->capturesOnDiskText(), "The 25 most recent capture folders are kept in "
                                               "~/.cache/Vantrel/captures; older "
                                               "ones are deleted automatically.");

    SettingsHarness onLinux({.vocabulary = LinuxVocabulary::words()});
    EXPECT_EQ(onLinux.model->copyHotKeyNote(), "Press Ctrl+Alt+C, then Ctrl+V in your agent chat.");
    onLinux.model->setAgentTarget(AgentPasteTarget::cursor);
    EXPECT_EQ(onLinux.model->agentNote(), "Paste with Ctrl+V in Cursor chat.");
}

TEST_F(SettingsViewModelTest, LastActionIsTheStatusLineOrADash) {
    statusLine.set("");
    EXPECT_EQ(model->lastAction(), "—");
    const auto changed = countOf(model.get(), &SettingsViewModel::changed);
    statusLine.set("Copied for Cursor: Send · 3 AX nodes");
    EXPECT_EQ(*changed, 1);
    EXPECT_EQ(model->lastAction(), "Copied for Cursor: Send · 3 AX nodes");

    // A follow-up is there when the window hears of the line it belongs to.
    QString shown;
    QObject::connect(model.get(), &SettingsViewModel::changed,
                     [&] { shown = model->lastAction(); });
    statusLine.set("Copied for Cursor: Window · 1 AX nodes", "Qt exposes no tree.");
    EXPECT_EQ(shown, "Copied for Cursor: Window · 1 AX nodes\nQt exposes no tree.");
    statusLine.set("Capture cancelled.");
    EXPECT_EQ(shown, "Capture cancelled.");
}

TEST_F(SettingsViewModelTest, ARefusedLoginItemSpringsBackWithTheReason) {
    desktop.loginItem().setError(PlatformError{"sim", 1, "Operation not permitted"});
    model->setLaunchAtLogin(true);
    EXPECT_FALSE(model->launchesAtLogin());
    EXPECT_EQ(model->launchAtLoginNote(), "Could not change it: Operation not permitted");

    // Looking again keeps the reason; the next success replaces it.
    model->refresh();
    EXPECT_EQ(model->launchAtLoginNote(), "Could not change it: Operation not permitted");
    desktop.loginItem().setError(std::nullopt);
    model->setLaunchAtLogin(true);
    EXPECT_TRUE(model->launchesAtLogin());
    EXPECT_EQ(model->launchAtLoginNote(), "Vantrel starts with macOS.");
}

TEST_F(SettingsViewModelTest, RefreshTakesInWhatChangedWithoutANotice) {
    defaults.setString(modeKey, "tree");
    defaults.setString(bundleKey, rawValue(CaptureBundleFormat::stable));
    defaults.setString(agentKey, rawValue(AgentPasteTarget::codex));
    desktop.loginItem().setStatus(LoginItemService::Status::enabled);
    EXPECT_EQ(shown(*model), "bundle claudeCode experimental claudeCodeV2");
    EXPECT_FALSE(model->launchesAtLogin());
    model->refresh();
    EXPECT_EQ(shown(*model), "tree codex stable claudeCodeV2");
    EXPECT_TRUE(model->launchesAtLogin());
}

TEST_F(SettingsViewModelTest, LinksAndPanesOpenThroughTheDesktop) {
    model->openFormatGuide();
    ASSERT_EQ(desktop.openedURLs().size(), 1);
    EXPECT_EQ(desktop.openedURLs().first().toString(),
              ProductLinks::website + "/vantrel/documentation/paste-formats/");
    model->openAccessibilitySettings();
    EXPECT_TRUE(desktop.openedURLs().last().toString().endsWith("Privacy_Accessibility"));
    EXPECT_FALSE(permissions.didRequestScreenRecording());
    model->openScreenRecordingSettings();
    EXPECT_TRUE(desktop.openedURLs().last().toString().endsWith("Privacy_ScreenCapture"));
    EXPECT_TRUE(permissions.didRequestScreenRecording());
}

TEST_F(SettingsViewModelTest, AGoneModelHearsNothing) {
    model.reset();
    // Under the sanitizers a handler left behind is a use after free.
    CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::tree);
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
    // Each write reaches the file at once: another process, or a crash right after, sees it.
    const auto onDisk = [&file] {
        QFile settings(file);
        return settings.open(QIODevice::ReadOnly) ? settings.readAll() : QByteArray();
    };
    theirs.setString("probe", "x");
    EXPECT_TRUE(onDisk().contains("probe=x"));
    theirs.setBool("flag", true);
    EXPECT_TRUE(onDisk().contains("flag=true"));
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

    // An editor that saves in place changes the file but not the folder.
    posted.clear();
    QByteArray edited = onDisk();
    ASSERT_TRUE(edited.contains("=screenshot"));
    edited.replace("=screenshot", "=tree");
    QFile inPlace(file);
    ASSERT_TRUE(inPlace.open(QIODevice::ReadWrite));
    ASSERT_EQ(inPlace.write(edited), edited.size());
    ASSERT_TRUE(inPlace.resize(edited.size()));
    inPlace.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !posted.isEmpty(); }));
    EXPECT_EQ(posted, QStringList{CaptureModeSettings::modeDidChangeNotification});
    EXPECT_EQ(CaptureModeSettings::primaryMode(ours), CaptureMode::tree);
}

// One style, palette and font, whatever the machine's desktop would pick.
void makeDeterministic(QWidget& window) {
    static QStyle* const fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    window.setPalette(fusion->standardPalette());
    window.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    window.setStyle(fusion);
    for (QWidget* child : window.findChildren<QWidget*>())
        child->setStyle(fusion);
}

template <class W> W* named(QWidget& window, const QString& name) {
    for (W* widget : window.findChildren<W*>())
        if (widget->accessibleName() == name)
            return widget;
    return nullptr;
}

class SettingsWindowTest : public ::testing::Test, protected SettingsHarness {
  protected:
    SettingsWindowTest() {
        desktop.setAccessibilityTrusted(true);
        pollPermissions();
        makeDeterministic(window);
    }

    SettingsWindow window{*model};
};

TEST_F(SettingsWindowTest, EachSectionMatchesItsPicture) {
    statusLine.set("Copied for Claude Code: Send (button) · 12 AX nodes");
    const struct {
        SettingsSection section;
        bool advanced;
        const char* golden;
    } cases[] = {
        {SettingsSection::general, false, "settings-general"},
        {SettingsSection::capture, false, "settings-capture"},
        {SettingsSection::agents, true, "settings-agents-advanced"},
        {SettingsSection::privacy, false, "settings-privacy"},
    };
    window.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        model->setSelection(c.section);
        model->setShowAdvanced(c.advanced);
        window.resize(720, 520);
        const QImage picture = window.grab().toImage();
        ASSERT_EQ(picture.size(), QSize(720, 520) * picture.devicePixelRatio());
        EXPECT_TRUE(matchesGolden(picture, QString::fromLatin1(c.golden), "ui/golden"));
    }
}

TEST_F(SettingsWindowTest, PickersWriteTheStoresAndFollowThem) {
    QComboBox* mode = named<QComboBox>(window, "Capture mode");
    QComboBox* pasteboard = named<QComboBox>(window, "Pasteboard format");
    QComboBox* agent = named<QComboBox>(window, "Paste to");
    ASSERT_TRUE(mode && pasteboard && agent);

    mode->setCurrentIndex(mode->findText("Text tree"));
    EXPECT_EQ(defaults.string(CaptureModeSettings::defaultsKey), "tree");
    agent->setCurrentIndex(agent->findText("Codex"));
    EXPECT_EQ(pasteboard->currentText(), "Cursor v2 (1 file + rich text)");
    EXPECT_EQ(agent->accessibleDescription(), "Paste with ⌘V in Codex (same as Cursor).");

    // The status menu changes the mode and the agent while the window is open.
    CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::screenshot);
    EXPECT_EQ(mode->currentText(), "Screenshot only");
    EXPECT_EQ(mode->accessibleDescription(), "Image on clipboard only.");
    AgentPasteTargetSettings::setTarget(defaults, center, AgentPasteTarget::cursor);
    EXPECT_EQ(agent->currentText(), "Cursor");
}

// Each permission row shows "Granted" or "Not granted" as the monitor last saw it.
TEST_F(SettingsWindowTest, PermissionRowsFollowTheMonitor) {
    const auto showing = [this](const QString& text) {
        return int(std::ranges::count_if(window.findChildren<QLabel*>(), [&](const QLabel* label) {
            return label->text() == text && !label->isHidden();
        }));
    };
    EXPECT_EQ(std::pair(showing("Granted"), showing("Not granted")), std::pair(1, 1));
    desktop.setScreenRecordingGranted(true);
    clock.advance(1s);
    EXPECT_EQ(std::pair(showing("Granted"), showing("Not granted")), std::pair(2, 0));
}

TEST_F(SettingsWindowTest, TheFormatGuideLinkOpensTheGuide) {
    QLabel* link = named<QLabel>(window, "Read the format guide");
    ASSERT_TRUE(link);
    Q_EMIT link->linkActivated(link->text());
    EXPECT_EQ(desktop.openedURLs(),
              QList<QUrl>{QUrl(ProductLinks::website + "/vantrel/documentation/paste-formats/")});
}

TEST_F(SettingsWindowTest, ARefusedSwitchSpringsBack) {
    QCheckBox* launch = named<QCheckBox>(window, "Launch at login");
    ASSERT_TRUE(launch);
    desktop.loginItem().setError(PlatformError{"sim", 1, "denied"});
    launch->click();
    EXPECT_FALSE(launch->isChecked());
    EXPECT_EQ(launch->accessibleDescription(), "Could not change it: denied");
}

TEST_F(SettingsWindowTest, ClosingHidesAndPresentingAgainReusesTheWindow) {
    window.present();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Vantrel Settings");
    EXPECT_EQ(window.minimumSize(), QSize(680, 460));
    const QPoint placed = window.pos();
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());

    // Written while hidden, without a notice: presenting reads it again.
    defaults.setString(CaptureModeSettings::defaultsKey, "tree");
    window.present();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), placed);
    EXPECT_EQ(named<QComboBox>(window, "Capture mode")->currentText(), "Text tree");
}

} // namespace
