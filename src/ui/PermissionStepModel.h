#pragma once

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>

namespace vantrel {

class OnboardingCoordinator;
struct PlatformVocabulary;

// One permission page of the setup assistant: what it shows for the permission's state and what
// its two buttons do. The first press of the main button asks the system, later presses open the
// settings where the user turns the permission on.
class PermissionStepModel final : public QObject {
    Q_OBJECT

  public:
    struct Page {
        QString icon;
        QColor tint;
        QString title;
        QString message;
        // What to do beyond the system's prompt, shown while not granted; empty where nothing is.
        QString steps;
        bool isLast = false;
        std::function<void()> request;
        std::function<void()> openSettings;
    };

    static inline const QString grantedIcon = QStringLiteral("checkmark.circle.fill");
    static inline const QColor grantedTint = QColor(0x34, 0xC7, 0x59);

    PermissionStepModel(OnboardingCoordinator& coordinator, Page page,
                        const PlatformVocabulary& words, QObject* parent = nullptr);

    const Page& page() const { return m_page; }
    bool granted() const { return m_granted; }
    void setGranted(bool granted);
    bool didRequest() const { return m_didRequest; }

    QString icon() const;
    QColor tint() const;
    QString steps() const;
    // "Granted", the waiting line once asked, else nothing.
    QString statusLine() const;
    QString primaryTitle() const;
    QString secondaryTitle() const;

    void pressPrimary();
    void pressSecondary();

  Q_SIGNALS:
    void changed();

  private:
    OnboardingCoordinator& m_coordinator;
    Page m_page;
    QString m_waitingLine;
    QString m_openSettingsTitle;
    bool m_granted = false;
    bool m_didRequest = false;
};

} // namespace vantrel
