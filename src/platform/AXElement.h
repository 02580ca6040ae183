#pragma once

#include <QHashFunctions>
#include <QtGlobal>

namespace vantrel {

// A small copyable handle to one accessibility element. The backend gives the number its meaning;
// 0 is no element.
struct AXElement {
    quint64 id = 0;

    bool isNull() const { return id == 0; }
    friend bool operator==(AXElement, AXElement) = default;
};

inline size_t qHash(AXElement element, size_t seed = 0) {
    return ::qHash(element.id, seed);
}

} // namespace vantrel
