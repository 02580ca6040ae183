#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace vantrel::testing {

// Reads the AT-SPI tree with libatspi, apart from the code under test, to see what an
// application exposes.
class AccessibleLookup {
  public:
    struct Node {
        QString name;
        QString role;
        QRect extents; // screen coordinates
        bool showing = false;
    };

    // The first node, depth first, in the tree of the application with this pid whose role name
    // (as libatspi spells it, e.g. "push button") and name match; an empty name matches any.
    static std::optional<Node> find(qint64 pid, const QString& name, const QString& role);
    // Every node of that application's tree that is on screen, depth first.
    static QList<Node> showing(qint64 pid);
};

} // namespace vantrel::testing
