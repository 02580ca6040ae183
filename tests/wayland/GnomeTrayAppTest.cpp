// The tray app as a user runs it on the private GNOME Shell: its status menu in the top bar (read
// back from the shell's own menu items), an item chosen there, Ctrl+Alt+C typed through the
// compositor capturing the window under the pointer, the shell's toast, and nothing of it left
// in the top bar once the app has gone.
#include "platform/linux/LinuxVocabulary.h"
#include "platform/wayland/GnomeShellHelper.h"
#include "support/RemoteInput.h"
#include "support/SignalRecorder.h"
#include "support/WaitUntil.h"
#include "support/WaylandProbe.h"
#include "ui/StatusMenuBuilder.h"
#include "ui/StatusMenuWire.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <signal.h>

namespace vantrel::testing {
namespace {

QDBusMessage askShell(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        GnomeShellHelper::service, GnomeShellHelper::path, GnomeShellHelper::interface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call);
}

// What the top bar shows; null when there is no Vantrel button.
QJsonValue topBarMenu() {
    const QDBusMessage reply = askShell("Menu");
    return QJsonDocument::fromJson("[" + reply.arguments().value(0).toString().toUtf8() + "]")
        .array()
        .at(0);
}

// One line per item, submenus indented: "title" with " (disabled)" and " ✓" as they apply.
QStringList menuLines(const QJsonArray& items, const QString& indent = {}) {
    QStringList lines;
    for (const QJsonValue item : items) {
        if (item["separator"].toBool()) {
            lines.append(indent + "---");
            continue;
        }
        lines.append(indent + item["title"].toString() +
                     (item["enabled"].toBool() ? "" : " (disabled)") +
                     (item["checked"].toBool() ? " ✓" : ""));
        lines += menuLines(item["submenu"].toArray(), indent + "  ");
    }
    return lines;
}
// The id of the shown item with this title, at any depth.
QString itemId(const QJsonArray& items, const QString& title) {
    for (const QJsonValue item : items) {
        if (item["title"].toString() == title)
            return item["id"].toString();
        if (const QString inner = itemId(item["submenu"].toArray(), title); !inner.isEmpty())
            return inner;
    }
    return {};
}

// Chooses the item as a click would. The app may send its menu again meanwhile (a setting's
// change rebuilds it), which makes the id read a moment ago stale: the shell refuses that one.
bool chooseInTopBar(const QString& title) {
    return waitUntil([&] {
        const QDBusMessage reply =
            askShell("ActivateMenuItem", {itemId(topBarMenu().toArray(), title)});
        if (reply.type() != QDBusMessage::ReplyMessage)
            qWarning("%s: %s", qPrintable(title), qPrintable(reply.errorMessage()));
        return reply.type() == QDBusMessage::ReplyMessage;
    });
}

constexpr quint32 trayKeyC = 0x63, trayKeyR = 0x72;

// Ctrl+Alt+key, pressed again (five times at most) while the shell reports no press: under load
// the headless shell now and then turns a synthetic key into nothing. heard counts the presses a
// watcher of the shortcuts saw.
bool pressUntilHeard(RemoteInput& input, int& heard, quint32 key) {
    constexpr quint32 controlL = 0xffe3, altL = 0xffe9;
    heard = 0;
    for (int press = 0; press < 5 && heard == 0; ++press) {
        input.chord({controlL, altL, key});
        waitUntil([&] { return heard > 0; }, std::chrono::seconds(3));
    }
    return heard > 0;
}

// Whether the clipboard comes to offer a capture's PNG and text; types are what it offered last.
bool payloadServed(QStringList& types) {
    return waitUntil([&] {
        QProcess paste;
        paste.start("wl-paste", {"--list-types"});
        paste.waitForFinished(30000);
        types = QString::fromUtf8(paste.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        return types.contains("image/png") && types.contains("text/plain;charset=utf-8");
    });
}

// The fixture's copy of vantrel started with no arguments, with settings and captures of its own.
class GnomeTrayApp {
  public:
    GnomeTrayApp() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", m_home.path() + "/config");
        environment.insert("XDG_CACHE_HOME", m_home.path() + "/cache");
        m_process.setProcessEnvironment(environment);
        m_process.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel", QStringList());
    }
    ~GnomeTrayApp() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished();
    }
    // Running once it has said what the user must be told, which it does once its shortcuts are
    // in place: the fixture's own binding holds Ctrl+Alt+R.
    bool waitUntilRunning() {
        return waitUntil(
            [this] { return errors().contains("vantrel: Ctrl+Alt+R is held by another program"); });
    }
    QString errors() {
        m_errors += QString::fromUtf8(m_process.readAllStandardError());
        return m_errors;
    }
    QString cacheDir() const { return m_home.path() + "/cache"; }
    QProcess& process() { return m_process; }

