#pragma once

#include "CaptureOutcome.h"
#include "output/CaptureMode.h"
#include "platform/MouseMonitor.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointF>
#include <QString>

#include <optional>

namespace vantrel {

class ClipCoordinator;
class Clock;
class RegionSelecting;
class SystemPermissionsService;
class ToastShowing;
class UserDefaults;
struct Platform;
struct PlatformVocabulary;

// The capture side of the application: the four ways to start a capture, the one command that
// runs it, the status line that reports every step, the toast, the jump to the privacy pane after
// a permission failure, and the remembered cursor position menu commands capture at.
class AppDelegate final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString lastStatus READ lastStatus NOTIFY lastStatusChanged)
    Q_PROPERTY(QPointF lastCaptureMouseLocation READ lastCaptureMouseLocation NOTIFY
                   lastCaptureMouseLocationChanged)

  public:
    struct Dependencies {
        const Platform& platform;
        ClipCoordinator& coordinator;
        const UserDefaults& defaults;
        Clock& clock;
        RegionSelecting& regionSelection;
        ToastShowing& toast;
        SystemPermissionsService& permissions;
    };

    explicit AppDelegate(Dependencies dependencies, QObject* parent = nullptr);
    ~AppDelegate() override;

    const QString& lastStatus() const { return m_lastStatus; }
    void setLastStatus(const QString& status);
    QPointF lastCaptureMouseLocation() const { return m_lastCaptureMouseLocation; }

    // The four triggers; each starts its own run and returns at once.
    void copyNowFromMenu();
    void copyRegionFromMenu();
    void copyFromHotKey();
    void copyRegionFromHotKey();

    // Runs one capture and reports it through the status line, the toast and the privacy panes.
    // The outcome is also handed back (none when the area selection was cancelled) for callers
    // such as the command line that report it themselves.
    QCoro::Task<std::optional<CaptureOutcome>> performCopy(bool fromMenu, bool useRegion);

    static QString toastText(const QString& statusLine, const UserDefaults& defaults,
                             const PlatformVocabulary& vocabulary);
    void openSettingsIfPermissionDenied(const CaptureError& error, CaptureMode mode);
    void startMouseTracking();
    void openLatestBundle();

  Q_SIGNALS:
    void lastStatusChanged();
    void lastCaptureMouseLocationChanged();

  private:
    void startCopy(bool fromMenu, bool useRegion);
    void rememberMouseLocation();

    Dependencies m_deps;
    std::optional<MouseMonitor::Token> m_mouseMonitor;
    QPointF m_lastCaptureMouseLocation;
    QString m_lastStatus;
};

} // namespace vantrel
