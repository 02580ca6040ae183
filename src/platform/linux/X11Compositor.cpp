#include "X11Compositor.h"

#include "XcbConnection.h"

#include <QByteArray>

#include <cstdlib>
#include <memory>

namespace vantrel {

namespace {

int screenNumber(const XcbConnection& connection) {
    int number = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection.get())); it.rem;
         xcb_screen_next(&it), ++number) {
        if (it.data->root == connection.root())
            return number;
    }
    return 0;
}

} // namespace

bool X11Compositor::isRunning(const XcbConnection& connection) {
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber(connection));
    const xcb_atom_t selection = connection.atom(name.constData());
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(
            connection.get(), xcb_get_selection_owner(connection.get(), selection), nullptr),
        &std::free);
    return reply && reply->owner != XCB_NONE;
}

} // namespace vantrel
