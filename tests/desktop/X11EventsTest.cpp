// Events from the X server: the connection the X11 services share frees every event once its
// listeners have seen it (the tray app reads events for as long as it runs), and the mouse
// monitor hears the pointer wherever it is.
#include "platform/linux/X11MouseMonitor.h"
#include "platform/linux/XcbConnection.h"
#include "support/DesktopTools.h"
#include "support/TestApplication.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>
#include <malloc.h>

namespace vantrel::testing {
namespace {

TEST(XcbConnection, FreesEveryEventItHandsToItsListeners) {
    const auto connection = XcbConnection::open();
    ASSERT_TRUE(connection);
    xcb_connection_t* x = connection->get();
    const xcb_window_t window = xcb_generate_id(x);
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(x, XCB_COPY_FROM_PARENT, window, connection->root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    int seen = 0;
    connection->addEventListener([&seen](const xcb_generic_event_t* event) {
        seen += (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY ? 1 : 0;
    });
    // Each round changes a property this many times and reads every notification back.
    constexpr int events = 4000;
    const auto round = [&] {
        seen = 0;
        for (int change = 0; change < events; ++change)
            xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                                8, 1, "x");
        connection->flush();
        return waitUntil([&] {
            connection->dispatchPending();
            return seen == events;
        });
    };
    ASSERT_TRUE(round()) << "the first round, which lets buffers settle";
    const auto before = static_cast<long long>(mallinfo2().uordblks);
    ASSERT_TRUE(round());
    // An event kept would be at least 32 bytes each: 128 KB for the round.
    EXPECT_LT(static_cast<long long>(mallinfo2().uordblks) - before, events * 8);
    xcb_destroy_window(x, window);
}

// Hands out what the server has sent, after a round trip, so that nothing sent before is still on
// its way.
void readEverythingSent(XcbConnection& connection) {
    std::free(xcb_get_input_focus_reply(connection.get(), xcb_get_input_focus(connection.get()),
                                        nullptr));
    connection.dispatchPending();
}

// Each monitor hears the events it asked for, over another application's window, and none hears
// anything once they are gone. The moves are relative: xdotool's absolute move warps the pointer,
// which makes no raw motion, as no mouse does.
TEST(X11MouseMonitor, TellsEachMonitorWhatItAskedForUntilItIsRemoved) {
    const TestApplication app = TestApplication::gtk();
    const QPoint paint = app.paintButton().center();
    xdotool(mouseMove(paint));
    const auto connection = XcbConnection::open();
    ASSERT_TRUE(connection);
    X11MouseMonitor monitor(*connection);
    const quint64 masks[] = {MouseMonitor::MouseMoved, MouseMonitor::LeftMouseDown,
                             MouseMonitor::RightMouseDown};
    QList<bool> heard(3, false);
    QList<MouseMonitor::Token> tokens;
    for (qsizetype index = 0; index < 3; ++index) {
        const auto token =
            monitor.addGlobalMonitor(masks[index], [&heard, index] { heard[index] = true; });
        ASSERT_TRUE(token) << "XInput 2 is there";
        tokens.append(*token);
    }
    const struct {
        QStringList action;
        QList<bool> heard;
    } cases[] = {
        {{"mousemove_relative", "5", "5"}, {true, false, false}},
        {{"click", "1"}, {false, true, false}},
        {{"click", "3"}, {false, false, true}},
        {{"click", "2"}, {false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action.join(' ').toStdString());
        heard.fill(false);
        xdotool(c.action);
        EXPECT_TRUE(waitUntil([&] {
            readEverythingSent(*connection);
            return heard == c.heard;
        }));
    }
    for (const MouseMonitor::Token token : tokens)
        monitor.removeMonitor(token);
    heard.fill(false);
    xdotool({"mousemove_relative", "5", "5"});
    xdotool({"click", "1"});
    readEverythingSent(*connection);
    EXPECT_EQ(heard, QList<bool>(3, false));
}

} // namespace
} // namespace vantrel::testing
