// The Wayland backend against the private headless GNOME Shell and Vantrel's extension, beyond
// the backend contract (GnomeContractTest.cpp): frames checked against the picture's pixels, the
// clipboard after the command, the extension's answers.
#include "platform/AccessibilityPlatform.h"
#include "platform/ScreenCapturePlatform.h"
#include "platform/ScreenList.h"
#include "platform/SimTestSupport.h"
#include "platform/WindowServer.h"
#include "platform/wayland/GnomeShellHelper.h"
#include "platform/wayland/HelperHotKeys.h"
#include "platform/wayland/WaylandDesktop.h"
#include "support/AccessibleLookup.h"
#include "support/ElementReading.h"
#include "support/PictureColour.h"
#include "support/RemoteInput.h"
#include "support/WaitUntil.h"
#include "support/WaylandProbe.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

const QColor gtkPaintColour(0x1e, 0x90, 0xff);
const QColor qtPressColour(0xff, 0x8c, 0x00);

class GnomeBackend : public ::testing::Test {
  protected:
    GnomeBackend() {
        QString reason;
        desktop = WaylandDesktop::open(QStringLiteral(VANTREL_BINARY), VANTREL_VERSION, reason);
        if (!desktop)
            throw std::runtime_error(reason.toStdString());
    }

    AXReadResult read(AXElement element, const char* attribute) {
        return platform().accessibility.copyAttributeValue(element, attribute);
    }
    QString text(AXElement element, const char* attribute) {
        return elementText(platform().accessibility, element, attribute);
    }
    QRectF frame(AXElement element) { return elementFrame(platform().accessibility, element); }
    // A failed picture is a null image: it throws, and QCoro::waitFor would then never return.
    QImage screenPicture(double scale = 1) {
        const ScreenInfo primary = platform().screens.screens().value(0);
        const auto taken = test::awaitResult(platform().screenCapture.captureImage(
            DisplayFilter{primary.number.value_or(0), {}},
            StreamConfiguration{int(primary.frame.width() * scale),
                                int(primary.frame.height() * scale), true, false}));
        const auto* image = std::get_if<QImage>(&taken);
        return image ? *image : QImage();
    }
    // The element at the centre of the coloured area, which must be the named button whose
    // frame covers that area to the pixel (give or take one).
    // The compositor lists a window a little before it shows its first frame.
    QRect waitForColour(const QColor& colour) {
        QRect painted;
        waitUntil([&] { return !(painted = colourBounds(screenPicture(), colour)).isEmpty(); });
        return painted;
    }
    void expectButtonOnItsColour(const QColor& colour, const QString& title) {
        const QRect painted = waitForColour(colour);
        ASSERT_FALSE(painted.isEmpty()) << qPrintable(title) << " is not on screen";
        auto& accessibility = platform().accessibility;
        const QPointF centre = QRectF(painted).center();
        const auto element = accessibility.elementAtPosition(accessibility.systemWideElement(),
                                                             centre.x(), centre.y());
        ASSERT_TRUE(element);
        EXPECT_EQ(text(*element, "AXRole"), "AXButton");
        EXPECT_EQ(text(*element, "AXTitle"), title);
        const QRectF found = frame(*element);
        EXPECT_NEAR(found.left(), painted.left(), 1);
        EXPECT_NEAR(found.top(), painted.top(), 1);
        EXPECT_NEAR(found.width(), painted.width(), 1);
        EXPECT_NEAR(found.height(), painted.height(), 1);
    }
    Platform platform() { return desktop->platform(); }

    std::unique_ptr<WaylandDesktop> desktop;
};

