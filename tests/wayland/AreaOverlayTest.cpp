// `vantrel capture --ask` on GNOME on Wayland: the overlay covers each output with the helper's
// picture of it, dimmed; a drag typed through the compositor is the area captured; Esc captures
// nothing.
#include "platform/wayland/GnomeShellHelper.h"
#include "support/GnomeMonitorLayout.h"
#include "support/PictureColour.h"
#include "support/RemoteInput.h"
#include "support/WaitUntil.h"
#include "support/WaylandProbe.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <optional>

namespace vantrel::testing {
namespace {

const QColor overlayPaintColour(0x1e, 0x90, 0xff);
const QString overlayTitle = QStringLiteral("Vantrel area selection");

QStringList captureFolders() {
    return QDir(qEnvironmentVariable("XDG_CACHE_HOME") + "/Vantrel/captures")
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

// The node of that title anywhere in a snapshot tree.
std::optional<QJsonObject> nodeTitled(const QJsonObject& node, const QString& title) {
    if (node["title"].toString() == title)
        return node;
    for (const QJsonValue child : node["children"].toArray()) {
        if (auto found = nodeTitled(child.toObject(), title))
            return found;
    }
    return std::nullopt;
}

class AreaOverlay : public ::testing::Test {
  protected:
    AreaOverlay() {
        QString reason;
        helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
        if (!helper)
            throw std::runtime_error(reason.toStdString());
    }
    ~AreaOverlay() override {
        if (vantrel.state() != QProcess::NotRunning) {
            vantrel.kill();
            vantrel.waitForFinished();
        }
    }

    QImage screen() {
        auto picture = helper->picture(helper->monitors().value(0).area);
        return std::holds_alternative<QImage>(picture) ? std::get<QImage>(picture) : QImage();
    }
    QRect waitForPaint() {
        QRect painted;
        waitUntil(
            [&] { return !(painted = colourBounds(screen(), overlayPaintColour)).isEmpty(); });
        return painted;
    }
    // Input reaches the overlay once it is mapped and focused, which GNOME does a moment after
    // listing it.
    bool overlayFocused() {
        const auto windows = helper->windows().value_or(QList<CompositorWindow>());
        return std::any_of(windows.begin(), windows.end(), [](const CompositorWindow& window) {
            return window.title == overlayTitle && window.focused;
        });
    }
    // The overlay's windows as the compositor lists them, once there is one on every monitor.
    QList<QRect> startAsking() {
        vantrel.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel",
                      {"capture", "--ask", "Choose", "--json", "--no-clipboard"});
        QList<QRect> covered;
        waitUntil([&] {
            covered = panels();
            return (covered.size() >= helper->monitors().size() && overlayFocused()) ||
                   vantrel.state() == QProcess::NotRunning;
        });
        return covered;
    }
    // The overlay's panels as the compositor places them now, top to bottom, left to right.
    QList<QRect> panels() {
        QList<QRect> covered;
        for (const CompositorWindow& window : helper->windows().value_or(QList<CompositorWindow>()))
            // A window is listed before its first size is settled.
            if (window.pid == vantrel.processId() && window.title == overlayTitle &&
                !window.frame.isEmpty())
                covered.append(window.frame);
        std::sort(covered.begin(), covered.end(), [](const QRect& a, const QRect& b) {
            return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x());
        });
        return covered;
    }
    QJsonObject finish() {
        EXPECT_TRUE(vantrel.state() == QProcess::NotRunning || vantrel.waitForFinished(60000))
            << vantrel.readAllStandardError().constData();
        const QByteArray said = vantrel.readAllStandardOutput();
        errors = vantrel.readAllStandardError();
        return QJsonDocument::fromJson(said).object();
    }

