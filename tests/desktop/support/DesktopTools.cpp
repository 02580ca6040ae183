#include "DesktopTools.h"

#include <QProcess>

namespace vantrel::testing {

QByteArray toolOutput(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return process.readAllStandardOutput();
}

QByteArray clipboard(const QString& target) {
    return toolOutput("xclip", {"-selection", "clipboard", "-t", target, "-o"});
}

} // namespace vantrel::testing
