// GNOME without Vantrel's extension, on the headless GNOME with the screenshot permission granted
// beforehand as GNOME's own dialog would store it: the portal's picture of the whole screen, a
// capture of the front window through it, and no file left in the home folder.
#include "platform/wayland/PortalScreenshot.h"
#include "platform/linux/AtspiActiveWindow.h"
#include "support/PictureColour.h"
#include "support/RemoteInput.h"
#include "support/WaitUntil.h"
#include "support/WaylandProbe.h"

#include "platform/wayland/GnomeShellHelper.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

QStringList homeFiles() {
    QStringList files;
    QDir home = QDir::home();
    for (const QString& name : home.entryList(QDir::Files | QDir::Hidden))
        files.append(name);
    return files;
}

// An application outside a sandbox has the empty app id.
void grantScreenshots() {
    QDBusMessage grant = QDBusMessage::createMethodCall(
        "org.freedesktop.impl.portal.PermissionStore",
        "/org/freedesktop/impl/portal/PermissionStore",
        "org.freedesktop.impl.portal.PermissionStore", "SetPermission");
    grant << QString("screenshot") << true << QString("screenshot") << QString()
          << QStringList{"yes"};
    const QDBusMessage granted = QDBusConnection::sessionBus().call(grant);
    ASSERT_EQ(granted.type(), QDBusMessage::ReplyMessage) << qPrintable(granted.errorMessage());
}

bool runGnomeExtensions(const QString& command) {
    QProcess tool;
    tool.start("gnome-extensions", {command, GnomeShellHelper::extensionUuid});
    return tool.waitForFinished() && tool.exitCode() == 0;
}

// Turns the extension off for one test and on again after it, whatever the test did.
class ExtensionTurnedOff {
  public:
    ExtensionTurnedOff() {
        m_off = runGnomeExtensions("disable") &&
                waitUntil([] { return !GnomeShellHelper::probe().answers; });
    }
    ~ExtensionTurnedOff() {
        runGnomeExtensions("enable");
        waitUntil([] { return GnomeShellHelper::probe().answers; });
    }
    bool off() const { return m_off; }

  private:
    bool m_off = false;
};

TEST(ScreenshotPortal, PicturesTheWholeScreenAndLeavesNoFileBehind) {
    QString reason;
    const auto helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
    ASSERT_TRUE(helper) << qPrintable(reason);
    grantScreenshots();

    const WaylandProbe gtk = WaylandProbe::gtk(*helper);
    const QColor paint(0x1e, 0x90, 0xff);
    const QStringList before = homeFiles();
    PortalScreenshot portal(QDBusConnection::sessionBus());
    const auto taken = portal.take();
    ASSERT_TRUE(std::holds_alternative<QImage>(taken))
        << qPrintable(std::get<PlatformError>(taken).description);
    const QImage picture = std::get<QImage>(taken);
    EXPECT_EQ(picture.size(), QSize(1440, 900));
    EXPECT_FALSE(colourBounds(picture, paint).isEmpty());
    EXPECT_EQ(homeFiles(), before);
}

} // namespace
} // namespace vantrel::testing

namespace vantrel::testing {
namespace {

struct PortalRun {
    int exitCode = -1;
    QJsonObject report;
    QString errors;
};

PortalRun runVantrelCapture(const QStringList& arguments) {
    QProcess vantrel;
    vantrel.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel",
                  QStringList{"capture", "--json", "--no-clipboard"} + arguments);
    if (!vantrel.waitForFinished(60000))
        vantrel.kill();
    return {vantrel.exitCode(), QJsonDocument::fromJson(vantrel.readAllStandardOutput()).object(),
            QString::fromUtf8(vantrel.readAllStandardError())};
}

// The front window is the one AT-SPI marks active; there is no pointer, so a point is refused.
TEST(ScreenshotPortal, VantrelCaptureWithoutTheExtensionTakesTheFrontWindowThroughIt) {
    QString reason;
    const auto helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
    ASSERT_TRUE(helper) << qPrintable(reason);
    grantScreenshots();
    RemoteInput keyboard;
    ASSERT_TRUE(keyboard.started());
    constexpr quint32 shiftL = 0xffe1;
    keyboard.chord({shiftL});
    const WaylandProbe gtk = WaylandProbe::gtk(*helper);
    ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
    // AT-SPI marks a window active once it has the keyboard, which needs a seat with one.
    ASSERT_TRUE(waitUntil([&] {
        const auto active = AtspiActiveWindow::find();
        return active && active->pid == gtk.pid();
    }));
    const ExtensionTurnedOff extensionOff;
    ASSERT_TRUE(extensionOff.off());
    // A helper connected before the extension went gets an error, not a list without clashes.
    EXPECT_TRUE(
        std::holds_alternative<PlatformError>(helper->watchShortcuts([](const QString&) {})));
    const QStringList before = homeFiles();

    const PortalRun whole = runVantrelCapture({});
    EXPECT_EQ(whole.exitCode, 0) << qPrintable(whole.errors)
                                 << QJsonDocument(whole.report).toJson().constData();
    EXPECT_TRUE(whole.errors.contains("The Vantrel extension of GNOME Shell does not answer"))
        << qPrintable(whole.errors);
    EXPECT_TRUE(whole.errors.contains("gnome-extensions enable vantrel@quendale.com"));
    const QImage picture(whole.report["bundle"]["screenshotURL"].toString());
    EXPECT_EQ(picture.size(), QSize(1440, 900));
    QFile tree(whole.report["bundle"]["accessibilityURL"].toString());
    ASSERT_TRUE(tree.open(QIODevice::ReadOnly)) << qPrintable(whole.errors);
    const QJsonObject snapshot = QJsonDocument::fromJson(tree.readAll()).object();
    EXPECT_EQ(snapshot["tree"]["role"].toString(), "AXWindow");
    EXPECT_EQ(snapshot["tree"]["title"].toString(), gtk.title());
    EXPECT_EQ(homeFiles(), before);

    // The doctor looks at the portal's permission for want of the extension.
    QProcess doctor;
    doctor.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel", {"doctor", "--json"});
    ASSERT_TRUE(doctor.waitForFinished(60000));
    QStringList portalFindings;
    for (const QJsonValue finding :
         QJsonDocument::fromJson(doctor.readAllStandardOutput()).object()["findings"].toArray()) {
        if (finding["check"] == "screenshotPortal")
            portalFindings << finding["verdict"].toString() + ": " + finding["summary"].toString();
    }
    EXPECT_EQ(portalFindings, QStringList{"ok: Vantrel may take screenshots through the portal"});

    for (const QStringList& placed :
         {QStringList{"--at", "10,10"}, QStringList{"--region", "0,0,100,100"},
          QStringList{"--ask", "Choose"}}) {
        const PortalRun refused = runVantrelCapture(placed);
        EXPECT_EQ(refused.exitCode, 1) << qPrintable(placed.first());
        EXPECT_TRUE(refused.errors.contains(placed.first() +
                                            " needs Vantrel's GNOME Shell extension: without it "
                                            "GNOME tells no program where the pointer and the "
                                            "windows are"))
            << qPrintable(refused.errors);
    }
}

} // namespace
} // namespace vantrel::testing
