#include "CaptureRunner.h"

#include "ClipCoordinator.h"
#include "PermissionFollowUp.h"
#include "accessibility/ToolkitAdvice.h"
#include "input/PointerTracker.h"
#include "input/RegionSelecting.h"
#include "input/ToastShowing.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/Clock.h"
#include "platform/PlatformVocabulary.h"
#include "ui/StatusLine.h"

#include <QPointer>

namespace vantrel {

using namespace std::chrono_literals;

namespace {

constexpr auto menuCloseDelay = 200ms;
constexpr auto overlaySettleDelay = 150ms;

// Holds the runner weakly: a trigger that outlives it does nothing.
QCoro::Task<> runCaptureWhileRunnerLives(QPointer<CaptureRunner> runner, bool fromMenu,
                                         bool useRegion) {
    if (runner)
        co_await runner->performCopy(fromMenu, useRegion);
}

} // namespace

CaptureRunner::CaptureRunner(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(dependencies) {}

void CaptureRunner::copyNowFromMenu() {
    startCopy(true, false);
}
void CaptureRunner::copyRegionFromMenu() {
    startCopy(true, true);
}
void CaptureRunner::copyFromHotKey() {
    startCopy(false, false);
}
void CaptureRunner::copyRegionFromHotKey() {
    startCopy(false, true);
}

void CaptureRunner::startCopy(bool fromMenu, bool useRegion) {
    runCaptureWhileRunnerLives(QPointer<CaptureRunner>(this), fromMenu, useRegion);
}

QCoro::Task<std::optional<CaptureOutcome>> CaptureRunner::performCopy(bool fromMenu,
                                                                      bool useRegion) {
    const CaptureMode mode = CaptureModeSettings::primaryMode(m_deps.defaults);
    StatusLine& status = m_deps.statusLine;
    std::optional<QPointF> capturePoint;
    if (fromMenu) {
        // The live cursor is over our menu by now; capture where it last was elsewhere.
        capturePoint = m_deps.pointer.lastLocation();
        co_await m_deps.clock.sleep(menuCloseDelay);
    }

    std::optional<QRectF> area;
    if (useRegion) {
        status.set(QStringLiteral("Drag an area · release mouse to capture · Esc cancels"));
        area = co_await m_deps.regionSelection.selectRegion();
        if (!area) {
            status.set(QStringLiteral("Capture cancelled."));
            co_return std::nullopt;
        }
        co_await m_deps.clock.sleep(overlaySettleDelay);
    }

    status.set(QStringLiteral("Capturing (") + menuTitle(mode) + QStringLiteral(")…"));
    const CaptureOutcome outcome =
        co_await m_deps.coordinator.capture(mode, capturePoint, area, fromMenu && !useRegion);
    if (outcome.isSuccess()) {
        status.set(outcome.statusLine(), statusFollowUp(outcome));
        m_deps.toast.show(toastText(outcome, m_deps.defaults, m_deps.vocabulary));
    } else {
        status.set(localizedDescription(outcome.error()));
        m_deps.permissionFollowUp.afterFailure(outcome.error(), mode);
    }
    co_return outcome;
}

QString CaptureRunner::toastText(const CaptureOutcome& outcome, const UserDefaults& defaults,
                                 const PlatformVocabulary& vocabulary) {
    // A bundle whose snapshot is its root alone, unless that root is a control that never has
    // children: pressing again cannot bring a button's tree.
    const auto& snapshot = outcome.bundleSnapshot();
    const ToolkitAdvice::Entry* cause =
        snapshot ? ToolkitAdvice::emptyTreeCause(*snapshot) : nullptr;
    // Pressing again helps only where the toolkit builds its tree on its own.
    if (cause && !cause->shortFix.isEmpty())
        return QStringLiteral("Copied, but ") + cause->name +
               QStringLiteral(" exposes no AX tree — ") + cause->shortFix;
    if (snapshot && snapshot->nodeCount == 1 && !snapshot->rootIsLeaf)
        return QStringLiteral("Copied, but the AX tree is empty — press ") + vocabulary.copyHotKey +
               QStringLiteral(" again");
    return QStringLiteral("Copied — press ") + vocabulary.pasteKey + QStringLiteral(" in ") +
           title(AgentPasteTargetSettings::target(defaults));
}

QString CaptureRunner::statusFollowUp(const CaptureOutcome& outcome) {
    const auto& snapshot = outcome.bundleSnapshot();
    const ToolkitAdvice::Entry* cause =
        snapshot ? ToolkitAdvice::emptyTreeCause(*snapshot) : nullptr;
    return cause ? ToolkitAdvice::emptyTreeExplanation(*cause) : QString();
}

} // namespace vantrel
