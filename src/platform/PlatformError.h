#pragma once

#include <QString>

namespace vantrel {

// An error reported by the platform itself (a framework call or a file operation). It travels up
// unchanged; its description is what the user reads.
struct PlatformError {
    QString domain;
    int code = 0;
    QString description;

    const QString& localizedDescription() const { return description; }
    friend bool operator==(const PlatformError&, const PlatformError&) = default;
};

} // namespace vantrel
