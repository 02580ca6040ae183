#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

namespace vantrel {

class NotificationCenter;
class OnboardingCoordinator;
class OnboardingViewModel;
class SystemPermissionsService;
class UserDefaults;
struct PlatformVocabulary;

// The setup assistant's life: at most one at a time, opened where it was left, and on finishing
// the system asked for the permissions it left missing. Its window is asked for by a signal.
class SetupAssistantFlow final : public QObject {
    Q_OBJECT

  public:
    struct Dependencies {
        SystemPermissionsService& permissions;
        NotificationCenter& center;
        UserDefaults& defaults;
        const PlatformVocabulary& vocabulary;
    };

    explicit SetupAssistantFlow(Dependencies dependencies, QObject* parent = nullptr);

    static inline const QString onboardingCompletedKey = QStringLiteral("hasCompletedOnboardingV1");

    // At start-up: opens the assistant when a permission is missing, otherwise notes it done.
    // The flag is written but never consulted.
    void openUnlessGranted(bool permissionsGranted);
    // Opens the setup assistant, creating it when none exists; an open one comes to the front
    // at the page where it was left.
    void show();
    // Ends the setup assistant and asks the system for the permissions it left missing.
    void close();
    // The setup assistant while one exists.
    OnboardingCoordinator* assistant() const;

  Q_SIGNALS:
    // A window for this assistant is wanted; the view sets it as the coordinator's window.
    void windowRequested(vantrel::OnboardingViewModel* assistant);
    void windowClosed();
    // After close(), once the system was asked.
    void finished();

  private:
    Dependencies m_deps;
    QPointer<OnboardingCoordinator> m_coordinator;
    QPointer<OnboardingViewModel> m_model;
};

} // namespace vantrel