TEST_F(GnomeBackend, TheGtkButtonIsFoundAtItsColourWithItsFrameOnThePixels) {
    const WaylandProbe gtk = WaylandProbe::gtk(desktop->helper());
    ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
    // Client-side decorations: the shadow lies outside the frame, inside the surface.
    const CompositorWindow window = gtk.window(desktop->helper());
    EXPECT_NE(window.frame, window.buffer);
    expectButtonOnItsColour(gtkPaintColour, "Paint");

    // Up through the parents to its window, which its application lists.
    auto& accessibility = platform().accessibility;
    const QPointF inside = QRectF(colourBounds(screenPicture(), gtkPaintColour)).center();
    AXElement element =
        *accessibility.elementAtPosition(accessibility.systemWideElement(), inside.x(), inside.y());
    for (int hops = 0; hops < 10 && text(element, "AXRole") != "AXWindow"; ++hops)
        element = std::get<AXElement>(read(element, "AXParent").value);
    EXPECT_EQ(text(element, "AXTitle"), gtk.title());
    const auto windows = read(accessibility.applicationElement(qint32(gtk.pid())), "AXWindows");
    EXPECT_TRUE(std::get<QList<AXElement>>(windows.value).contains(element));
    // The AT-SPI window is the whole surface, shadow included.
    EXPECT_EQ(frame(element), QRectF(window.buffer));
}

TEST_F(GnomeBackend, TheMaximisedGtkButtonIsFoundAtItsColourToo) {
    const WaylandProbe gtk = WaylandProbe::gtk(desktop->helper(), {"--maximized"});
    ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
    const CompositorWindow window = gtk.window(desktop->helper());
    EXPECT_TRUE(window.maximized);
    // No shadow when maximised: the surface is the frame.
    EXPECT_EQ(window.frame, window.buffer);
    expectButtonOnItsColour(gtkPaintColour, "Paint");
}

// An X11 application through Xwayland, which the helper lists as an X11 client. With Xwayland in
// use the shell keeps a hidden window of its own at the top of the stack, which is no window of
// the list: the probe, focused, is its front.
TEST_F(GnomeBackend, TheGtkButtonOfAnXwaylandClientIsFoundAtItsColourToo) {
    const WaylandProbe gtk = WaylandProbe::gtkOnXwayland(desktop->helper());
    ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
    EXPECT_TRUE(gtk.window(desktop->helper()).x11Client);
    expectButtonOnItsColour(gtkPaintColour, "Paint");
    ASSERT_TRUE(waitUntil([&] { return gtk.window(desktop->helper()).focused; }));
    const auto entries = platform().windowServer.onScreenWindows();
    ASSERT_TRUE(entries && !entries->isEmpty());
    EXPECT_EQ(entries->first().ownerPid, gtk.pid());
    EXPECT_EQ(platform().windowServer.frontmostApplication().value().pid, gtk.pid());
}

// Qt draws its own title bar, and its margins change when the window is maximised.
TEST_F(GnomeBackend, TheQtButtonIsFoundAtItsColourBelowQtsOwnTitleBarWindowedAndMaximised) {
    for (const bool maximised : {false, true}) {
        SCOPED_TRACE(maximised ? "maximised" : "windowed");
        const WaylandProbe qt = WaylandProbe::qt(
            desktop->helper(), maximised ? QStringList{"--maximized"} : QStringList());
        ASSERT_TRUE(qt.waitForAccessible("Press", "push button"));
        ASSERT_TRUE(waitUntil([&] { return qt.window(desktop->helper()).maximized == maximised; }));
        expectButtonOnItsColour(qtPressColour, "Press");
    }
}

// The window list's bounds are the frame, GTK's shadows left out (the contract checks the order).
TEST_F(GnomeBackend, TheWindowListHasTheFrameWithoutTheShadows) {
    const WaylandProbe gtk = WaylandProbe::gtk(desktop->helper());
    // A new window takes the focus on GNOME, and with it the top of the stack.
    ASSERT_TRUE(waitUntil([&] { return gtk.window(desktop->helper()).focused; }));
    const auto entries = platform().windowServer.onScreenWindows();
    ASSERT_TRUE(entries && !entries->isEmpty());
    const CompositorWindow window = gtk.window(desktop->helper());
    ASSERT_NE(window.frame, window.buffer);
    // The core's origin is the primary monitor's corner; this one is the layout's too.
    EXPECT_EQ(entries->first().bounds.value(), QRectF(window.frame));
}

