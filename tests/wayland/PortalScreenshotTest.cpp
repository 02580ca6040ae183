// The Screenshot portal on the headless GNOME, with the permission granted beforehand as GNOME's
// own dialog would store it: the whole screen, and no file left in the home folder.
#include "platform/wayland/PortalScreenshot.h"
#include "support/PictureColour.h"
#include "support/WaylandProbe.h"

#include "platform/wayland/GnomeShellHelper.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
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

TEST(ScreenshotPortal, PicturesTheWholeScreenAndLeavesNoFileBehind) {
    QString reason;
    const auto helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
    ASSERT_TRUE(helper) << qPrintable(reason);
    // An application outside a sandbox has the empty app id.
    QDBusMessage grant = QDBusMessage::createMethodCall(
        "org.freedesktop.impl.portal.PermissionStore",
        "/org/freedesktop/impl/portal/PermissionStore",
        "org.freedesktop.impl.portal.PermissionStore", "SetPermission");
    grant << QString("screenshot") << true << QString("screenshot") << QString()
          << QStringList{"yes"};
    const QDBusMessage granted = QDBusConnection::sessionBus().call(grant);
    ASSERT_EQ(granted.type(), QDBusMessage::ReplyMessage) << qPrintable(granted.errorMessage());

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