    std::unique_ptr<GnomeShellHelper> helper;
    QProcess vantrel;
    QByteArray errors;
};

TEST_F(AreaOverlay, ADragTypedThroughTheCompositorCapturesTheDraggedArea) {
    const WaylandProbe gtk = WaylandProbe::gtk(*helper);
    ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
    const QRect paint = waitForPaint();
    ASSERT_FALSE(paint.isEmpty());
    const QStringList before = captureFolders();

    QList<QRect> monitors;
    for (const CompositorMonitor& monitor : helper->monitors())
        monitors.append(monitor.area);
    EXPECT_EQ(startAsking(), monitors) << vantrel.readAllStandardError().constData();

    const QPoint from = paint.topLeft() - QPoint(30, 20);
    const QPoint to = paint.bottomRight() + QPoint(41, 25);
    RemoteInput input;
    ASSERT_TRUE(input.started());
    // The pointer may be there already from an earlier test: a move of its own tells the overlay.
    ASSERT_TRUE(input.moveTo(*helper, from + QPoint(5, 5)));
    // Under load the headless shell now and then turns a synthetic button into nothing: while the
    // overlay is still up, the same drag goes again (at most three times in all).
    for (int drag = 0; drag < 3 && vantrel.state() != QProcess::NotRunning; ++drag) {
        ASSERT_TRUE(input.drag(*helper, from, to));
        vantrel.waitForFinished(10000);
    }

    const QJsonObject report = finish();
    ASSERT_TRUE(report["ok"].toBool())
        << errors.constData() << QJsonDocument(report).toJson().constData();
    EXPECT_FALSE(report["cancelled"].toBool());
    EXPECT_EQ(vantrel.exitCode(), 0);
    EXPECT_EQ(captureFolders().size(), before.size() + 1);
    const QRect area(from, to - QPoint(1, 1));
    const QImage picture(report["bundle"]["screenshotURL"].toString());
    EXPECT_EQ(picture.size(), area.size());
    // The overlay is gone from the picture: the button in its own colour, where it is on screen.
    const QRect found = colourBounds(picture, overlayPaintColour, 24);
    EXPECT_LE((found.topLeft() - (paint.topLeft() - area.topLeft())).manhattanLength(), 2);
    EXPECT_LE(qAbs(found.width() - paint.width()) + qAbs(found.height() - paint.height()), 2);

    QFile tree(report["bundle"]["accessibilityURL"].toString());
    ASSERT_TRUE(tree.open(QIODevice::ReadOnly));
    const QJsonObject snapshot = QJsonDocument::fromJson(tree.readAll()).object();
    const std::optional<QJsonObject> button = nodeTitled(snapshot["tree"].toObject(), "Paint");
    ASSERT_TRUE(button);
    const QJsonObject frame = (*button)["frame"].toObject();
    const QRectF buttonFrame(frame["x"].toDouble(), frame["y"].toDouble(),
                             frame["width"].toDouble(), frame["height"].toDouble());
    EXPECT_TRUE(QRectF(area).contains(buttonFrame));
    EXPECT_LE((buttonFrame.topLeft() - QPointF(paint.topLeft())).manhattanLength(), 2);
}

// Two monitors: a panel on each (the helper's monitors matched to Qt's outputs), and a drag from
// one to the other: the area is all the drag covered, its picture the part on the monitor that
// holds most of it.
TEST_F(AreaOverlay, OnTwoMonitorsEachHasAPanelAndADragMayCrossThem) {
    // The drag ends in the probe's window on the monitor after the boundary (an area capture
    // needs an element in it) and starts 100 pixels before the boundary, 150 up or left.
    const struct {
        const GnomeMonitorSet& set;
        int probeMonitor;
        int startX, startY; // before the boundary; 0 is 150 from the end
    } cases[] = {{gnomeSideBySide, 1, 1340, 0}, {gnomeStacked, 0, 0, 800}};
    GnomeMonitorLayout layout(*helper);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set.name.toStdString());
        layout.switchTo(c.set);
        RemoteInput input;
        ASSERT_TRUE(input.started());
        const WaylandProbe gtk =
            WaylandProbe::gtkOn(*helper, input, c.set.monitors[c.probeMonitor]);
        ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));
        const QPoint to = gtk.window(*helper).frame.topLeft() + QPoint(150, 120);
        const QPoint from(c.startX ? c.startX : to.x() - 150, c.startY ? c.startY : to.y() - 150);
        const QRect area(from, to - QPoint(1, 1));
        QRect mostOfIt;
        for (const QRect& monitor : c.set.monitors) {
            const QRect part = area.intersected(monitor);
            if (part.width() * part.height() > mostOfIt.width() * mostOfIt.height())
                mostOfIt = part;
        }
        ASSERT_NE(mostOfIt, area) << "the area crosses the boundary";

        QList<QRect> covered = startAsking();
        QList<QRect> monitors = c.set.monitors;
        std::sort(monitors.begin(), monitors.end(), [](const QRect& a, const QRect& b) {
            return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x());
        });
        // GNOME 48 places a full-screen panel on its output a moment after it maps it.
        waitUntil([&] { return (covered = panels()) == monitors; });
        EXPECT_EQ(covered, monitors) << vantrel.readAllStandardError().constData();
        ASSERT_TRUE(input.moveTo(*helper, from + QPoint(5, 5)));
        for (int drag = 0; drag < 3 && vantrel.state() != QProcess::NotRunning; ++drag) {
            ASSERT_TRUE(input.drag(*helper, from, to));
            vantrel.waitForFinished(10000);
        }
        const QJsonObject report = finish();
        ASSERT_TRUE(report["ok"].toBool())
            << errors.constData() << QJsonDocument(report).toJson().constData();
        EXPECT_FALSE(errors.contains("no output")) << errors.constData();
        EXPECT_EQ(QImage(report["bundle"]["screenshotURL"].toString()).size(), mostOfIt.size());
        QFile tree(report["bundle"]["accessibilityURL"].toString());
        ASSERT_TRUE(tree.open(QIODevice::ReadOnly));
        const QJsonObject region =
            QJsonDocument::fromJson(tree.readAll()).object()["region"].toObject();
        EXPECT_EQ(QRect(region["x"].toInt(), region["y"].toInt(), region["width"].toInt(),
                        region["height"].toInt()),
                  area.translated(-c.set.primaryOrigin()));
    }
}

