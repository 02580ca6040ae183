#include "SimWorkspace.h"

namespace vantrel {

bool SimWorkspace::openURL(const QUrl& url) {
    m_openedURLs.append(url);
    return m_opensSucceed;
}

} // namespace vantrel
