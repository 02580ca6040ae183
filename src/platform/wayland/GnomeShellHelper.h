#pragma once

#include "../CompositorHelper.h"
#include "../DesktopDiagnostics.h"

#include <QDBusConnection>
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
    // Asks the extension its version, which it tells any caller.
    static GnomeExtensionState probe();
    // What connect() says about an extension of another version.
    static QString versionMismatch(const QString& extensionVersion, const QString& appVersion);

    std::optional<QPoint> pointer() override;
    std::optional<QList<CompositorWindow>> windows() override;
    QList<CompositorMonitor> monitors() override;
    std::variant<QImage, PlatformError> picture(const QRect& area) override;
    std::variant<QMap<QString, QString>, PlatformError>
    watchShortcuts(ShortcutHandler handler) override;

  private Q_SLOTS:
    void onShortcutPressed(const QString& shortcut);

  private:
    explicit GnomeShellHelper(QDBusConnection bus);

    QDBusConnection m_bus;
    ShortcutHandler m_shortcutHandler;
};

} // namespace vantrel