  private:
    QTemporaryDir m_home;
    QProcess m_process;
    QString m_errors;
};

TEST(GnomeTrayApp, TheTopBarShowsTheTraysMenuAndRunsItsItemsUntilTheAppQuits) {
    ASSERT_TRUE(topBarMenu().isNull()) << "no Vantrel button before the app";
    GnomeTrayApp app;
    ASSERT_TRUE(app.waitUntilRunning()) << qPrintable(app.errors());
    EXPECT_FALSE(app.errors().contains("shows no tray icons")) << qPrintable(app.errors());
    ASSERT_TRUE(waitUntil([] { return topBarMenu().isArray(); }));
    const StatusMenu tray = StatusMenuBuilder::build({true, true}, LinuxVocabulary::words());
    EXPECT_EQ(
        menuLines(topBarMenu().toArray()),
        menuLines(QJsonDocument::fromJson(StatusMenuWire::serialise(tray, 1).toUtf8()).array()));

    // Another capture mode, chosen in the top bar: the setting changes and the menu shown follows.
    const QString other = tray.items[0].submenu[1].title;
    ASSERT_TRUE(chooseInTopBar(other));
    EXPECT_TRUE(waitUntil([&] {
        return menuLines(topBarMenu().toArray()).contains("  " + other + " ✓");
    })) << qPrintable(menuLines(topBarMenu().toArray()).join('\n'));

    ASSERT_TRUE(chooseInTopBar("Quit Vantrel"));
    ASSERT_TRUE(app.process().waitForFinished(20000));
    EXPECT_EQ(app.process().exitCode(), 0);
    EXPECT_TRUE(waitUntil([] { return topBarMenu().isNull(); })) << "the button went with the app";
}

