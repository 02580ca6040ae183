#pragma once

#include "../DesktopDiagnostics.h"

#include <memory>

namespace vantrel {

class HotKeyService;
class X11HotKeys;
class X11WindowServer;
class XcbConnection;

// The doctor's view of an X11 desktop with AT-SPI. Without a display it still answers for the
// session bus; the window list, the XEmbed tray and the keys then stay unknown.
class LinuxDiagnostics final : public DesktopDiagnostics {
  public:
    // Opens the display DISPLAY names; when that fails, displayError says why.
    explicit LinuxDiagnostics(QString& displayError);
    ~LinuxDiagnostics() override;
    LinuxDiagnostics(const LinuxDiagnostics&) = delete;
    LinuxDiagnostics& operator=(const LinuxDiagnostics&) = delete;

    bool hasDisplay() const { return m_connection != nullptr; }
    // The key grabs, as the app makes them; none without a display.
    HotKeyService* hotKeys();

    AccessibilityBusState accessibilityBus() override;
    TrayHostState trayHost() override;
    QList<ApplicationAccessibility> applications(int nodeBound) override;
    // What the accessibility bus shows of applications listed by pid, name and window count.
    static QList<ApplicationAccessibility> survey(QList<ApplicationAccessibility> listed,
                                                  int nodeBound);

  private:
    std::unique_ptr<XcbConnection> m_connection;
    std::unique_ptr<X11WindowServer> m_windows;
    std::unique_ptr<X11HotKeys> m_hotKeys;
};

} // namespace vantrel
