#pragma once

#include <QStringList>
#include <QTextStream>

namespace vantrel {

class NotificationCenter;
class UserDefaults;

// Dispatches `vantrel COMMAND ...` to its command. Exit codes: 0 success, 1 failure, 2 bad usage.
class CommandLineInterface final {
  public:
    CommandLineInterface(UserDefaults& defaults, NotificationCenter& center, QString demoScenePath);

    // Arguments exclude the program name.
    int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

    static QString usage();

  private:
    int runCapture(const QStringList& arguments, QTextStream& out, QTextStream& err);
    int runDemo(QTextStream& out, QTextStream& err);

    UserDefaults& m_defaults;
    NotificationCenter& m_center;
    QString m_demoScenePath;
};

} // namespace vantrel
