#pragma once

#include "../Updater.h"

namespace vantrel {

// Counts what the updater is asked to do.
class SimUpdater final : public Updater {
  public:
    void start() override;
    void checkForUpdates() override;

    int startCount() const { return m_starts; }
    int checkCount() const { return m_checks; }

  private:
    int m_starts = 0;
    int m_checks = 0;
};

} // namespace vantrel