TEST(GnomeTrayApp, CtrlAltCCapturesTheWindowUnderThePointerAndTheShellShowsTheToast) {
    QString reason;
    const auto helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
    ASSERT_TRUE(helper) << qPrintable(reason);
    const WaylandProbe gtk = WaylandProbe::gtk(*helper);
    ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
    RemoteInput input;
    ASSERT_TRUE(input.started());
    // The pointer moves into the probe's window, as a mouse would move it.
    ASSERT_TRUE(input.moveTo(*helper, gtk.window(*helper).frame.center()));
    GnomeTrayApp app;
    ASSERT_TRUE(app.waitUntilRunning()) << qPrintable(app.errors());
    ASSERT_TRUE(waitUntil([] { return topBarMenu().isArray(); }));

    // The test hears the shortcut too. Under load the headless shell now and then turns no
    // synthetic key into its binding (nobody hears it), so the keys go again until it does.
    int heard = 0;
    using Clashes = QMap<QString, QString>;
    ASSERT_TRUE(std::holds_alternative<Clashes>(
        helper->watchShortcuts([&heard](const QString&) { ++heard; })));
    const auto pressCtrlAltC = [&] { return pressUntilHeard(input, heard, trayKeyC); };
    // The capture folders' documents, all of them.
    const auto documents = [&] {
        QString text;
        QDirIterator files(app.cacheDir() + "/Vantrel/captures", {"*.md"}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(file.readAll());
        }
        return text;
    };
    ASSERT_TRUE(pressCtrlAltC());
    QString document;
    ASSERT_TRUE(waitUntil([&] { return !(document = documents()).isEmpty(); }))
        << qPrintable(app.errors()) << "running: " << (app.process().state() == QProcess::Running)
        << ", toast: " << qPrintable(askShell("Toast").arguments().value(0).toString());
    EXPECT_TRUE(document.contains(gtk.title())) << qPrintable(document);

    // The shell's toast, with the text the X11 toast shows, at the bottom of the monitor under
    // the pointer: 96 above its work area's bottom, centred.
    QDBusMessage toast;
    ASSERT_TRUE(waitUntil([&] {
        toast = askShell("Toast");
        return toast.arguments().value(0).toString() == "Copied — press Ctrl+V in Claude Code";
    })) << qPrintable(toast.arguments().value(0).toString());
    const QList<CompositorMonitor> monitors = helper->monitors();
    ASSERT_EQ(monitors.size(), 1);
    const QRect screen = monitors.first().area;
    int x = 0, y = 0, width = 0, height = 0;
    const QDBusArgument frame = toast.arguments().value(1).value<QDBusArgument>();
    frame.beginStructure();
    frame >> x >> y >> width >> height;
    frame.endStructure();
    EXPECT_EQ(height, 44);
    EXPECT_GE(width, 220);
    EXPECT_LE(width, 460);
    EXPECT_NEAR(x + width / 2.0, screen.center().x() + 0.5, 1);
    EXPECT_EQ(y + height + 96, screen.bottom() + 1);

    // The payload pastes: the app hands it to a clipboard server, as a command does.
    QStringList types;
    EXPECT_TRUE(payloadServed(types)) << qPrintable(types.join(' '));

    // The extension turned off and on again under the running app (as an update does) gets its
    // menu and its shortcuts' subscribers back: the app's, and this test's own helper's.
    ASSERT_EQ(QProcess::execute("gnome-extensions", {"disable", GnomeShellHelper::extensionUuid}),
              0);
    ASSERT_TRUE(waitUntil([] { return askShell("Version").type() == QDBusMessage::ErrorMessage; }));
    ASSERT_EQ(QProcess::execute("gnome-extensions", {"enable", GnomeShellHelper::extensionUuid}),
              0);
    ASSERT_TRUE(waitUntil([] { return topBarMenu().isArray(); })) << qPrintable(app.errors());
    ASSERT_TRUE(pressCtrlAltC());
    EXPECT_TRUE(waitUntil([&] {
        return documents().count(gtk.title()) > document.count(gtk.title());
    })) << "a second capture";

    // An agent's command without a display of its own: only the running app can take it, and
    // the folder is the app's.
    QProcess agent;
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    bare.remove("WAYLAND_DISPLAY");
    bare.remove("DISPLAY");
    agent.setProcessEnvironment(bare);
    agent.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel",
                {"capture", "--via-app", "--json", "--mode", "bundle"});
    ASSERT_TRUE(agent.waitForFinished(30000));
    EXPECT_EQ(agent.exitCode(), 0) << agent.readAllStandardError().toStdString();
    const QJsonObject answer = QJsonDocument::fromJson(agent.readAllStandardOutput()).object();
    EXPECT_TRUE(answer["bundle"]["directory"].toString().startsWith(app.cacheDir()))
        << QJsonDocument(answer).toJson().toStdString();

    // A crash takes the button with it too.
    ASSERT_TRUE(topBarMenu().isArray());
    kill(pid_t(app.process().processId()), SIGKILL);
    EXPECT_TRUE(waitUntil([] { return topBarMenu().isNull(); }));
}

// GNOME's own binding on Ctrl+Alt+R, which the fixture sets up as a clash, taken away while this
// lives. The extension finds its clashes as it starts, so it is turned off and on until it has
// seen the change (the shell reads the settings file a moment after it is written).
class CtrlAltRFreed {
  public:
    CtrlAltRFreed() { rebind("[]", false); }
    ~CtrlAltRFreed() { rebind("['<Alt><Primary>r']", true); }
    CtrlAltRFreed(const CtrlAltRFreed&) = delete;
    CtrlAltRFreed& operator=(const CtrlAltRFreed&) = delete;

