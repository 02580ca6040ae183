#pragma once

#include "../CompositorHelper.h"
#include "../DesktopDiagnostics.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

#include <memory>

namespace vantrel {

// GNOME Shell's compositor helper: Vantrel's extension (data/gnome-shell), asked over the
// session bus. The extension answers Vantrel's executable only and carries Vantrel's version;
// connect() says plainly when it is missing, of another version, or refuses this program.
class GnomeShellHelper final : public QObject, public CompositorHelper {
    Q_OBJECT

  public:
    static const QString service;
    static const QString path;
    static const QString interface;
    static const QString extensionUuid;

    // None, with the reason a user reads, when the extension does not answer or is not of
    // appVersion.
    static std::unique_ptr<GnomeShellHelper> connect(const QString& appVersion, QString& reason);
    // Asks the extension its version, which it tells any caller; needs no application object.
    static GnomeExtensionState probe();
    // What a user reads when the extension found is not one this app can use; none when it is.
    static std::optional<QString> problem(const GnomeExtensionState& state,
                                          const QString& appVersion);
    // What connect() says about an extension of another version.
    static QString versionMismatch(const QString& extensionVersion, const QString& appVersion);

    std::optional<QPoint> pointer() override;
    std::optional<QList<CompositorWindow>> windows() override;
    QList<CompositorMonitor> monitors() override;
    std::variant<QImage, PlatformError> picture(const QRect& area) override;
    std::variant<QMap<QString, QString>, PlatformError>
    watchShortcuts(ShortcutHandler handler) override;
    bool showStatusMenu(const QString& serialisedMenu, MenuHandler handler) override;
    bool showToast(const QString& text) override;

  private Q_SLOTS:
    void onShortcutPressed(const QString& shortcut);
    void onMenuItemActivated(const QString& itemId);
    void subscribeAgain();

  private:
    explicit GnomeShellHelper(QDBusConnection bus);

    QDBusConnection m_bus;
    ShortcutHandler m_shortcutHandler;
    QString m_menu;
    MenuHandler m_menuHandler;
    bool m_menuWatched = false;
    QDBusServiceWatcher m_helperWatcher;
};

} // namespace vantrel
