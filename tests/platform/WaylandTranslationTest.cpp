// The Wayland backend's pure parts: the toolkit offsets table, which compositor window an AT-SPI
// window is, the shortcuts the helper binds and the choice of backend.
#include "platform/wayland/DesktopBackendChoice.h"
#include "platform/wayland/HelperHotKeys.h"
#include "platform/wayland/ToolkitOffsets.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

CompositorWindow compositorWindow(qint64 pid, const QString& title, QRect buffer,
                                  bool x11 = false) {
    CompositorWindow window;
    window.pid = pid;
    window.title = title;
    window.buffer = buffer;
    window.frame = buffer;
    window.x11Client = x11;
    return window;
}

TEST(ToolkitOffsets, PlaceEachToolkitsWindowWhereItsExtentsStart) {
    struct Case {
        const char* name;
        CompositorWindow window;
        AtspiPlacement::Window atspi;
        AtspiPlacement::Origin origin;
    };
    const QRect gtkBuffer(319, 115, 800, 600);
    const QRect qtBuffer(0, 32, 406, 333);
    const Case cases[] = {
        // GTK's AT-SPI window is its whole surface, shadow and header bar included.
        {"gtk",
         compositorWindow(1, "a", gtkBuffer),
         {1, "a", {800, 600}, "gtk"},
         {false, {319, 115}}},
        // Qt 6's own decorations: 3 pixels of border, a 30-pixel title bar, as measured.
        {"qt", compositorWindow(1, "a", qtBuffer), {1, "a", {400, 300}, "Qt"}, {false, {3, 62}}},
        // Maximised, Qt 6.8 keeps only its title bar.
        {"qt title bar only",
         compositorWindow(1, "a", qtBuffer),
         {1, "a", {406, 300}, "Qt"},
         {false, {0, 65}}},
        // Wider but not taller is not Qt's frame, which always has its title bar.
        {"qt wider only",
         compositorWindow(1, "a", qtBuffer),
         {1, "a", {400, 333}, "Qt"},
         {false, {0, 32}}},
        // Qt without decorations (maximised to the surface) has nothing to skip.
        {"qt bare",
         compositorWindow(1, "a", qtBuffer),
         {1, "a", {406, 333}, "Qt"},
         {false, {0, 32}}},
        // A toolkit not in the table is taken at its surface.
        {"other",
         compositorWindow(1, "a", qtBuffer),
         {1, "a", {400, 300}, "Clutter"},
         {false, {0, 32}}},
        // Xwayland clients report screen coordinates.
        {"x11", compositorWindow(1, "a", qtBuffer, true), {1, "a", {400, 300}, "Qt"}, {true, {}}},
    };
    for (const Case& each : cases) {
        const auto origin = ToolkitOffsets::origin(each.window, each.atspi);
        EXPECT_EQ(origin.screenCoordinates, each.origin.screenCoordinates) << each.name;
        EXPECT_EQ(origin.rootPixel, each.origin.rootPixel) << each.name;
    }
}

TEST(ToolkitOffsets, MatchByPidAndTitleElseTheOnlyWindowOfThePid) {
    const QList<CompositorWindow> windows = {
        compositorWindow(7, "Front", {0, 0, 10, 10}), compositorWindow(7, "Back", {5, 5, 10, 10}),
        compositorWindow(8, "Other", {9, 9, 10, 10}), compositorWindow(7, "Back", {6, 6, 10, 10})};
    const auto at = [&](qint64 pid, const QString& title) {
        const auto match = ToolkitOffsets::match(windows, {pid, title, {}, {}});
        return match ? match->buffer.topLeft() : QPoint(-1, -1);
    };
    EXPECT_EQ(at(7, "Back"), QPoint(5, 5)) << "the front-most of the same title";
    EXPECT_EQ(at(8, "Renamed"), QPoint(9, 9)) << "the only window of its pid";
    EXPECT_EQ(at(7, "Renamed"), QPoint(-1, -1)) << "several of its pid: none is guessed";
    EXPECT_EQ(at(9, "Front"), QPoint(-1, -1)) << "a title of another pid";
}

TEST(HelperHotKeys, OnlyTheHelpersTwoShortcutsHaveNames) {
    constexpr quint32 controlOption = 0x1000 | 0x0800;
    EXPECT_EQ(HelperHotKeys::shortcutName(8, controlOption), "capture-window");
    EXPECT_EQ(HelperHotKeys::shortcutName(15, controlOption), "capture-area");
    EXPECT_EQ(HelperHotKeys::shortcutName(8, 0x1000), "");
    EXPECT_EQ(HelperHotKeys::shortcutName(8, controlOption | 0x0200), "");
    EXPECT_EQ(HelperHotKeys::shortcutName(9, controlOption), "");
}

TEST(DesktopBackendChoice, FollowsTheSessionsDisplaysAndDesktop) {
    using Backend = DesktopBackendChoice::Backend;
    struct Case {
        const char* wayland;
        const char* display;
        const char* desktop;
        Backend backend;
        Backend throughXwayland; // GNOME's extension silent, for the tray app
    };
    const Case cases[] = {
        {"wayland-0", "", "GNOME", Backend::gnomeWayland, Backend::unsupportedWayland},
        {"wayland-0", ":0", "ubuntu:GNOME", Backend::gnomeWayland, Backend::x11},
        {"wayland-0", ":0", "KDE", Backend::x11, Backend::x11},
        {"wayland-0", "", "sway", Backend::unsupportedWayland, Backend::unsupportedWayland},
        {"", ":0", "GNOME", Backend::x11, Backend::x11},
        {"", "", "GNOME", Backend::none, Backend::unsupportedWayland},
        {"wayland-0", "", "GNOME-Flashback", Backend::unsupportedWayland,
         Backend::unsupportedWayland},
    };
    for (const Case& each : cases) {
        QProcessEnvironment environment;
        environment.insert("WAYLAND_DISPLAY", each.wayland);
        environment.insert("DISPLAY", each.display);
        environment.insert("XDG_CURRENT_DESKTOP", each.desktop);
        EXPECT_EQ(DesktopBackendChoice::choose(environment), each.backend)
            << each.wayland << " " << each.display << " " << each.desktop;
        EXPECT_EQ(DesktopBackendChoice::throughXwayland(environment), each.throughXwayland)
            << each.wayland << " " << each.display << " " << each.desktop;
        // Only GNOME's backend asks the extension; the others are decided without a word.
        if (each.backend != Backend::gnomeWayland) {
            const auto decision = DesktopBackendChoice::decide(environment, "1.0");
            EXPECT_EQ(decision.backend, each.backend);
            EXPECT_TRUE(decision.notice.isEmpty());
        }
    }
}

// GNOME without its helper falls back to the portal, even with Xwayland at hand; the other
// backends need no helper and stay.
TEST(DesktopBackendChoice, GnomeWithoutTheHelperTakesThePortal) {
    using Backend = DesktopBackendChoice::Backend;
    EXPECT_EQ(DesktopBackendChoice::withoutHelper(Backend::gnomeWayland), Backend::gnomePortal);
    for (const Backend other :
         {Backend::x11, Backend::gnomePortal, Backend::unsupportedWayland, Backend::none})
        EXPECT_EQ(DesktopBackendChoice::withoutHelper(other), other);
}

} // namespace
} // namespace vantrel
