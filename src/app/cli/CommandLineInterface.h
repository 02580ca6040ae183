#pragma once

#include "CaptureCommand.h"

#include <QStringList>
#include <QTextStream>

namespace vantrel {

class NotificationCenter;
class UserDefaults;

// Dispatches `vantrel COMMAND ...` to its command. Exit codes: 0 success, 1 failure, 2 bad usage.
class CommandLineInterface final {
  public:
    // versionLine: what `vantrel --version` prints (see versionLine()).
    CommandLineInterface(UserDefaults& defaults, NotificationCenter& center, QString demoScenePath,
                         QString versionLine = {});

    // Arguments exclude the program name.
    int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

    static QString usage();
    // "vantrel 0.1.0 (build 34a9d19)", or without the parentheses when the build is not known.
    static QString versionLine(const QString& version, const QString& build);
    // The private copy of stdout that `vantrel mcp` answers on; taken before anything can print.
    void setProtocolOutput(int descriptor) { m_protocolOutput = descriptor; }
    // What `vantrel capture --ask` shows; the command line itself has no widgets.
    void setOverlayFactory(CaptureCommand::OverlayFactory factory) {
        m_overlayFactory = std::move(factory);
    }

  private:
    int runCapture(const QStringList& arguments, QTextStream& out, QTextStream& err);
    int runDemo(QTextStream& out, QTextStream& err);

    UserDefaults& m_defaults;
    NotificationCenter& m_center;
    QString m_demoScenePath;
    QString m_versionLine;
    int m_protocolOutput = -1;
    CaptureCommand::OverlayFactory m_overlayFactory;
};

} // namespace vantrel
