#include "DoctorCommand.h"

#include "app/Doctor.h"
#include "app/SingleInstance.h"
#include "input/HotKeyManager.h"
#include "platform/linux/LinuxDiagnostics.h"

#include <QJsonDocument>

namespace vantrel {

QString DoctorCommand::usage() {
    return QStringLiteral("usage: vantrel doctor [--json]\n");
}

int DoctorCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const bool json = arguments == QStringList{QStringLiteral("--json")};
    if (!arguments.isEmpty() && !json) {
        err << QStringLiteral("vantrel doctor: unexpected argument \"%1\"\n").arg(arguments.first())
            << usage();
        return 2;
    }
    DoctorFacts facts;
    facts.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE").toLower();
    facts.display = qEnvironmentVariable("DISPLAY");
    facts.waylandDisplay = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    facts.nodeBound = Doctor::nodeBound;

    QString displayError;
    LinuxDiagnostics diagnostics(displayError);
    if (!facts.display.isEmpty() && !diagnostics.hasDisplay())
        facts.displayError = displayError;
    facts.bus = diagnostics.accessibilityBus();
    if (diagnostics.hasDisplay()) {
        facts.tray = diagnostics.trayHost();
        HotKeyService& keys = *diagnostics.hotKeys();
        facts.hotKeys = {
            {QStringLiteral("Ctrl+Alt+C"), Doctor::hotKeyFree(keys, HotKeyManager::copyKeyCode)},
            {QStringLiteral("Ctrl+Alt+R"), Doctor::hotKeyFree(keys, HotKeyManager::regionKeyCode)},
        };
        facts.runningTrayPid = SingleInstance::runningPid(SingleInstance::defaultFolder());
        facts.applications = diagnostics.applications(Doctor::nodeBound);
    }

    const QList<DoctorFinding> findings = Doctor::findings(facts);
    if (json)
        out << QJsonDocument(Doctor::json(findings)).toJson(QJsonDocument::Indented);
    else
        out << Doctor::text(findings);
    return Doctor::exitCode(findings);
}

} // namespace vantrel
