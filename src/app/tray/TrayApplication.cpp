#include "TrayApplication.h"

#include "input/RegionSelecting.h"

namespace vantrel {

namespace {

std::unique_ptr<ShellToast> shellToastFor(CompositorHelper* shell) {
    return shell ? std::make_unique<ShellToast>(*shell) : nullptr;
}

} // namespace

TrayApplication::TrayApplication(const Platform& platform, UserDefaults& defaults,
                                 NotificationCenter& center, Clock& clock,
                                 RegionSelecting& regionSelection, CompositorHelper* shell)
    : m_defaults(defaults), m_center(center), m_services(platform, defaults, center, clock),
      m_toast(m_toastWindow, m_services.platform().screens, clock), m_shell(shell),
      m_shellToast(shellToastFor(shell)),
      m_delegate({m_services.platform(), m_services.coordinator(), m_services.permissions(),
                  m_services.permissionFollowUp(), defaults, center, clock, regionSelection,
                  m_shellToast ? static_cast<ToastShowing&>(*m_shellToast) : m_toast}),
      m_windows(m_delegate.setupAssistant(), m_delegate.statusMenu(),
                m_services.platform().identity) {
    QObject::connect(&m_delegate.statusMenu(), &StatusMenuPresenter::settingsRequested,
                     [this] { showSettings(); });
}

void TrayApplication::showSettings() {
    if (!m_settingsWindow) {
        const Platform& platform = m_services.platform();
        m_settings = std::make_unique<SettingsViewModel>(SettingsViewModel::Dependencies{
            m_defaults, m_center, m_services.permissions(), platform.loginItem, platform.workspace,
            platform.vocabulary, m_delegate.statusLine(), m_services.capturesRoot(),
            platform.identity.version, platform.identity.build});
        m_settingsWindow = std::make_unique<SettingsWindow>(*m_settings);
    }
    m_settingsWindow->present();
}

TrayApplication::~TrayApplication() = default;

QStringList TrayApplication::start(const QString& desktopNotice) {
    if (m_shell)
        m_shellMenu = std::make_unique<ShellStatusMenu>(m_delegate.statusMenu(), *m_shell);
    else if (TrayIcon::isTrayAvailable())
        m_trayIcon = std::make_unique<TrayIcon>(m_delegate.statusMenu());
    // Launching builds the menu, which the shell's menu sends on.
    m_delegate.applicationDidFinishLaunching();

    QStringList notices = hotKeyNotices();
    // One message at a time replaces the last, so the desktop's notice leads the tray's.
    const QString lead =
        desktopNotice.isEmpty() ? QString() : desktopNotice + QStringLiteral("\n\n");
    if (!desktopNotice.isEmpty())
        notices.prepend(desktopNotice);
    if (!m_trayIcon && !(m_shellMenu && m_shellMenu->isShown())) {
        notices.append(trayMissingNotice());
        m_dialogs.showMessage(QStringLiteral("Vantrel is running"), lead + trayMissingNotice() +
                                                                        QStringLiteral("\n\n") +
                                                                        settingsWhereabouts());
    } else if (!desktopNotice.isEmpty()) {
        m_dialogs.showMessage(QStringLiteral("Vantrel is running"), desktopNotice);
    }
    return notices;
}

void TrayApplication::shutdown() {
    m_delegate.applicationWillTerminate();
}

QStringList TrayApplication::hotKeyNotices() {
    const HotKeyManager& hotKeys = m_delegate.hotKeys();
    const PlatformVocabulary& words = m_services.platform().vocabulary;
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
    const PlatformVocabulary& words = m_services.platform().vocabulary;
    return QStringLiteral("This desktop shows no tray icons, so Vantrel has no menu here; it runs "
                          "anyway: ") +
           words.copyHotKey + QStringLiteral(" captures the window under the mouse, ") +
           words.regionHotKey + QStringLiteral(" an area. Start Vantrel again for its settings.");
}

QString TrayApplication::settingsWhereabouts() const {
    const PlatformVocabulary& words = m_services.platform().vocabulary;
    return QStringLiteral("Without the menu, start Vantrel again to open its settings window, or "
                          "change the capture mode and the agent in a terminal:\n"
                          "  vantrel settings              shows every setting\n"
                          "  vantrel settings NAME VALUE   changes one (mode, agent, "
                          "pasteboard-format, bundle-format)\n"
                          "Vantrel reads the screen and the interface of other applications; "
                          "if a capture says access is missing, turn it on in ") +
           words.accessibilitySettingsPath + QStringLiteral(".");
}

} // namespace vantrel
