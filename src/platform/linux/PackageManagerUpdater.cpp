#include "PackageManagerUpdater.h"

namespace vantrel {

void PackageManagerUpdater::checkForUpdates() {
    if (m_tell)
        m_tell(message);
}

} // namespace vantrel