// Sizes of nothing and closed windows: the backend contract (GnomeContractTest.cpp).
TEST_F(GnomeBackend, PicturesHaveTheSizeOfWhatTheyShow) {
    const QList<ScreenInfo> screens = platform().screens.screens();
    ASSERT_EQ(screens.size(), 1);
    EXPECT_EQ(screens.first().frame, QRectF(0, 0, 1440, 900));
    EXPECT_EQ(screenPicture().size(), QSize(1440, 900));
    EXPECT_EQ(screenPicture(0.5).size(), QSize(720, 450)) << "scaled to the size asked for";
    // The tray app takes pictures for as long as it runs: each one's file goes with it.
    const auto openFiles = [] {
        return QDir("/proc/self/fd")
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
            .size();
    };
    const qsizetype before = openFiles();
    for (int count = 0; count < 4; ++count)
        screenPicture(0.25);
    EXPECT_EQ(openFiles(), before);

    const WaylandProbe gtk = WaylandProbe::gtk(desktop->helper());
    const CompositorWindow window = gtk.window(desktop->helper());
    ASSERT_FALSE(waitForColour(gtkPaintColour).isEmpty());
    auto& capture = platform().screenCapture;
    // A failed picture throws; waitFor would never return.
    const auto taken = test::awaitResult(capture.captureImage(
        WindowFilter{quint32(window.id)},
        StreamConfiguration{window.frame.width(), window.frame.height(), true, false}));
    ASSERT_TRUE(std::holds_alternative<QImage>(taken))
        << qPrintable(std::get<PlatformError>(taken).description);
    const QImage picture = std::get<QImage>(taken);
    EXPECT_EQ(picture.size(), window.frame.size());
    EXPECT_FALSE(colourBounds(picture, gtkPaintColour).isEmpty());
}

// What another program reads from the clipboard: wl-paste's bytes, or its complaint.
QByteArray pasted(const QStringList& arguments) {
    QProcess paste;
    paste.start("wl-paste", QStringList{"--no-newline"} + arguments);
    paste.waitForFinished(30000);
    return paste.exitCode() == 0 ? paste.readAllStandardOutput() : paste.readAllStandardError();
}

// Another program copies: wl-copy returns once the text is on the clipboard and serves it from a
// child of its own until something else is copied (or the desktop stops); that child must not hold
// the test's output open. Racing a wl-paste, its window could miss the focus: it is done before
// anything else asks.
bool copyElsewhere(const QString& text) {
    QProcess copy;
    copy.setStandardOutputFile(QProcess::nullDevice());
    copy.setStandardErrorFile(QProcess::nullDevice());
    copy.start("wl-copy", {text});
    return copy.waitForFinished() && copy.exitCode() == 0;
}

bool seatHasKeyboard() {
    return !pasted({"--list-types"}).contains("This seat has no keyboard");
}

// A keyboard on the seat: the compositor adds it a little after its first key.
std::unique_ptr<RemoteInput> pluggedInKeyboard() {
    auto keyboard = std::make_unique<RemoteInput>();
    keyboard->plugIn();
    return waitUntil(seatHasKeyboard) ? std::move(keyboard) : nullptr;
}

// The clipboard servers of ours that run on this desktop.
QList<qint64> waylandClipboardServers() {
    QList<qint64> servers;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile commandLine("/proc/" + entry + "/cmdline");
        if (!commandLine.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> arguments = commandLine.readAll().split('\0');
        if (arguments.first().endsWith("/vantrel-clipboard") && arguments.contains("wayland"))
            servers.append(entry.toLongLong());
    }
    return servers;
}

