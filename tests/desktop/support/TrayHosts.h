#pragma once

#include <QDBusConnection>

#include <xcb/xcb.h>

namespace vantrel::testing {

// A StatusNotifierWatcher on the session bus for as long as this lives: the name a panel's tray
// owns, held on a connection of its own.
class FakeStatusNotifierWatcher {
  public:
    FakeStatusNotifierWatcher();
    ~FakeStatusNotifierWatcher();
    FakeStatusNotifierWatcher(const FakeStatusNotifierWatcher&) = delete;
    FakeStatusNotifierWatcher& operator=(const FakeStatusNotifierWatcher&) = delete;
    bool isRegistered() const { return m_registered; }

  private:
    QDBusConnection m_connection;
    bool m_registered = false;
};

// An XEmbed tray for as long as this lives: a window owning _NET_SYSTEM_TRAY_S0.
class FakeXEmbedTray {
  public:
    FakeXEmbedTray();
    ~FakeXEmbedTray();
    FakeXEmbedTray(const FakeXEmbedTray&) = delete;
    FakeXEmbedTray& operator=(const FakeXEmbedTray&) = delete;
    bool ownsSelection() const { return m_owns; }

  private:
    xcb_connection_t* m_connection;
    bool m_owns = false;
};

} // namespace vantrel::testing
