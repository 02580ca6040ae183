#pragma once

namespace vantrel {

class XcbConnection;

// Whether a compositing manager runs, so windows can be translucent: it owns the _NET_WM_CM_S<n>
// selection of the connection's screen, as EWMH asks of it.
struct X11Compositor {
    static bool isRunning(const XcbConnection& connection);
};

} // namespace vantrel