  private:
    static void rebind(const QString& keys, bool clashing) {
        QProcess::execute("gsettings", {"set", "org.gnome.desktop.wm.keybindings",
                                        "switch-to-workspace-last", keys});
        for (int restart = 0; restart < 5 && areaClashes() != clashing; ++restart) {
            QProcess::execute("gnome-extensions", {"disable", GnomeShellHelper::extensionUuid});
            waitUntil([] { return askShell("Version").type() == QDBusMessage::ErrorMessage; });
            QProcess::execute("gnome-extensions", {"enable", GnomeShellHelper::extensionUuid});
            waitUntil([] { return askShell("Version").type() == QDBusMessage::ReplyMessage; });
        }
    }
    static bool areaClashes() {
        QString reason;
        const auto helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
        if (!helper)
            return false;
        const auto answer = helper->watchShortcuts([](const QString&) {});
        const auto* clashes = std::get_if<QMap<QString, QString>>(&answer);
        return clashes && clashes->contains("capture-area");
    }
};

TEST(GnomeTrayApp, CtrlAltRAndADragCaptureTheAreaAndServeItsPayload) {
    const CtrlAltRFreed freed;
    QString reason;
    const auto helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
    ASSERT_TRUE(helper) << qPrintable(reason);
    using Clashes = QMap<QString, QString>;
    int heard = 0;
    const auto watched = helper->watchShortcuts([&heard](const QString&) { ++heard; });
    ASSERT_EQ(std::get<Clashes>(watched), Clashes());
    const WaylandProbe gtk = WaylandProbe::gtk(*helper);
    ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
    RemoteInput input;
    ASSERT_TRUE(input.started());
    GnomeTrayApp app;
    ASSERT_TRUE(waitUntil([] { return topBarMenu().isArray(); })) << qPrintable(app.errors());

    // Up once full screen and focused: a window is listed before its size is settled, and a drag
    // then would land on the probe below.
    const QRect screen = helper->monitors().value(0).area;
    const auto overlay = [&](bool focused) {
        const auto windows = helper->windows().value_or(QList<CompositorWindow>());
        return std::any_of(windows.begin(), windows.end(), [&](const CompositorWindow& window) {
            return window.pid == app.process().processId() && (window.focused || !focused) &&
                   window.frame == screen && window.title == "Vantrel area selection";
        });
    };
    const auto overlayUp = [&] { return overlay(true); };
    const QRect window = gtk.window(*helper).frame;
    const QPoint from = window.topLeft() + QPoint(40, 60), to = from + QPoint(301, 157);
    const auto captured = [&] {
        QDirIterator files(app.cacheDir() + "/Vantrel/captures", {"screenshot.png"}, QDir::Files,
                           QDirIterator::Subdirectories);
        return files.hasNext() ? files.next() : QString();
    };
    // The app subscribes to its shortcuts a moment after its menu shows, so a press the shell
    // reports may still find nobody: pressed again while no overlay comes, waiting a second longer
    // each time (a newer press only replaces an overlay still on its way). A drag the shell turned
    // into a click cancels the overlay, or leaves it up: again, either way.
    for (int attempt = 0; attempt < 3 && captured().isEmpty(); ++attempt) {
        bool asked = overlayUp();
        for (int press = 0; press < 5 && !asked; ++press) {
            ASSERT_TRUE(pressUntilHeard(input, heard, trayKeyR));
            asked = waitUntil(overlayUp, std::chrono::seconds(1 + press));
        }
        ASSERT_TRUE(asked) << qPrintable(app.errors());
        // A move of its own tells the overlay where the pointer is.
        ASSERT_TRUE(input.moveTo(*helper, from + QPoint(5, 5)));
        ASSERT_TRUE(input.drag(*helper, from, to));
        // Now and then the probe ends up above the overlay with the focus, which leaves the
        // overlay open: a new press replaces it.
        if (waitUntil([&] { return !overlay(false); }, std::chrono::seconds(3)))
            waitUntil([&] { return !captured().isEmpty(); }, std::chrono::seconds(10));
    }
    const QString picture = captured();
    ASSERT_FALSE(picture.isEmpty()) << qPrintable(app.errors());
    EXPECT_EQ(QImage(picture).size(), QSize(301, 157));
    QStringList types;
    EXPECT_TRUE(payloadServed(types)) << qPrintable(types.join(' ')) << qPrintable(app.errors());
}

