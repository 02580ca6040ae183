// The X connection the X11 services share frees every event once its listeners have seen it: the
// tray app reads events for as long as it runs.
#include "platform/linux/XcbConnection.h"
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

} // namespace
} // namespace vantrel::testing
