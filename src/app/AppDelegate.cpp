#include "AppDelegate.h"

#include "ClipCoordinator.h"
#include "input/RegionSelecting.h"
#include "input/ToastShowing.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/AccessibilityPlatform.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/ScreenCapturePlatform.h"
#include "platform/ScreenList.h"
#include "platform/StandardLocations.h"
#include "platform/Workspace.h"
#include "screen/SystemPermissionsService.h"

#include <QFileInfo>
#include <QPointer>
#include <QUrl>

namespace vantrel {

using namespace std::chrono_literals;

namespace {

constexpr auto menuCloseDelay = 200ms;
constexpr auto overlaySettleDelay = 150ms;

// Holds the delegate weakly: a trigger that outlives it does nothing.
QCoro::Task<> runCopy(QPointer<AppDelegate> delegate, bool fromMenu, bool useRegion) {
    if (delegate)
        co_await delegate->performCopy(fromMenu, useRegion);
}

} // namespace

AppDelegate::AppDelegate(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(dependencies),
      m_lastCaptureMouseLocation(m_deps.platform.screens.mouseLocation()),
      m_lastStatus(QStringLiteral("Ready. Set mode in menu, then press ") +
                   m_deps.platform.vocabulary.copyHotKey + QStringLiteral(".")) {}

AppDelegate::~AppDelegate() {
    if (m_mouseMonitor)
        m_deps.platform.mouseMonitor.removeMonitor(*m_mouseMonitor);
}

void AppDelegate::setLastStatus(const QString& status) {
    m_lastStatus = status;
    Q_EMIT lastStatusChanged();
}

void AppDelegate::copyNowFromMenu() {
    startCopy(true, false);
}
void AppDelegate::copyRegionFromMenu() {
    startCopy(true, true);
}
void AppDelegate::copyFromHotKey() {
    startCopy(false, false);
}
void AppDelegate::copyRegionFromHotKey() {
    startCopy(false, true);
}

void AppDelegate::startCopy(bool fromMenu, bool useRegion) {
    runCopy(QPointer<AppDelegate>(this), fromMenu, useRegion);
}

QCoro::Task<std::optional<CaptureOutcome>> AppDelegate::performCopy(bool fromMenu, bool useRegion) {
    const CaptureMode mode = CaptureModeSettings::primaryMode(m_deps.defaults);

    std::optional<QPointF> capturePoint;
    if (fromMenu) {
        // The live cursor is over our menu by now; capture where it last was elsewhere.
        capturePoint = m_lastCaptureMouseLocation;
        co_await m_deps.clock.sleep(menuCloseDelay);
    }

    std::optional<QRectF> area;
    if (useRegion) {
        setLastStatus(QStringLiteral("Drag an area · release mouse to capture · Esc cancels"));
        area = co_await m_deps.regionSelection.selectRegion();
        if (!area) {
            setLastStatus(QStringLiteral("Capture cancelled."));
            co_return std::nullopt;
        }
        co_await m_deps.clock.sleep(overlaySettleDelay);
    }

    setLastStatus(QStringLiteral("Capturing (") + menuTitle(mode) + QStringLiteral(")…"));
    const CaptureOutcome outcome =
        co_await m_deps.coordinator.capture(mode, capturePoint, area, fromMenu && !useRegion);
    if (outcome.isSuccess()) {
        setLastStatus(outcome.statusLine());
        m_deps.toast.show(
            toastText(outcome.statusLine(), m_deps.defaults, m_deps.platform.vocabulary));
    } else {
        setLastStatus(localizedDescription(outcome.error()));
        openSettingsIfPermissionDenied(outcome.error(), mode);
    }
    co_return outcome;
}

QString AppDelegate::toastText(const QString& statusLine, const UserDefaults& defaults,
                               const PlatformVocabulary& vocabulary) {
    // A plain substring test: it matches a node count of exactly 1, a snapshot of its root alone.
    if (statusLine.contains(QStringLiteral("· 1 AX nodes")))
        return QStringLiteral("Copied, but the AX tree is empty — press ") + vocabulary.copyHotKey +
               QStringLiteral(" again");
    return QStringLiteral("Copied — press ") + vocabulary.pasteKey + QStringLiteral(" in ") +
           title(AgentPasteTargetSettings::target(defaults));
}

void AppDelegate::openSettingsIfPermissionDenied(const CaptureError& error, CaptureMode mode) {
    SystemPermissionsService& permissions = m_deps.permissions;
    if (const auto* ax = std::get_if<AccessibilityCaptureError>(&error);
        ax && ax->code == AccessibilityCaptureError::Code::permissionDenied) {
        permissions.openAccessibilitySettings();
        return;
    }
    if (const auto* screen = std::get_if<ScreenCaptureError>(&error);
        screen && screen->code == ScreenCaptureError::Code::permissionDenied) {
        permissions.openScreenRecordingSettings();
        return;
    }
    if (mode != CaptureMode::screenshot) {
        if (!m_deps.platform.accessibility.isProcessTrusted()) {
            permissions.openAccessibilitySettings();
            return;
        }
        if (mode == CaptureMode::tree)
            return;
    }
    if (permissions.state().screenRecording ||
        m_deps.platform.screenCapture.preflightScreenCaptureAccess())
        return;
    permissions.openScreenRecordingSettings();
}

void AppDelegate::startMouseTracking() {
    rememberMouseLocation();
    const quint64 mask =
        MouseMonitor::MouseMoved | MouseMonitor::LeftMouseDown | MouseMonitor::RightMouseDown;
    QPointer<AppDelegate> weakSelf(this);
    m_mouseMonitor = m_deps.platform.mouseMonitor.addGlobalMonitor(mask, [weakSelf] {
        // Events may arrive off the main thread; the position is only touched there.
        if (!weakSelf)
            return;
        QMetaObject::invokeMethod(
            weakSelf.data(),
            [weakSelf] {
                if (weakSelf)
                    weakSelf->rememberMouseLocation();
            },
            Qt::AutoConnection);
    });
}

void AppDelegate::rememberMouseLocation() {
    const QPointF location = m_deps.platform.screens.mouseLocation();
    if (location == m_lastCaptureMouseLocation)
        return;
    m_lastCaptureMouseLocation = location;
    Q_EMIT lastCaptureMouseLocationChanged();
}

void AppDelegate::openLatestBundle() {
    const QString latest = StandardLocations::cachesDirectory() + QStringLiteral("/Vantrel/latest");
    if (!QFileInfo::exists(latest)) {
        setLastStatus(QStringLiteral("No bundle yet. Set mode to Bundle and press ") +
                      m_deps.platform.vocabulary.copyHotKey + QStringLiteral("."));
        return;
    }
    m_deps.platform.workspace.openURL(QUrl::fromLocalFile(latest + QStringLiteral("/")));
}

} // namespace vantrel
