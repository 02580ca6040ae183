#pragma once

#include <QString>

#include <optional>

namespace vantrel {

// What the application's bundle says about itself.
struct AppIdentity {
    std::optional<QString> bundleName;       // shown in permission texts
    std::optional<QString> bundleIdentifier; // names the caches folder
    std::optional<QString> version;          // "1.4.0"; shown in the settings and About windows
    std::optional<QString> build;            // the build's own number, beside the version
};

} // namespace vantrel
