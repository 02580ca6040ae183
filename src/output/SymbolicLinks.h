#pragma once

#include <QString>

namespace vantrel {

// Symbolic links, looked at and replaced without following them.
struct SymbolicLinks {
    // Points linkPath at destination in one step: a link with a fresh name is made beside it and
    // renamed over it, so readers see the old target or the new one, never nothing. Throws
    // PlatformError; no temporary link is left behind.
    static void replace(const QString& linkPath, const QString& destination);
    static bool isSymbolicLink(const QString& path);
    // Nothing at all there, not even a dangling link.
    static bool isAbsent(const QString& path);
};

} // namespace vantrel
