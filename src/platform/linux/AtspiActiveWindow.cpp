#include "AtspiActiveWindow.h"

#include <atspi/atspi.h>

namespace vantrel {

namespace {

bool isActiveWindow(AtspiAccessible* window) {
    AtspiStateSet* states = atspi_accessible_get_state_set(window);
    if (!states)
        return false;
    const bool active = atspi_state_set_contains(states, ATSPI_STATE_ACTIVE);
    g_object_unref(states);
    return active;
}

std::optional<AtspiActiveWindow> activeWindowOf(AtspiAccessible* application) {
    const gint count = atspi_accessible_get_child_count(application, nullptr);
    for (gint index = 0; index < count; ++index) {
        AtspiAccessible* window = atspi_accessible_get_child_at_index(application, index, nullptr);
        if (!window)
            continue;
        std::optional<AtspiActiveWindow> found;
        if (isActiveWindow(window)) {
            gchar* name = atspi_accessible_get_name(window, nullptr);
            found = AtspiActiveWindow{atspi_accessible_get_process_id(application, nullptr),
                                      QString::fromUtf8(name ? name : "")};
            g_free(name);
        }
        g_object_unref(window);
        if (found)
            return found;
    }
    return std::nullopt;
}

} // namespace

std::optional<AtspiActiveWindow> AtspiActiveWindow::find() {
    atspi_init();
    AtspiAccessible* desktop = atspi_get_desktop(0);
    if (!desktop)
        return std::nullopt;
    std::optional<AtspiActiveWindow> found;
    const gint count = atspi_accessible_get_child_count(desktop, nullptr);
    for (gint index = 0; index < count && !found; ++index) {
        AtspiAccessible* application = atspi_accessible_get_child_at_index(desktop, index, nullptr);
        if (!application)
            continue;
        found = activeWindowOf(application);
        g_object_unref(application);
    }
    g_object_unref(desktop);
    return found;
}

} // namespace vantrel
