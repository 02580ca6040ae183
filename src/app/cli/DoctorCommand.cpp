#include "DoctorCommand.h"

#include "app/Doctor.h"
#include "app/SingleInstance.h"
#include "input/HotKeyManager.h"
#include "platform/linux/AccessibilityBusProbe.h"
#include "platform/linux/LinuxDiagnostics.h"
#include "platform/wayland/DesktopBackendChoice.h"
#include "platform/wayland/GnomeShellHelper.h"
#include "platform/wayland/HelperHotKeys.h"
#include "platform/wayland/ScreenshotPermissionProbe.h"

#include <QCoreApplication>

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
    facts.appVersion = QCoreApplication::applicationVersion();
    if (DesktopBackendChoice::choose(QProcessEnvironment::systemEnvironment()) ==
        DesktopBackendChoice::Backend::gnomeWayland)
        gnomeFacts(facts);
    else
        x11Facts(facts);

    const QList<DoctorFinding> findings = Doctor::findings(facts);
    if (json)
        out << QJsonDocument(Doctor::json(findings)).toJson(QJsonDocument::Indented);
    else
        out << Doctor::text(findings);
    return Doctor::exitCode(findings);
}

// What captures use on GNOME on Wayland: the extension (its shortcuts and window list) when it
// answers, else the Screenshot portal; no X11 display, tray or key grab.
void DoctorCommand::gnomeFacts(DoctorFacts& facts) {
    facts.gnomeExtension = GnomeShellHelper::probe();
    facts.bus = AccessibilityBusProbe::probe();
    QString reason;
    const auto helper = GnomeShellHelper::connect(facts.appVersion, reason);
    if (!helper) {
        facts.screenshotPermission = ScreenshotPermissionProbe::probe();
        return;
    }
    using Clashes = QMap<QString, QString>;
    const auto watched = helper->watchShortcuts([](const QString&) {});
    const Clashes clashes =
        std::holds_alternative<Clashes>(watched) ? std::get<Clashes>(watched) : Clashes();
    for (const auto& [name, keyCode] :
         {std::pair(QStringLiteral("Ctrl+Alt+C"), HotKeyManager::copyKeyCode),
          std::pair(QStringLiteral("Ctrl+Alt+R"), HotKeyManager::regionKeyCode)}) {
        const QString shortcut = HelperHotKeys::shortcutName(keyCode, HotKeyManager::modifiers);
        facts.hotKeys.append({name, !clashes.contains(shortcut), clashes.value(shortcut)});
    }
    QList<ApplicationAccessibility> listed;
    QHash<qint64, qsizetype> indexes;
    for (const CompositorWindow& window : helper->windows().value_or(QList<CompositorWindow>())) {
        if (window.pid <= 0 || window.pid == QCoreApplication::applicationPid())
            continue;
        if (const auto index = indexes.constFind(window.pid); index != indexes.cend()) {
            ++listed[*index].windows;
            continue;
        }
        ApplicationAccessibility application;
        application.pid = window.pid;
        application.windows = 1;
        application.name =
            window.applicationClass.isEmpty() ? window.title : window.applicationClass;
        indexes.insert(window.pid, listed.size());
        listed.append(application);
    }
    facts.applications = LinuxDiagnostics::survey(listed, facts.nodeBound);
}

void DoctorCommand::x11Facts(DoctorFacts& facts) {
    QString displayError;
    LinuxDiagnostics diagnostics(displayError);
    if (!facts.display.isEmpty() && !diagnostics.hasDisplay())
        facts.displayError = displayError;
    facts.bus = diagnostics.accessibilityBus();
    if (diagnostics.hasDisplay()) {
        facts.tray = diagnostics.trayHost();
        HotKeyService& keys = *diagnostics.hotKeys();
        facts.hotKeys = {
            {QStringLiteral("Ctrl+Alt+C"), Doctor::hotKeyFree(keys, HotKeyManager::copyKeyCode),
             {}},
            {QStringLiteral("Ctrl+Alt+R"), Doctor::hotKeyFree(keys, HotKeyManager::regionKeyCode),
             {}},
        };
        facts.runningTrayPid = SingleInstance::runningPid(SingleInstance::defaultFolder());
        facts.applications = diagnostics.applications(Doctor::nodeBound);
    }
}

} // namespace vantrel
