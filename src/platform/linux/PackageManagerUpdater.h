#pragma once

#include "../Updater.h"

#include <QString>

#include <functional>

namespace vantrel {

// Updates on Linux come from the package manager that installed Vantrel; a check says so through
// whatever the app shows messages with.
class PackageManagerUpdater final : public Updater {
  public:
    using Tell = std::function<void(const QString& message)>;
    explicit PackageManagerUpdater(Tell tell = {}) : m_tell(std::move(tell)) {}

    void start() override {}
    void checkForUpdates() override;

    static inline const QString message =
        QStringLiteral("Vantrel is updated by your package manager.");

  private:
    Tell m_tell;
};

} // namespace vantrel
