#include "AccessibleLookup.h"

#include "support/WaitUntil.h"

#include <atspi/atspi.h>

#include <memory>

namespace vantrel::testing {

namespace {

// Bounds a walk through a tree that changes or loops while it is read.
constexpr int kMaxDepth = 64;
constexpr int kMaxNodes = 20000;

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AccessiblePtr = std::unique_ptr<AtspiAccessible, Unref>;

QString takeString(gchar* text) {
    const QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

AccessiblePtr childAt(AtspiAccessible* parent, int index) {
    return AccessiblePtr(atspi_accessible_get_child_at_index(parent, index, nullptr));
}

// The role as AT-SPI 2.46 names it: 2.56 calls a push button "button".
QString roleName(AtspiAccessible* accessible) {
    const AtspiRole role = atspi_accessible_get_role(accessible, nullptr);
    return role == ATSPI_ROLE_PUSH_BUTTON ? QStringLiteral("push button")
                                          : takeString(atspi_role_get_name(role));
}

AccessibleLookup::Node describe(AtspiAccessible* accessible) {
    AccessibleLookup::Node node;
    node.name = takeString(atspi_accessible_get_name(accessible, nullptr));
    node.role = roleName(accessible);
    if (AtspiComponent* component = atspi_accessible_get_component_iface(accessible)) {
        if (AtspiRect* rect =
                atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr)) {
            node.extents = QRect(rect->x, rect->y, rect->width, rect->height);
            g_free(rect);
        }
        g_object_unref(component);
    }
    if (AtspiStateSet* states = atspi_accessible_get_state_set(accessible)) {
        node.showing = atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
        g_object_unref(states);
    }
    return node;
}

void collect(AtspiAccessible* accessible, int depth, QList<AccessibleLookup::Node>& into) {
    if (depth > kMaxDepth || into.size() >= kMaxNodes)
        return;
    into.append(describe(accessible));
    const int children = atspi_accessible_get_child_count(accessible, nullptr);
    for (int index = 0; index < children; ++index) {
        if (AccessiblePtr child = childAt(accessible, index))
            collect(child.get(), depth + 1, into);
    }
}

} // namespace

QList<AccessibleLookup::Node> AccessibleLookup::nodes(qint64 pid) {
    atspi_init();
    AccessiblePtr desktop(atspi_get_desktop(0));
    // Applications come and go between polls; a cached child list would miss them.
    atspi_accessible_clear_cache(desktop.get());
    QList<Node> nodes;
    const int applications = atspi_accessible_get_child_count(desktop.get(), nullptr);
    for (int index = 0; index < applications && nodes.isEmpty(); ++index) {
        AccessiblePtr application = childAt(desktop.get(), index);
        if (application &&
            qint64(atspi_accessible_get_process_id(application.get(), nullptr)) == pid)
            collect(application.get(), 0, nodes);
    }
    return nodes;
}

std::optional<AccessibleLookup::Node> AccessibleLookup::find(qint64 pid, const QString& name,
                                                             const QString& role) {
    for (const Node& node : nodes(pid)) {
        if (node.role == role && (name.isEmpty() || node.name == name))
            return node;
    }
    return std::nullopt;
}

std::optional<AccessibleLookup::Node> AccessibleLookup::waitFor(qint64 pid, const QString& name,
                                                                const QString& role) {
    std::optional<Node> node;
    waitUntil([&] { return (node = find(pid, name, role)).has_value(); });
    return node;
}

} // namespace vantrel::testing
