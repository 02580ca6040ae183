#pragma once

#include "../LoginItemService.h"

#include <QString>

namespace vantrel {

// Launch at login the freedesktop way: a desktop entry in the user's
// autostart folder. Only notRegistered and enabled occur; failures throw PlatformError with the
// system's reason.
class XdgAutostartLoginItem final : public LoginItemService {
  public:
    // executable: what the entry starts; autostartFolder defaults to $XDG_CONFIG_HOME/autostart.
    explicit XdgAutostartLoginItem(QString executable, QString autostartFolder = {});

    Status status() const override;
    void registerItem() override;
    void unregisterItem() override;

    QString entryPath() const;

  private:
    QString m_executable;
    QString m_folder;
};

} // namespace vantrel