// Runs vantrel capture --at the point, as the test user would, and returns its JSON report.
QJsonObject captureAt(QPoint point, const QStringList& more = {}) {
    QProcess vantrel;
    vantrel.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel",
                  QStringList{"capture", "--at", QString("%1,%2").arg(point.x()).arg(point.y()),
                              "--top-left", "--json"} +
                      more);
    vantrel.waitForFinished(60000);
    QJsonObject report = QJsonDocument::fromJson(vantrel.readAllStandardOutput()).object();
    report["exitCode"] = vantrel.exitCode();
    report["stderr"] = QString::fromUtf8(vantrel.readAllStandardError());
    return report;
}

// The capture settings belong to the desktop's one home: each case sets its agent, and the
// default comes back whatever happens.
struct AgentSetting {
    explicit AgentSetting(const QString& agent) { set(agent); }
    ~AgentSetting() { set("claudeCode"); }
    static void set(const QString& agent) {
        QProcess settings;
        settings.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel",
                       {"settings", "agent", agent});
        settings.waitForFinished();
    }
};

// vantrel capture on GNOME: the element under the point, its folder, and its payload on the
// clipboard after the command has exited, with every type at once, while the focus stays where it
// was. Each capture's server takes over from the last one's, which leaves.
TEST_F(GnomeBackend, VantrelCaptureLeavesItsPayloadOnTheClipboard) {
    const auto keyboard = pluggedInKeyboard();
    ASSERT_TRUE(keyboard);
    const WaylandProbe gtk = WaylandProbe::gtk(desktop->helper());
    ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
    ASSERT_TRUE(waitUntil([&] { return gtk.window(desktop->helper()).focused; }));
    const QPoint centre = waitForColour(gtkPaintColour).center();
    const QStringList text = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING"};
    const struct {
        const char* agent;
        const char* mode;
        QStringList types;
    } cases[] = {
        {"claudeCode", "bundle", QStringList{"image/png"} + text},
        {"cursor", "bundle", QStringList{"text/uri-list", "text/x-moz-url"} + text},
        {"cursor", "tree", QStringList{"application/json"} + text},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.agent) + " " + c.mode);
        const AgentSetting agent(c.agent);
        const QJsonObject report = captureAt(centre, {"--mode", c.mode});
        ASSERT_EQ(report["exitCode"].toInt(), 0)
            << qPrintable(report["stderr"].toString() + report["clipboardError"].toString());
        EXPECT_FALSE(report.contains("clipboardError"));
        QStringList offered =
            QString::fromUtf8(pasted({"--list-types"})).split('\n', Qt::SkipEmptyParts);
        offered.sort();
        QStringList expected = c.types;
        expected.sort();
        EXPECT_EQ(offered.join(", "), expected.join(", "));

        const QJsonObject item = report["pasteboard"][0].toObject();
        EXPECT_EQ(pasted({"-t", "text/plain"}), item["public.utf8-plain-text"].toString().toUtf8());
        if (item.contains("public.json")) {
            EXPECT_EQ(pasted({"-t", "application/json"}), item["public.json"].toString().toUtf8());
        }
        if (item.contains("public.file-url")) {
            EXPECT_EQ(pasted({"-t", "text/uri-list"}),
                      item["public.file-url"].toString().toUtf8() + "\r\n");
        }
        if (item.contains("public.tiff")) {
            const QImage picture = QImage::fromData(pasted({"-t", "image/png"}), "PNG");
            const QImage screenshot(report["bundle"]["screenshotURL"].toString());
            ASSERT_FALSE(screenshot.isNull());
            EXPECT_EQ(picture.convertToFormat(QImage::Format_ARGB32),
                      screenshot.convertToFormat(QImage::Format_ARGB32));
        }
        if (report["bundle"].isObject()) {
            QFile tree(report["bundle"]["accessibilityURL"].toString());
            ASSERT_TRUE(tree.open(QIODevice::ReadOnly));
            EXPECT_TRUE(tree.readAll().contains("Paint"));
        }
        // The last capture's server leaves once it has seen the new one take over.
        EXPECT_TRUE(waitUntil([] { return waylandClipboardServers().size() == 1; }))
            << waylandClipboardServers().size();
    }
    // The clipboard's window came and went: the probe has the focus again.
    EXPECT_TRUE(waitUntil([&] { return gtk.window(desktop->helper()).focused; }));
    const auto windows = desktop->helper().windows();
    ASSERT_TRUE(windows);
    for (const CompositorWindow& window : *windows)
        EXPECT_NE(window.title, "Vantrel clipboard");

    // Another program copies: the server leaves, and nothing of ours runs any more.
    ASSERT_TRUE(copyElsewhere("other"));
    EXPECT_TRUE(waitUntil([] { return waylandClipboardServers().isEmpty(); }));
    EXPECT_EQ(pasted({"-t", "text/plain"}), "other");
}

