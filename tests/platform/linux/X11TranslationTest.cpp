#include "platform/linux/X11Translation.h"

#include <gtest/gtest.h>

using namespace vantrel;

// Each window kind lands on the layer docs/linux-x11.md lists; keep-above lifts a normal window
// to the floating layer and leaves higher ones where they are.
TEST(X11Translation, LayerFollowsWindowTypeAndState) {
    // The window's types, keep-above, override-redirect, and its layer.
    const std::tuple<QList<QByteArray>, bool, bool, qint64> rows[] = {
        {{}, false, false, 0},
        {{"_NET_WM_WINDOW_TYPE_NORMAL"}, false, false, 0},
        {{"_NET_WM_WINDOW_TYPE_DIALOG"}, false, false, 0},
        {{"_NET_WM_WINDOW_TYPE_NORMAL"}, true, false, 3},
        {{"_NET_WM_WINDOW_TYPE_UTILITY"}, false, false, 3},
        {{"_NET_WM_WINDOW_TYPE_DOCK"}, false, false, 20},
        {{"_NET_WM_WINDOW_TYPE_DOCK"}, true, false, 20},
        {{"_NET_WM_WINDOW_TYPE_NOTIFICATION"}, false, false, 25},
        {{"_NET_WM_WINDOW_TYPE_POPUP_MENU"}, false, true, 101},
        {{}, false, true, 101},
        {{"_NET_WM_WINDOW_TYPE_TOOLTIP"}, false, true, 200},
        {{"_NET_WM_WINDOW_TYPE_DND"}, false, true, 500},
        {{"_NET_WM_WINDOW_TYPE_DESKTOP"}, false, false, X11Translation::desktopLayer},
        // The first type the server knows wins; unknown ones are skipped.
        {{"_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", "_NET_WM_WINDOW_TYPE_DOCK"}, false, false, 20},
        {{"_NET_WM_WINDOW_TYPE_DIALOG", "_NET_WM_WINDOW_TYPE_DOCK"}, false, false, 0},
    };
    for (const auto& [types, above, overrideRedirect, layer] : rows) {
        const X11WindowKind kind{X11Translation::windowType(types), above, overrideRedirect};
        EXPECT_EQ(X11Translation::layer(kind), layer) << types.value(0).constData() << above;
    }
}

TEST(X11Translation, FrameRectAddsBorderAndFrameExtents) {
    const std::tuple<QRect, int, std::optional<X11FrameExtents>, QRect> rows[] = {
        {QRect(100, 50, 400, 300), 0, std::nullopt, QRect(100, 50, 400, 300)},
        {QRect(100, 50, 400, 300), 0, X11FrameExtents{1, 2, 25, 4}, QRect(99, 25, 403, 329)},
        {QRect(100, 50, 400, 300), 2, std::nullopt, QRect(98, 48, 404, 304)},
        {QRect(0, 0, 10, 10), 1, X11FrameExtents{5, 5, 5, 5}, QRect(-6, -6, 22, 22)},
    };
    for (const auto& [client, border, extents, frame] : rows)
        EXPECT_EQ(X11Translation::frameRect(client, border, extents), frame);
}

TEST(X11Translation, HelperWindowsAreTheTinyOnesAndScaleComesFromXftDpi) {
    EXPECT_TRUE(X11Translation::isHelperSize(QSize(10, 10)));
    EXPECT_FALSE(X11Translation::isHelperSize(QSize(11, 10)));
    EXPECT_FALSE(X11Translation::isHelperSize(QSize(200, 1)));
    EXPECT_EQ(X11Translation::scaleFromResources(""), 1.0);
    EXPECT_EQ(X11Translation::scaleFromResources("Xft.antialias:\t1\nXft.dpi:\t192\n"), 2.0);
    EXPECT_EQ(X11Translation::scaleFromResources("Xft.dpi: 144"), 1.5);
    EXPECT_EQ(X11Translation::scaleFromResources("Xft.dpi:\tnonsense\n"), 1.0);
    EXPECT_EQ(X11Translation::scaleFromResources("Xft.dpi:\t0\n"), 1.0);
}

// Frame, visible frame, scale, safe area and number of each screen, in order.
using Screen = std::tuple<QRectF, QRectF, double, double, std::optional<quint32>>;
QList<Screen> described(const QList<ScreenInfo>& screens) {
    QList<Screen> described;
    for (const ScreenInfo& s : screens)
        described.append({s.frame, s.visibleFrame, s.backingScale, s.safeAreaTop, s.number});
    return described;
}

