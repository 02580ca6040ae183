#pragma once

#include "../Workspace.h"

#include <QList>

namespace vantrel {

// Opens files and web pages with the desktop's handler (xdg-open). The privacy-pane addresses the
// core asks for become the desktop's own accessibility settings where a known settings program
// is installed; elsewhere the call fails and the error text already says what to do.
class DesktopWorkspace final : public Workspace {
  public:
    bool openURL(const QUrl& url) override;

    // Everything asked for, opened or not, for reports.
    const QList<QUrl>& openedURLs() const { return m_openedURLs; }

  private:
    QList<QUrl> m_openedURLs;
};

} // namespace vantrel
