#pragma once

#include <QStringList>
#include <QTextStream>

namespace vantrel {

class NotificationCenter;
class UserDefaults;

// `vantrel settings [NAME [VALUE]]`: shows the four capture settings or writes one through its
// store, so the agent's format and the derived agent behave as in the app.
class SettingsCommand final {
  public:
    SettingsCommand(UserDefaults& defaults, NotificationCenter& center);

    // Exit code: 0, or 2 for an unknown name or value.
    int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

    static QString usage();

  private:
    struct Setting;
    static const QList<Setting>& settings();
    static const Setting* find(const QString& name);
    void printAll(QTextStream& out) const;

    UserDefaults& m_defaults;
    NotificationCenter& m_center;
};

} // namespace vantrel
