#pragma once

#include <QUrl>

namespace vantrel {

// Opens URLs and folders the way the desktop does (a browser, the file manager, a settings pane).
class Workspace {
  public:
    virtual ~Workspace() = default;

    virtual bool openURL(const QUrl& url) = 0;
};

} // namespace vantrel
