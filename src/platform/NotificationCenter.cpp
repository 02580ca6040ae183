#include "NotificationCenter.h"

namespace vantrel {

NotificationCenter::Token NotificationCenter::addObserver(const QString& name, Observer observer) {
    const Token token = m_nextToken++;
    m_registrations.append({token, name, std::move(observer)});
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    m_registrations.removeIf([token](const Registration& r) { return r.token == token; });
}

void NotificationCenter::post(const QString& name) {
    // Observers may add or remove observers while we deliver; deliver to those present at the post.
    const QList<Registration> snapshot = m_registrations;
    for (const Registration& registration : snapshot) {
        if (registration.name == name)
            registration.observer();
    }
}

} // namespace vantrel
