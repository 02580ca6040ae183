// Two monitors of different sizes on the private GNOME Shell, one beside the other and one above
// the other (the lower one primary, so the core's origin is not the layout's): a capture at a
// point on the second monitor agrees with its picture, and the toast follows the pointer. The
// overlay on two monitors is in AreaOverlayTest.
#include "platform/wayland/GnomeShellHelper.h"
#include "support/GnomeMonitorLayout.h"
#include "support/PictureColour.h"
#include "support/RemoteInput.h"
#include "support/WaitUntil.h"
#include "support/WaylandProbe.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

const QColor twoMonitorPaintColour(0x1e, 0x90, 0xff);

QRect frameOfJson(const QJsonValue& value) {
    return QRectF(value["x"].toDouble(), value["y"].toDouble(), value["width"].toDouble(),
                  value["height"].toDouble())
        .toRect();
}

void expectWithinAPixel(const QRect& found, const QRect& expected) {
    EXPECT_LE(qAbs(found.left() - expected.left()), 1);
    EXPECT_LE(qAbs(found.top() - expected.top()), 1);
    EXPECT_LE(qAbs(found.right() - expected.right()), 1);
    EXPECT_LE(qAbs(found.bottom() - expected.bottom()), 1);
}

class GnomeMultiMonitor : public ::testing::Test {
  protected:
    GnomeMultiMonitor() {
        QString reason;
        helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
        if (!helper)
            throw std::runtime_error(reason.toStdString());
    }

    // The button's colour on that monitor, in the compositor's pixels.
    QRect paintOn(const QRect& monitor) {
        QRect painted;
        waitUntil([&] {
            const auto picture = helper->picture(monitor);
            painted = std::holds_alternative<QImage>(picture)
                          ? colourBounds(std::get<QImage>(picture), twoMonitorPaintColour)
                          : QRect();
            return !painted.isEmpty();
        });
        return painted.translated(monitor.topLeft());
    }

    std::unique_ptr<GnomeShellHelper> helper;
};

// The latest toast's frame, as the shell drew it.
QRect latestToastFrame() {
    const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        GnomeShellHelper::service, GnomeShellHelper::path, GnomeShellHelper::interface, "Toast"));
    int x = 0, y = 0, width = 0, height = 0;
    const QDBusArgument frame = reply.arguments().value(1).value<QDBusArgument>();
    frame.beginStructure();
    frame >> x >> y >> width >> height;
    frame.endStructure();
    return QRect(x, y, width, height);
}

TEST_F(GnomeMultiMonitor,
       ACaptureOnTheSecondMonitorAgreesWithItsPictureAndTheToastFollowsThePointer) {
    GnomeMonitorLayout layout(*helper);
    for (const GnomeMonitorSet* set : {&gnomeSideBySide, &gnomeStacked}) {
        SCOPED_TRACE(set->name.toStdString());
        layout.switchTo(*set);
        RemoteInput input;
        ASSERT_TRUE(input.started());
        const WaylandProbe gtk = WaylandProbe::gtkOn(*helper, input, set->monitors[1]);
        ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
        const QRect paint = paintOn(set->monitors[1]);
        ASSERT_FALSE(paint.isEmpty());
        const QRect window = gtk.window(*helper).frame;

        QProcess vantrel;
        vantrel.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel",
                      {"capture", "--at", set->topLeftArgument(paint.center()), "--top-left",
                       "--json", "--no-clipboard"});
        ASSERT_TRUE(vantrel.waitForFinished(60000));
        ASSERT_EQ(vantrel.exitCode(), 0) << vantrel.readAllStandardError().constData();
        const QJsonObject report =
            QJsonDocument::fromJson(vantrel.readAllStandardOutput()).object();
        QFile tree(report["bundle"]["accessibilityURL"].toString());
        ASSERT_TRUE(tree.open(QIODevice::ReadOnly));
        const QJsonObject snapshot = QJsonDocument::fromJson(tree.readAll()).object();
        EXPECT_EQ(snapshot["tree"]["title"].toString(), "Paint");
        // The core counts from the primary monitor's corner.
        const QPoint origin = set->primaryOrigin();
        const QRect frame = frameOfJson(snapshot["tree"]["frame"]);
        expectWithinAPixel(frame, paint.translated(-origin));
        EXPECT_EQ(QPoint(snapshot["mouse"]["x"].toInt(), snapshot["mouse"]["y"].toInt()),
                  paint.center() - origin);
        // The picture is the window: the frame, taken relative to it, is on the button's colour.
        const QImage picture(report["bundle"]["screenshotURL"].toString());
        EXPECT_EQ(picture.size(), window.size());
        expectWithinAPixel(colourBounds(picture, twoMonitorPaintColour),
                           frame.translated(origin - window.topLeft()));

        // The toast at the bottom centre of the monitor under the pointer, 96 above its edge.
        for (const QRect& monitor : set->monitors) {
            ASSERT_TRUE(input.moveTo(*helper, monitor.center() + QPoint(7, 5)));
            ASSERT_TRUE(helper->showToast("Copied — press Ctrl+V in Claude Code"));
            const QRect toast = latestToastFrame();
            EXPECT_TRUE(monitor.contains(toast)) << monitor.x() << "," << monitor.y();
            EXPECT_LE(qAbs(toast.center().x() - monitor.center().x()), 1);
            EXPECT_EQ(monitor.bottom() - toast.bottom(), 96);
        }
    }
}

} // namespace
} // namespace vantrel::testing
