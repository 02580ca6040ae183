#pragma once

#include "../Workspace.h"

#include <QList>

namespace vantrel {

// Remembers what was opened instead of opening it.
class SimWorkspace final : public Workspace {
  public:
    bool openURL(const QUrl& url) override;

    const QList<QUrl>& openedURLs() const { return m_openedURLs; }
    // When false, openURL still records the URL but reports failure.
    void setOpensSucceed(bool succeed) { m_opensSucceed = succeed; }

  private:
    QList<QUrl> m_openedURLs;
    bool m_opensSucceed = true;
};

} // namespace vantrel
