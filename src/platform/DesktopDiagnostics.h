#pragma once

#include "ToolkitClues.h"

#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

// The accessibility bus as the session bus shows it.
struct AccessibilityBusState {
    bool sessionBus = false;     // a session D-Bus answered
    bool reachable = false;      // org.a11y.Bus gave an address
    std::optional<bool> enabled; // org.a11y.Status.IsEnabled; none when it could not be read
    QString error;               // why the last of these failed, in one line
};

// Vantrel's GNOME Shell extension, as the session bus shows it.
struct GnomeExtensionState {
    bool answers = false;
    QString version; // what it says, when it answers
    QString error;   // why it does not answer
};

// Whether the Screenshot portal pictures the screen for Vantrel without asking, as GNOME's
// permission store keeps the user's answer.
struct ScreenshotPermissionState {
    enum class Answer { granted, denied, notAsked, unknown };
    Answer answer = Answer::unknown;
    QString error; // why it is unknown
};

struct TrayHostState {
    bool statusNotifierWatcher = false; // org.kde.StatusNotifierWatcher has an owner
    bool xembedTray = false;            // _NET_SYSTEM_TRAY_S<n> has an owner
};

// One running application that has windows on screen, and what of it the accessibility bus shows.
struct ApplicationAccessibility {
    qint64 pid = 0;
    QString name;             // the window manager's name for it, else the program's
    int windows = 0;          // its top-level windows on screen
    bool onBus = false;       // registered on the accessibility bus
    bool answered = true;     // false when it stopped answering while being counted
    int nodeCount = 0;        // nodes below the application root, at most the bound asked for
    bool exposesTree = false; // some window of it has children
    ToolkitClues clues;
};

// What `vantrel doctor` asks of a desktop beyond the capture services: facts only; the advice is
// the core's. Every call is bounded in time.
class DesktopDiagnostics {
  public:
    virtual ~DesktopDiagnostics() = default;

    virtual AccessibilityBusState accessibilityBus() = 0;
    virtual TrayHostState trayHost() = 0;
    // Applications with on-screen windows, this process left out; node counts stop at nodeBound.
    virtual QList<ApplicationAccessibility> applications(int nodeBound) = 0;
};

} // namespace vantrel