// The dimming is a picture taken as the overlay opened: a window closing under it stays on it.
TEST_F(AreaOverlay, EscCancelsAndWritesNothing) {
    std::optional<WaylandProbe> gtk = WaylandProbe::gtk(*helper);
    const QRect paint = waitForPaint();
    ASSERT_FALSE(paint.isEmpty());
    const QStringList before = captureFolders();
    // A seat without a keyboard gets one with the session's first key; the overlay must find it
    // there when it starts, as it would a real one.
    RemoteInput input;
    ASSERT_TRUE(input.started());
    constexpr quint32 shiftL = 0xffe1;
    input.chord({shiftL});
    ASSERT_FALSE(startAsking().isEmpty()) << vantrel.readAllStandardError().constData();

    // Black at 35 % over the button's colour.
    const QColor dimmed(20, 94, 166);
    EXPECT_TRUE(waitUntil([&] { return colourBounds(screen(), dimmed, 2) == paint; }));
    gtk.reset();
    EXPECT_TRUE(waitUntil([&] {
        const auto windows = helper->windows().value_or(QList<CompositorWindow>());
        return std::none_of(windows.begin(), windows.end(), [](const CompositorWindow& window) {
            return window.title == "Vantrel Probe";
        });
    }));
    EXPECT_EQ(colourBounds(screen(), dimmed, 2), paint);

    constexpr quint32 escape = 0xff1b;
    input.chord({escape});
    const QJsonObject report = finish();
    EXPECT_TRUE(report["cancelled"].toBool()) << errors.constData();
    EXPECT_FALSE(report["ok"].toBool());
    EXPECT_TRUE(report["bundle"].isNull() || report["bundle"].isUndefined());
    EXPECT_EQ(captureFolders(), before);
}

} // namespace
} // namespace vantrel::testing