// A capture that fails, or whose payload the compositor will not take (a seat without a keyboard),
// leaves the clipboard as it was and no server behind.
TEST_F(GnomeBackend, AFailedCaptureLeavesTheClipboardAsItWas) {
    const WaylandProbe gtk = WaylandProbe::gtk(desktop->helper());
    ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
    const QPoint centre = waitForColour(gtkPaintColour).center();
    const struct {
        const char* name;
        QPoint at;
        bool keyboard;
        const char* clipboardError;
    } cases[] = {
        {"nothing under the point", QPoint(5, 5), true, nullptr},
        {"no keyboard", centre, false,
         "This Wayland seat has no keyboard, and the compositor gives the clipboard only to a "
         "window that has the keyboard's focus"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto keyboard = pluggedInKeyboard();
        ASSERT_TRUE(keyboard);
        ASSERT_TRUE(copyElsewhere("before"));
        ASSERT_EQ(pasted({"-t", "text/plain"}), "before");
        if (!c.keyboard) {
            keyboard.reset();
            ASSERT_TRUE(waitUntil([] { return !seatHasKeyboard(); }));
        }
        const QJsonObject report = captureAt(c.at);
        EXPECT_EQ(report["exitCode"].toInt(), 1);
        EXPECT_EQ(report["ok"].toBool(), c.clipboardError != nullptr);
        EXPECT_EQ(report["clipboardError"].toString(), c.clipboardError ? c.clipboardError : "")
            << qPrintable(QJsonDocument(report).toJson());
        EXPECT_TRUE(waitUntil([] { return waylandClipboardServers().isEmpty(); }));
        EXPECT_TRUE(QDir(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/vantrel")
                        .entryList(QDir::Files)
                        .isEmpty());
        if (!keyboard)
            keyboard = pluggedInKeyboard();
        EXPECT_EQ(pasted({"-t", "text/plain"}), "before");
    }
}

TEST(GnomeExtension, AnswersVantrelAloneAndSaysSoToOthers) {
    // gdbus is not Vantrel: it may read the version, nothing else.
    const auto ask = [](const QString& method, const QStringList& arguments = {}) {
        QProcess gdbus;
        gdbus.start("gdbus", QStringList{"call", "--session", "--dest", GnomeShellHelper::service,
                                         "--object-path", GnomeShellHelper::path, "--method",
                                         GnomeShellHelper::interface + "." + method} +
                                 arguments);
        gdbus.waitForFinished();
        return std::pair(gdbus.exitCode(), QString::fromUtf8(gdbus.readAllStandardOutput() +
                                                             gdbus.readAllStandardError()));
    };
    EXPECT_EQ(ask("Version"), std::pair(0, QString("('" VANTREL_VERSION "',)\n")));
    const std::pair<const char*, QStringList> calls[] = {
        {"Pointer", {}},
        {"Windows", {}},
        {"Monitors", {}},
        {"WatchShortcuts", {}},
        {"SetMenu", {"[]"}},
        {"Menu", {}},
        {"ActivateMenuItem", {"1/0"}},
        {"ShowToast", {"Copied"}},
        {"Toast", {}},
    };
    for (const auto& [method, arguments] : calls) {
        const auto [code, said] = ask(method, arguments);
        EXPECT_NE(code, 0) << method;
        EXPECT_TRUE(said.contains("com.vantrel.Vantrel.ShellHelper.Error.AccessDenied: Only "
                                  "Vantrel may use this interface; /usr/bin/gdbus is not Vantrel."))
            << method << ": " << qPrintable(said);
    }
    // This binary is one of the executables the fixture's extension allows.
    QString reason;
    const auto helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
    ASSERT_TRUE(helper) << qPrintable(reason);
    EXPECT_TRUE(helper->pointer());
    EXPECT_EQ(helper->monitors().size(), 1);
}

// The fixture gives GNOME's switch-to-workspace-last the keys <Alt><Primary>r.
TEST(GnomeExtension, ReportsAShortcutThatClashesWithOneOfGnomesOwn) {
    QString reason;
    const auto helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
    ASSERT_TRUE(helper) << qPrintable(reason);
    using Clashes = QMap<QString, QString>;
    const auto answer = helper->watchShortcuts([](const QString&) {});
    ASSERT_TRUE(std::holds_alternative<Clashes>(answer));
    const Clashes expected{
        {"capture-area", "org.gnome.desktop.wm.keybindings switch-to-workspace-last"}};
    EXPECT_EQ(std::get<Clashes>(answer), expected);

    HelperHotKeys hotKeys(*helper);
    ASSERT_TRUE(hotKeys.installHandler([](quint32) {}));
    EXPECT_TRUE(hotKeys.registerHotKey(1, 8, 0x1800)) << "Ctrl+Alt+C is free";
    EXPECT_FALSE(hotKeys.registerHotKey(2, 15, 0x1800)) << "Ctrl+Alt+R clashes";
}

TEST(GnomeExtension, CtrlAltCPressedThroughTheCompositorReachesTheApp) {
    QString reason;
    const auto helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
    ASSERT_TRUE(helper) << qPrintable(reason);
    HelperHotKeys hotKeys(*helper);
    QList<quint32> pressed;
    ASSERT_TRUE(hotKeys.installHandler([&](quint32 id) { pressed.append(id); }));
    ASSERT_TRUE(hotKeys.registerHotKey(41, 8, 0x1800));
    RemoteInput keyboard;
    ASSERT_TRUE(keyboard.started());
    constexpr quint32 controlL = 0xffe3, altL = 0xffe9, keyC = 0x63, keyX = 0x78;
    keyboard.chord({controlL, altL, keyX});
    keyboard.chord({controlL, altL, keyC});
    EXPECT_TRUE(waitUntil([&] { return !pressed.isEmpty(); }));
    EXPECT_EQ(pressed, QList<quint32>{41}) << "Ctrl+Alt+X is no shortcut of ours";
}

TEST(GnomeExtension, TheDoctorFindsItAnswering) {
    QProcess vantrel;
    vantrel.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel", {"doctor", "--json"});
    ASSERT_TRUE(vantrel.waitForFinished(60000));
    const QByteArray said = vantrel.readAllStandardOutput();
    QJsonObject extension;
    for (const QJsonValue finding : QJsonDocument::fromJson(said).object()["findings"].toArray()) {
        if (finding["check"] == "gnomeExtension")
            extension = finding.toObject();
    }
    EXPECT_EQ(extension["verdict"], "ok") << said.constData();
    EXPECT_EQ(extension["summary"], "Vantrel's extension answers (version " VANTREL_VERSION ")");
}

TEST(GnomeExtension, AnotherVersionOfTheAppIsToldSoPlainly) {
    QString reason;
    EXPECT_FALSE(GnomeShellHelper::connect("9.8.7", reason));
    EXPECT_EQ(reason, GnomeShellHelper::versionMismatch(VANTREL_VERSION, "9.8.7"));
    EXPECT_TRUE(reason.startsWith("The Vantrel extension of GNOME Shell is version " VANTREL_VERSION
                                  ", but Vantrel is version 9.8.7."))
        << qPrintable(reason);
}

} // namespace
} // namespace vantrel::testing
