#include "SimUpdater.h"

namespace vantrel {

void SimUpdater::start() {
    ++m_starts;
}

void SimUpdater::checkForUpdates() {
    ++m_checks;
}

} // namespace vantrel
