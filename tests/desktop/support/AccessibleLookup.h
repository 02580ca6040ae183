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
        QString role;  // as libatspi spells it, e.g. "push button"
        QRect extents; // screen coordinates
        bool showing = false;
    };

    // Every node of the tree of the application with this pid, depth first.
    static QList<Node> nodes(qint64 pid);
    // The first of them with this role and name; an empty name matches any.
    static std::optional<Node> find(qint64 pid, const QString& name, const QString& role);
    // find() once it answers; none when waitUntil gives up.
    static std::optional<Node> waitFor(qint64 pid, const QString& name, const QString& role);
};

} // namespace vantrel::testing
