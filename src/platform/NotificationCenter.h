#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace vantrel {

// Notifications by name. Observers run on the posting thread, in the order they were added.
class NotificationCenter final {
  public:
    using Observer = std::function<void()>;
    using Token = quint64;

    Token addObserver(const QString& name, Observer observer);
    void removeObserver(Token token);
    void post(const QString& name);

  private:
    struct Registration {
        Token token;
        QString name;
        Observer observer;
    };

    QList<Registration> m_registrations;
    Token m_nextToken = 1;
};

} // namespace vantrel
