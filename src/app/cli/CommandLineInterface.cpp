#include "CommandLineInterface.h"

#include "CaptureCommand.h"
#include "CaptureReport.h"
#include "DoctorCommand.h"
#include "McpCommand.h"
#include "SettingsCommand.h"

#include <QCoreApplication>

namespace vantrel {

CommandLineInterface::CommandLineInterface(UserDefaults& defaults, NotificationCenter& center,
                                           QString demoScenePath, QString versionLine)
    : m_defaults(defaults), m_center(center), m_demoScenePath(std::move(demoScenePath)),
      m_versionLine(std::move(versionLine)) {}

QString CommandLineInterface::usage() {
    return QStringLiteral(
        "usage: vantrel capture [--scene FILE] [--mode bundle|screenshot|tree] [--region X,Y,W,H]\n"
        "                       [--at X,Y] [--front-window] [--json] [--pasteboard-out FILE]\n"
        "                       [--no-clipboard] [--top-left] [--ask PROMPT [--pick-window]]\n"
        "                       [--via-app]\n"
        "       vantrel settings [NAME [VALUE]]\n"
        "       vantrel mcp [--scene FILE]\n"
        "       vantrel demo\n"
        "       vantrel doctor [--json]\n"
        "       vantrel help | --help\n"
        "       vantrel --version\n");
}

QString CommandLineInterface::versionLine(const QString& version, const QString& build) {
    QString line = QStringLiteral("vantrel ") + version;
    if (!build.isEmpty())
        line += QStringLiteral(" (build ") + build + u')';
    return line + u'\n';
}

int CommandLineInterface::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const QString command = arguments.value(0);
    const QStringList rest = arguments.mid(1);
    if (command == QLatin1String("capture"))
        return runCapture(rest, out, err);
    if (command == QLatin1String("settings"))
        return SettingsCommand(m_defaults, m_center).run(rest, out, err);
    if (command == QLatin1String("mcp"))
        return McpCommand(m_protocolOutput, QCoreApplication::applicationFilePath()).run(rest, err);
    if (command == QLatin1String("doctor"))
        return DoctorCommand().run(rest, out, err);
    if (command == QLatin1String("demo") && rest.isEmpty())
        return runDemo(out, err);
    if (command == QLatin1String("help") || command == QLatin1String("--help")) {
        out << usage();
        return 0;
    }
    if (command == QLatin1String("--version")) {
        if (!rest.isEmpty()) {
            err << QStringLiteral("vantrel: unexpected argument \"%1\"\n").arg(rest.first())
                << usage();
            return 2;
        }
        out << m_versionLine;
        return 0;
    }
    err << (command.isEmpty() ? QString()
                              : QStringLiteral("vantrel: unknown command \"%1\"\n").arg(command))
        << usage();
    return 2;
}

int CommandLineInterface::runCapture(const QStringList& arguments, QTextStream& out,
                                     QTextStream& err) {
    const auto parsed = CaptureOptions::parse(arguments);
    if (const auto* message = std::get_if<QString>(&parsed)) {
        err << *message << "\n" << CaptureOptions::usage();
        return 2;
    }
    CaptureCommand command(m_defaults, m_center);
    command.setOverlayFactory(m_overlayFactory);
    return command.run(std::get<CaptureOptions>(parsed), out, err);
}

int CommandLineInterface::runDemo(QTextStream& out, QTextStream& err) {
    CaptureOptions options;
    options.scenePath = m_demoScenePath;
    options.mode = CaptureMode::bundle;
    CaptureCommand command(m_defaults, m_center);
    const int status = command.run(options, out, err);
    if (command.lastReport() && command.lastReport()->bundle)
        out << "Capture folder: " << command.lastReport()->bundle->directory.toLocalFile() << "\n";
    return status;
}

} // namespace vantrel
