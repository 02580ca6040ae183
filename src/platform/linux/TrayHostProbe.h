#pragma once

#include "../DesktopDiagnostics.h"

namespace vantrel {

class XcbConnection;

// Looks for a tray host the way Qt does: a StatusNotifierWatcher on the session bus, else an
// XEmbed tray, the owner of the _NET_SYSTEM_TRAY_S<screen> selection.
struct TrayHostProbe {
    // Without a connection only the session bus is asked.
    static TrayHostState probe(const XcbConnection* connection);
};

} // namespace vantrel
