#pragma once

#include <QString>

#include <optional>

namespace vantrel {

// What the application's bundle says about itself.
struct AppIdentity {
    std::optional<QString> bundleName;       // shown in permission texts
    std::optional<QString> bundleIdentifier; // names the caches folder
};

} // namespace vantrel
