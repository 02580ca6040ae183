#include "TrayApplication.h"

namespace vantrel {

TrayApplication::TrayApplication(const Platform& platform, UserDefaults& defaults,
                                 NotificationCenter& center, Clock& clock,
                                 RegionSelecting& regionSelection)
    : m_platform(platform), m_defaults(defaults), m_center(center),
      m_permissions(m_platform, center, clock),
      m_accessibilityCapture(m_platform, m_permissions, clock),
      m_screenCapture(m_platform, m_permissions, clock),
      m_bundleWriter(clock, defaults, m_platform.vocabulary),
      m_pasteboardWriter(m_platform.pasteboard, defaults, m_platform.vocabulary),
      m_coordinator(
          {m_accessibilityCapture, m_screenCapture, m_bundleWriter, m_pasteboardWriter, defaults}),
      m_toast(m_toastWindow, m_platform.screens, clock),
      m_delegate({m_platform, m_coordinator, defaults, center, clock, regionSelection, m_toast,
                  m_permissions}),
      m_windows(m_delegate, m_platform.identity) {
    QObject::connect(&m_delegate, &AppDelegate::settingsRequested, [this] { showSettings(); });
}

void TrayApplication::showSettings() {
    // Made on first use: its state is read when it is created, and refreshed on every showing.
    if (!m_settingsWindow) {
        m_settings = std::make_unique<SettingsViewModel>(SettingsViewModel::Dependencies{
            m_defaults, m_center, m_permissions, m_platform.loginItem, m_platform.workspace,
            m_platform.vocabulary, m_delegate, m_bundleWriter.capturesRoot(),
            m_platform.identity.version, m_platform.identity.build});
        m_settingsWindow = std::make_unique<SettingsWindow>(*m_settings);
    }
    m_settingsWindow->present();
}

TrayApplication::~TrayApplication() = default;

QStringList TrayApplication::start() {
    if (TrayIcon::isTrayAvailable())
        m_trayIcon = std::make_unique<TrayIcon>(m_delegate);
    m_delegate.applicationDidFinishLaunching();

    QStringList notices = hotKeyNotices();
    if (!m_trayIcon) {
        notices.append(trayMissingNotice());
        m_dialogs.showMessage(QStringLiteral("Vantrel is running"),
                              trayMissingNotice() + QStringLiteral("\n\n") +
                                  m_delegate.settingsWhereabouts());
    }
    return notices;
}

void TrayApplication::shutdown() {
    m_delegate.applicationWillTerminate();
}

QStringList TrayApplication::hotKeyNotices() {
    const HotKeyManager& hotKeys = m_delegate.hotKeys();
    const PlatformVocabulary& words = m_platform.vocabulary;
    QStringList notices;
    const auto held = [](const QString& key) {
        return key + QStringLiteral(" is held by another program, so that shortcut does nothing "
                                    "here; the menu's command still works.");
    };
    if (!hotKeys.isCopyRegistered())
        notices.append(held(words.copyHotKey));
    if (!hotKeys.isRegionCopyRegistered())
        notices.append(held(words.regionHotKey));
    return notices;
}

QString TrayApplication::trayMissingNotice() const {
    const PlatformVocabulary& words = m_platform.vocabulary;
    return QStringLiteral("This desktop shows no tray icons, so Vantrel has no menu here; it runs "
                          "anyway: ") +
           words.copyHotKey + QStringLiteral(" captures the window under the mouse, ") +
           words.regionHotKey + QStringLiteral(" an area. Start Vantrel again for its settings.");
}

} // namespace vantrel
