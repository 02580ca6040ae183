#pragma once

namespace vantrel {

// The software updater; it reports its own errors in its own user interface.
class Updater {
  public:
    virtual ~Updater() = default;

    virtual void start() = 0;
    virtual void checkForUpdates() = 0;
};

} // namespace vantrel