// The menu as one connection sends it: a malformed one never replaces it, a choice goes back to
// that connection only, and the button goes with the connection.
TEST(GnomeTrayApp, TheShellKeepsTheMenuFromAMalformedOneAndAnswersItsOwnerAlone) {
    const QString ownerName = "menu-owner", otherName = "menu-onlooker";
    // A connection closes once no copy of it is left.
    [&] {
        QDBusConnection owner =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, ownerName);
        QDBusConnection onlooker =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, otherName);
        const auto setMenu = [&](const QString& menu) {
            QDBusMessage call =
                QDBusMessage::createMethodCall(GnomeShellHelper::service, GnomeShellHelper::path,
                                               GnomeShellHelper::interface, "SetMenu");
            call << menu;
            return owner.call(call);
        };
        ASSERT_EQ(setMenu(R"([{"id":"1/0","title":"One"},{"separator":true}])").type(),
                  QDBusMessage::ReplyMessage);
        const QStringList shown{"One", "---"};
        ASSERT_EQ(menuLines(topBarMenu().toArray()), shown);
        for (const char* malformed :
             {"{}", "not json", "[null]", R"([{"id":"1/0","title":3}])", R"([{"title":"No id"}])",
              R"([{"id":"1/0","title":"A","submenu":{}}])"}) {
            const QDBusMessage refused = setMenu(malformed);
            EXPECT_EQ(refused.errorName(), "org.freedesktop.DBus.Error.InvalidArgs") << malformed;
            EXPECT_EQ(menuLines(topBarMenu().toArray()), shown) << malformed;
        }

        SignalRecorder ownerHeard, onlookerHeard;
        for (auto [bus, recorder] :
             {std::pair(&owner, &ownerHeard), std::pair(&onlooker, &onlookerHeard)})
            ASSERT_TRUE(bus->connect(GnomeShellHelper::service, GnomeShellHelper::path,
                                     GnomeShellHelper::interface, "MenuItemActivated", recorder,
                                     SLOT(record(QString))));
        ASSERT_TRUE(chooseInTopBar("One"));
        EXPECT_TRUE(waitUntil([&] { return !ownerHeard.received.isEmpty(); }));
        EXPECT_EQ(ownerHeard.received, QStringList{"1/0"});
        // The bus keeps each connection's messages in order: a broadcast would be in before this
        // reply.
        onlooker.call(QDBusMessage::createMethodCall(GnomeShellHelper::service,
                                                     GnomeShellHelper::path,
                                                     GnomeShellHelper::interface, "Version"));
        QCoreApplication::processEvents();
        EXPECT_EQ(onlookerHeard.received, QStringList()) << "sent to the owner alone";
    }();
    QDBusConnection::disconnectFromBus(ownerName);
    QDBusConnection::disconnectFromBus(otherName);
    EXPECT_TRUE(waitUntil([] { return topBarMenu().isNull(); }));
}

// A GNOME session whose bus has no Vantrel extension on it, and no X display to fall back to: the
// app and the command line both say what is missing and how to turn it on; the command then tries
// the Screenshot portal, which this bus does not have either.
TEST(GnomeTrayApp, WithoutTheExtensionTheAppAndTheCommandLineSayWhatIsMissing) {
    const struct {
        QStringList arguments;
        QString prefix;
        QString then;
    } cases[] = {
        {{},
         "vantrel: ",
         "vantrel: on this Wayland desktop the app needs Xwayland, and DISPLAY "
         "is not set.\n"},
        {{"capture", "--json"},
         "vantrel capture: ",
         "vantrel capture: capturing the front window and a picture of the whole desktop through "
         "GNOME's Screenshot portal; the window's elements have frames relative to the window\n"},
    };
    for (const auto& each : cases) {
        QProcess vantrel;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        vantrel.setProcessEnvironment(environment);
        vantrel.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel", each.arguments);
        ASSERT_TRUE(vantrel.waitForFinished(30000));
        EXPECT_EQ(vantrel.exitCode(), 1);
        const QString said = QString::fromUtf8(vantrel.readAllStandardError());
        EXPECT_TRUE(
            said.startsWith(each.prefix + "The Vantrel extension of GNOME Shell does not answer ("))
            << qPrintable(said);
        EXPECT_TRUE(said.contains("). Turn it on in Extensions, or run: gnome-extensions enable "
                                  "vantrel@quendale.com\n" +
                                  each.then))
            << qPrintable(said);
    }
}

} // namespace
} // namespace vantrel::testing
