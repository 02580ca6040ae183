#pragma once

#include <chrono>
#include <functional>

namespace vantrel::testing {

// Long enough for a loaded 2-core machine; it bounds a wait, it never paces one.
inline constexpr std::chrono::milliseconds kDesktopDeadline{30000};

// Polls the condition, handling Qt events between polls, until it holds or the deadline passes.
// Returns whether it held.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = kDesktopDeadline);

} // namespace vantrel::testing