// Two monitors, the primary on the right and lower: it comes first, the global origin is its
// top-left corner, and frames flip around its top edge. The work area ends at root y 1000: the
// primary loses its bottom 24 pixels; the left monitor's top-left is (-1280, -124) points.
TEST(X11Translation, MonitorsBecomeBottomLeftScreensPrimaryFirst) {
    const QList<X11Monitor> monitors = X11Translation::orderedMonitors({
        {70, QRect(0, 0, 1280, 1024), false},
        {71, QRect(1280, 124, 1920, 900), true},
    });
    EXPECT_EQ(X11Translation::space(monitors, 1.0).primaryOrigin, QPointF(1280, 124));
    EXPECT_EQ(described(X11Translation::screens(monitors, 1.0, QRect(0, 0, 3200, 1000))),
              (QList<Screen>{
                  {QRectF(0, 0, 1920, 900), QRectF(0, 24, 1920, 876), 1.0, 0.0, 71},
                  {QRectF(-1280, 0, 1280, 1024), QRectF(-1280, 24, 1280, 1000), 1.0, 0.0, 70}}));
}

// No primary: the monitor at the root origin leads. The pointer at root pixel (100, 200) is 50
// points right, 100 down: 800 up in bottom-left.
TEST(X11Translation, ScaledMonitorsAndFallbackOrder) {
    const QList<X11Monitor> monitors = X11Translation::orderedMonitors({
        {2, QRect(2880, 0, 2880, 1800), false},
        {1, QRect(0, 0, 2880, 1800), false},
    });
    const QRectF left(0, 0, 1440, 900), right(1440, 0, 1440, 900);
    EXPECT_EQ(described(X11Translation::screens(monitors, 2.0, std::nullopt)),
              (QList<Screen>{{left, left, 2.0, 0.0, 1}, {right, right, 2.0, 0.0, 2}}));
    EXPECT_EQ(X11Translation::bottomLeft(
                  monitors, 2.0, X11Translation::space(monitors, 2.0).toPoints(QPointF(100, 200))),
              QPointF(50, 800));
    EXPECT_TRUE(X11Translation::screens({}, 1.0, std::nullopt).isEmpty());
}

// A window belongs to the monitor with the most of it; a tie keeps the earlier monitor, a window
// off every monitor the first. The work area is the current desktop's four numbers.
TEST(X11Translation, TheMonitorOfAWindowAndTheWorkArea) {
    const QList<X11Monitor> monitors{{1, QRect(0, 0, 1440, 900), true},
                                     {2, QRect(1440, 0, 1280, 1024), false}};
    const struct {
        QRect window;
        qsizetype monitor;
    } windows[] = {{{1340, 100, 300, 200}, 1},
                   {{1240, 100, 300, 200}, 0},
                   {{1290, 100, 300, 200}, 0},
                   {{1440, 950, 100, 50}, 1},
                   {{3000, 100, 50, 50}, 0}};
    for (const auto& w : windows)
        EXPECT_EQ(X11Translation::monitorWithMost(monitors, w.window), w.monitor) << w.window.x();

    const QList<quint32> areas{0, 0, 1440, 876, 0, 24, 1440, 876};
    EXPECT_EQ(X11Translation::workArea(areas, 0), QRect(0, 0, 1440, 876));
    EXPECT_EQ(X11Translation::workArea(areas, 1), QRect(0, 24, 1440, 876));
    EXPECT_EQ(X11Translation::workArea(areas, 2), QRect(0, 0, 1440, 876)) << "no such desktop";
    EXPECT_EQ(X11Translation::workArea(areas.mid(0, 3), 0), std::nullopt);
    EXPECT_EQ(X11Translation::workArea({0, 0, 0, 876}, 0), std::nullopt);
}

TEST(X11Translation, ModifierBitsAndLockVariants) {
    EXPECT_EQ(X11Translation::modifierMask(0x1000 | 0x0800), quint16(0x4 | 0x8));
    EXPECT_EQ(X11Translation::modifierMask(0x0200), quint16(0x1));
    EXPECT_EQ(X11Translation::modifierMask(0x0100), quint16(0x40));
    EXPECT_EQ(X11Translation::modifierMask(0), quint16(0));
    EXPECT_EQ(X11Translation::modifierMask(0x1000 | 0x0001), std::nullopt);

    const QList<quint16> variants = X11Translation::grabModifierVariants(0x4 | 0x8);
    EXPECT_EQ(variants, (QList<quint16>{0xC, 0xE, 0x1C, 0x1E}));
    // Caps Lock, Num Lock and the pointer buttons do not count when a press is matched.
    EXPECT_EQ(X11Translation::significantModifiers(0x1E | 0x100), quint16(0xC));
}
