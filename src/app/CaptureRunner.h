#pragma once

#include "CaptureOutcome.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>

#include <optional>

namespace vantrel {

class ClipCoordinator;
class Clock;
class PermissionFollowUp;
class PointerTracker;
class RegionSelecting;
class StatusLine;
class ToastShowing;
class UserDefaults;
struct PlatformVocabulary;

// Runs one capture from a trigger to its outcome: the waits a trigger asks for, the area
// selection, the pipeline; it reports every step on the status line, a success in the toast,
// and hands a failure to the permission follow-up.
class CaptureRunner final : public QObject {
    Q_OBJECT

  public:
    struct Dependencies {
        ClipCoordinator& coordinator;
        UserDefaults& defaults;
        Clock& clock;
        RegionSelecting& regionSelection;
        ToastShowing& toast;
        StatusLine& statusLine;
        const PointerTracker& pointer;
        PermissionFollowUp& permissionFollowUp;
        const PlatformVocabulary& vocabulary;
    };

    explicit CaptureRunner(Dependencies dependencies, QObject* parent = nullptr);

    // The four triggers; each starts its own run and returns at once.
    void copyNowFromMenu();
    void copyRegionFromMenu();
    void copyFromHotKey();
    void copyRegionFromHotKey();

    // One run. A menu command waits for its menu to close and captures where the pointer last
    // was outside it; an area capture lets the user choose, then waits for the overlay to go.
    // The outcome is also handed back (none when the area selection was cancelled or the desktop
    // has none) for callers such as the command line that report it themselves.
    QCoro::Task<std::optional<CaptureOutcome>> performCopy(bool fromMenu, bool useRegion);

    static QString toastText(const CaptureOutcome& outcome, const UserDefaults& defaults,
                             const PlatformVocabulary& vocabulary);
    static QString statusFollowUp(const CaptureOutcome& outcome);

  private:
    void startCopy(bool fromMenu, bool useRegion);

    Dependencies m_deps;
};

} // namespace vantrel
