#pragma once

#include <cstdlib>
#include <memory>

namespace vantrel {

// An xcb reply, freed with free() as xcb asks, whichever way the reader leaves.
template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> XcbReply<T> xcbReply(T* raw) {
    return XcbReply<T>(raw, &std::free);
}

} // namespace vantrel
