#pragma once

#include <QString>

namespace vantrel {

// Roles whose elements have no children by nature: a snapshot of one of them holding only its
// root is whole, not a tree that is still arriving or that the application keeps to itself.
struct LeafRoles {
    static bool contains(const QString& role);
};

} // namespace vantrel
