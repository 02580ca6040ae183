#pragma once

#include "platform/DesktopDiagnostics.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

class HotKeyService;

// Everything `vantrel doctor` found out, before it is judged. A part that could not be looked at
// (no display, no bus) is none, and the findings say why.
struct DoctorFacts {
    QString sessionType; // XDG_SESSION_TYPE
    QString display;     // DISPLAY
    bool waylandDisplay = false;
    std::optional<QString> displayError; // the display could not be opened, and why
    AccessibilityBusState bus;
    std::optional<TrayHostState> tray;
    struct HotKey {
        QString name; // "Ctrl+Alt+C"
        bool free = false;
        QString heldBy; // what holds it, where the desktop says (GNOME's setting)
    };
    QList<HotKey> hotKeys;
    std::optional<qint64> runningTrayPid; // a Vantrel tray app of this user runs
    std::optional<QList<ApplicationAccessibility>> applications;
    // Looked at on GNOME on Wayland only; compared with appVersion.
    std::optional<GnomeExtensionState> gnomeExtension;
    // Looked at on GNOME on Wayland when the extension cannot be used, as captures then take
    // their pictures through the Screenshot portal.
    std::optional<ScreenshotPermissionState> screenshotPermission;
    QString appVersion;
    int nodeBound = 0;
};

// One line of the diagnosis: what was checked, what was found and, when it needs it, the fix.
struct DoctorFinding {
    enum class Verdict { ok, note, problem };
    QString check; // "session", "gnomeExtension", "screenshotPortal", "display",
                   // "accessibilityBus", "trayHost", "hotKey", "application"
    Verdict verdict = Verdict::ok;
    QString summary;
    QString fix; // empty when nothing is to be done
    std::optional<ApplicationAccessibility> application;
    QString toolkit; // the table's name, for applications
};

// Judges the facts: every finding with its fix in one line, as text or JSON.
class Doctor final {
  public:
    static constexpr int nodeBound = 500;

    static QList<DoctorFinding> findings(const DoctorFacts& facts);
    static QString text(const QList<DoctorFinding>& findings);
    static QJsonObject json(const QList<DoctorFinding>& findings);
    // 0 when nothing needs fixing, 1 otherwise.
    static int exitCode(const QList<DoctorFinding>& findings);

    // Whether the key can be grabbed now, tried as the app grabs it and let go at once.
    static bool hotKeyFree(HotKeyService& service, quint32 keyCode);
};

} // namespace vantrel
