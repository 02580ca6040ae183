#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace vantrel {

class LoginItemService;
struct PlatformVocabulary;

// The launch-at-login switch and the note under it: the switch always shows the real state, the
// note the last error when a change failed, else the state in words.
class LaunchAtLoginSwitch final : public QObject {
    Q_OBJECT

  public:
    LaunchAtLoginSwitch(LoginItemService& loginItem, const PlatformVocabulary& vocabulary,
                        QObject* parent = nullptr);

    bool isOn() const { return m_on; }
    QString note() const;
    void setOn(bool wanted);
    // Reads the status again, for changes made outside the application; keeps a failure's note.
    void refresh();

  Q_SIGNALS:
    void changed();

  private:
    void readStatus();

    LoginItemService& m_loginItem;
    const PlatformVocabulary& m_vocabulary;
    bool m_on = false;
    std::optional<QString> m_error;
};

} // namespace vantrel
