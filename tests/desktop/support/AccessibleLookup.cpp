#include "AccessibleLookup.h"

#include <atspi/atspi.h>

#include <functional>
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

AccessibleLookup::Node describe(AtspiAccessible* accessible, const QString& name,
                                const QString& role) {
    AccessibleLookup::Node node{name, role, {}, false};
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

// Visits the tree depth first until the visitor returns true; returns whether it did.
using Visitor = std::function<bool(AtspiAccessible*, const QString& name, const QString& role)>;

bool walk(AtspiAccessible* accessible, const Visitor& visit, int depth, int& budget) {
    if (depth > kMaxDepth || --budget < 0)
        return false;
    const QString role = takeString(atspi_accessible_get_role_name(accessible, nullptr));
    const QString name = takeString(atspi_accessible_get_name(accessible, nullptr));
    if (visit(accessible, name, role))
        return true;
    const int children = atspi_accessible_get_child_count(accessible, nullptr);
    for (int index = 0; index < children; ++index) {
        if (AccessiblePtr child = childAt(accessible, index)) {
            if (walk(child.get(), visit, depth + 1, budget))
                return true;
        }
    }
    return false;
}

void walkApplication(qint64 pid, const Visitor& visit) {
    atspi_init();
    AccessiblePtr desktop(atspi_get_desktop(0));
    // Applications come and go between polls; a cached child list would miss them.
    atspi_accessible_clear_cache(desktop.get());
    const int applications = atspi_accessible_get_child_count(desktop.get(), nullptr);
    for (int index = 0; index < applications; ++index) {
        AccessiblePtr application = childAt(desktop.get(), index);
        if (!application ||
            qint64(atspi_accessible_get_process_id(application.get(), nullptr)) != pid)
            continue;
        int budget = kMaxNodes;
        walk(application.get(), visit, 0, budget);
        return;
    }
}

} // namespace

std::optional<AccessibleLookup::Node> AccessibleLookup::find(qint64 pid, const QString& name,
                                                             const QString& role) {
    std::optional<Node> found;
    walkApplication(
        pid, [&](AtspiAccessible* accessible, const QString& nodeName, const QString& nodeRole) {
            if (nodeRole == role && (name.isEmpty() || nodeName == name))
                found = describe(accessible, nodeName, nodeRole);
            return found.has_value();
        });
    return found;
}

QList<AccessibleLookup::Node> AccessibleLookup::showing(qint64 pid) {
    QList<Node> nodes;
    walkApplication(pid,
                    [&](AtspiAccessible* accessible, const QString& name, const QString& role) {
                        Node node = describe(accessible, name, role);
                        if (node.showing)
                            nodes.append(node);
                        return false;
                    });
    return nodes;
}

} // namespace vantrel::testing
