#include "OnboardingWindow.h"

#include "PermissionPage.h"
#include "WelcomePage.h"
#include "ui/OnboardingViewModel.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace vantrel {

namespace {

// A title bar with a close button only, above other windows until a system dialog needs the room.
constexpr Qt::WindowFlags assistantFlags = Qt::Window | Qt::CustomizeWindowHint |
                                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                           Qt::WindowStaysOnTopHint;

} // namespace

OnboardingWindow::OnboardingWindow(OnboardingViewModel& model, QWidget* parent)
    : QDialog(parent, assistantFlags), m_coordinator(model.coordinator()),
      m_pages(new QStackedWidget(this)), m_welcome(new WelcomePage(model, m_pages)),
      m_accessibility(new PermissionPage(model.accessibilityPage(), m_pages)),
      m_screenRecording(new PermissionPage(model.screenRecordingPage(), m_pages)) {
    setWindowTitle(QStringLiteral("Welcome to Vantrel"));
    setAccessibleName(windowTitle());
    setObjectName(QStringLiteral("VantrelSetupAssistant"));
    setModal(false);
    setFixedSize(contentSize);
    // In step order, so a step's raw value is its page's index.
    m_pages->addWidget(m_welcome);
    m_pages->addWidget(m_accessibility);
    m_pages->addWidget(m_screenRecording);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);
    connect(&m_coordinator, &OnboardingCoordinator::stepChanged, this, &OnboardingWindow::showStep);
    showStep();
    centreOnScreen();
}

void OnboardingWindow::setFloating(bool floating) {
    if (floating == isFloating())
        return;
    // Changing a window's flags hides it; a shown window must stay shown.
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, floating);
    if (shown)
        show();
}

bool OnboardingWindow::isFloating() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void OnboardingWindow::bringToFront() {
    show();
    raise();
    activateWindow();
}

QWidget* OnboardingWindow::currentPage() const {
    return m_pages->currentWidget();
}

QPushButton* OnboardingWindow::defaultButton() const {
    switch (m_coordinator.step()) {
    case OnboardingCoordinator::Step::welcome:
        return m_welcome->primaryButton();
    case OnboardingCoordinator::Step::accessibility:
        return m_accessibility->primaryButton();
    case OnboardingCoordinator::Step::screenRecording:
        return m_screenRecording->primaryButton();
    }
    return nullptr;
}

void OnboardingWindow::showStep() {
    m_pages->setCurrentIndex(static_cast<int>(m_coordinator.step()));
    QPushButton* primary = defaultButton();
    primary->setDefault(true);
    primary->setFocus();
}

void OnboardingWindow::centreOnScreen() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace vantrel
