#include "Doctor.h"

#include "accessibility/ToolkitAdvice.h"
#include "input/HotKeyManager.h"
#include "platform/HotKeyService.h"

#include <QHash>
#include <QJsonArray>

namespace vantrel {

namespace {

using Verdict = DoctorFinding::Verdict;

DoctorFinding doctorFinding(const QString& check, Verdict verdict, const QString& summary,
                            const QString& fix = {}) {
    DoctorFinding made;
    made.check = check;
    made.verdict = verdict;
    made.summary = summary;
    made.fix = fix;
    return made;
}

const QString assistiveFix =
    QStringLiteral("turn on assistive technologies in your desktop's accessibility settings (or "
                   "Request Access in Vantrel's setup assistant), then restart the applications "
                   "you capture");

DoctorFinding sessionFinding(const DoctorFacts& facts) {
    const QString check = QStringLiteral("session");
    // GNOME's own backend captures native windows; the extension's finding says how well.
    if (facts.gnomeExtension)
        return doctorFinding(check, Verdict::ok, QStringLiteral("GNOME on Wayland"));
    const bool wayland = facts.sessionType == u"wayland" || facts.waylandDisplay;
    if (wayland && !facts.display.isEmpty())
        return doctorFinding(
            check, Verdict::note,
            QStringLiteral("Wayland, X11 applications through Xwayland (DISPLAY=%1)")
                .arg(facts.display),
            QStringLiteral("only X11 applications can be captured here; log in to an X11 "
                           "session to capture native Wayland windows"));
    if (wayland)
        return doctorFinding(check, Verdict::problem,
                             QStringLiteral("Wayland without Xwayland (DISPLAY is not set)"),
                             QStringLiteral("turn on Xwayland or log in to an X11 session"));
    if (facts.display.isEmpty())
        return doctorFinding(check, Verdict::problem,
                             QStringLiteral("no graphical session (DISPLAY is not set)"),
                             QStringLiteral("run vantrel inside your X11 session, or set "
                                            "DISPLAY to its display"));
    return doctorFinding(check, Verdict::ok, QStringLiteral("X11 (DISPLAY=%1)").arg(facts.display));
}

DoctorFinding gnomeExtensionFinding(const GnomeExtensionState& extension,
                                    const QString& appVersion) {
    const QString check = QStringLiteral("gnomeExtension");
    if (!extension.answers)
        return doctorFinding(check, Verdict::problem,
                             QStringLiteral("Vantrel's extension does not answer: ") +
                                 extension.error,
                             QStringLiteral("turn it on in Extensions, or run gnome-extensions "
                                            "enable vantrel@quendale.com; after installing it, log "
                                            "out and back in"));
    if (extension.version != appVersion)
        return doctorFinding(check, Verdict::problem,
                             QStringLiteral("Vantrel's extension is version %1, Vantrel is %2")
                                 .arg(extension.version, appVersion),
                             QStringLiteral("log out and back in, so that GNOME Shell loads the "
                                            "extension installed with this Vantrel"));
    return doctorFinding(
        check, Verdict::ok,
        QStringLiteral("Vantrel's extension answers (version %1)").arg(appVersion));
}

DoctorFinding screenshotFinding(const ScreenshotPermissionState& permission) {
    const QString check = QStringLiteral("screenshotPortal");
    using Answer = ScreenshotPermissionState::Answer;
    switch (permission.answer) {
    case Answer::granted:
        return doctorFinding(check, Verdict::ok,
                             QStringLiteral("Vantrel may take screenshots through the portal"));
    case Answer::notAsked:
        return doctorFinding(check, Verdict::note,
                             QStringLiteral("GNOME will ask \"Allow Applications to Take "
                                            "Screenshots?\" at the first capture"),
                             QStringLiteral("answer Allow, or turn on Vantrel's extension, which "
                                            "needs no permission"));
    case Answer::denied:
        return doctorFinding(
            check, Verdict::problem,
            QStringLiteral("Vantrel was refused screenshots (\"Allow Applications to Take "
                           "Screenshots?\" was answered no)"),
            QStringLiteral("turn on Vantrel's extension, which needs no permission, or forget the "
                           "answer: gdbus call --session --dest "
                           "org.freedesktop.impl.portal.PermissionStore --object-path "
                           "/org/freedesktop/impl/portal/PermissionStore --method "
                           "org.freedesktop.impl.portal.PermissionStore.DeletePermission "
                           "screenshot screenshot ''"));
    case Answer::unknown:
        break;
    }
    return doctorFinding(check, Verdict::problem,
                         QStringLiteral("the portals' permission store does not answer: ") +
                             permission.error,
                         QStringLiteral("install xdg-desktop-portal-gnome (apt install "
                                        "xdg-desktop-portal-gnome) and log in again"));
}

DoctorFinding displayFinding(const DoctorFacts& facts) {
    const QString check = QStringLiteral("display");
    if (facts.displayError)
        return doctorFinding(check, Verdict::problem,
                             QStringLiteral("cannot open the display: ") + *facts.displayError,
                             QStringLiteral("check that the X server runs and that DISPLAY and "
                                            "XAUTHORITY name it"));
    return doctorFinding(check, Verdict::ok, QStringLiteral("%1 answers").arg(facts.display));
}

DoctorFinding busFinding(const AccessibilityBusState& bus) {
    const QString check = QStringLiteral("accessibilityBus");
    if (!bus.sessionBus)
        return doctorFinding(check, Verdict::problem,
                             QStringLiteral("no session D-Bus: ") + bus.error,
                             QStringLiteral("log in through your display manager, or start the "
                                            "session with dbus-run-session"));
    if (!bus.reachable)
        return doctorFinding(check, Verdict::problem,
                             QStringLiteral("the accessibility bus does not answer: ") + bus.error,
                             QStringLiteral("install at-spi2-core (apt install at-spi2-core) and "
                                            "log in again"));
    if (!bus.enabled)
        return doctorFinding(
            check, Verdict::problem,
            QStringLiteral("cannot read whether accessibility is on: ") + bus.error, assistiveFix);
    if (!*bus.enabled)
        return doctorFinding(check, Verdict::problem,
                             QStringLiteral("up, but switched off (org.a11y.Status.IsEnabled is "
                                            "false)"),
                             assistiveFix);
    return doctorFinding(check, Verdict::ok, QStringLiteral("up and switched on"));
}

DoctorFinding trayFinding(const TrayHostState& tray) {
    const QString check = QStringLiteral("trayHost");
    if (tray.statusNotifierWatcher || tray.xembedTray) {
        QStringList hosts;
        if (tray.statusNotifierWatcher)
            hosts << QStringLiteral("a StatusNotifierWatcher");
        if (tray.xembedTray)
            hosts << QStringLiteral("an XEmbed tray");
        return doctorFinding(check, Verdict::ok, hosts.join(QStringLiteral(" and ")));
    }
    return doctorFinding(check, Verdict::problem,
                         QStringLiteral("none (no StatusNotifierWatcher on the session bus, no "
                                        "XEmbed tray)"),
                         QStringLiteral("add a system tray to your panel; without one the keys "
                                        "still work and `vantrel settings` changes the settings"));
}

DoctorFinding hotKeyFinding(const DoctorFacts::HotKey& key, const std::optional<qint64>& trayPid) {
    const QString check = QStringLiteral("hotKey");
    const QString label = key.name + QStringLiteral(": ");
    if (key.free)
        return doctorFinding(check, Verdict::ok, label + QStringLiteral("free"));
    if (!key.heldBy.isEmpty())
        return doctorFinding(check, Verdict::problem,
                             label + QStringLiteral("held by ") + key.heldBy,
                             QStringLiteral("give one of them other keys in Settings → Keyboard → "
                                            "View and Customize Shortcuts"));
    // X11 does not say who holds a grab; a running tray app of ours is the likely holder.
    if (trayPid)
        return doctorFinding(check, Verdict::ok,
                             label + QStringLiteral("held by the running Vantrel tray app (pid "
                                                    "%1), which is fine")
                                         .arg(*trayPid));
    return doctorFinding(check, Verdict::problem, label + QStringLiteral("held by another program"),
                         QStringLiteral("free it in the program that holds it (another "
                                        "screenshot or hotkey tool); the tray menu's Copy "
                                        "commands work without it"));
}

DoctorFinding applicationFinding(const ApplicationAccessibility& application, int bound) {
    const ToolkitAdvice::Entry& advice = ToolkitAdvice::entryFor(application.clues);
    const QString label = QStringLiteral("%1 (pid %2, %3): ")
                              .arg(application.name)
                              .arg(application.pid)
                              .arg(advice.name);
    DoctorFinding made;
    made.check = QStringLiteral("application");
    made.application = application;
    made.toolkit = advice.name;
    if (application.exposesTree) {
        made.summary = label + QString::number(application.nodeCount) +
                       (application.nodeCount >= bound ? QStringLiteral("+") : QString()) +
                       QStringLiteral(" accessibility nodes");
        return made;
    }
    made.verdict = Verdict::problem;
    if (application.onBus && !application.answered) {
        made.summary = label + QStringLiteral("did not answer on the accessibility bus (busy or "
                                              "hung)");
        made.fix = QStringLiteral("capture again once it responds; restart it if it stays stuck");
        return made;
    }
    if (!application.onBus)
        made.summary = label + QStringLiteral("not on the accessibility bus, so no tree");
    else
        made.summary = label + QStringLiteral("its windows expose no accessibility tree");
    made.summary += QStringLiteral(" — ") + advice.cause;
    made.fix = advice.fix;
    return made;
}

QString doctorVerdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::ok:
        return QStringLiteral("ok");
    case Verdict::note:
        return QStringLiteral("note");
    case Verdict::problem:
        break;
    }
    return QStringLiteral("problem");
}

} // namespace

QList<DoctorFinding> Doctor::findings(const DoctorFacts& facts) {
    QList<DoctorFinding> found{sessionFinding(facts)};
    if (facts.gnomeExtension)
        found << gnomeExtensionFinding(*facts.gnomeExtension, facts.appVersion);
    if (facts.screenshotPermission)
        found << screenshotFinding(*facts.screenshotPermission);
    // On GNOME on Wayland no capture goes through Xwayland's display.
    if (!facts.display.isEmpty() && !facts.gnomeExtension)
        found << displayFinding(facts);
    found << busFinding(facts.bus);
    if (facts.tray)
        found << trayFinding(*facts.tray);
    for (const DoctorFacts::HotKey& key : facts.hotKeys)
        found << hotKeyFinding(key, facts.runningTrayPid);
    if (facts.applications) {
        for (const ApplicationAccessibility& application : *facts.applications)
            found << applicationFinding(application, facts.nodeBound);
    }
    return found;
}

QString Doctor::text(const QList<DoctorFinding>& findings) {
    static const QHash<QString, QString> titles{
        {QStringLiteral("session"), QStringLiteral("Session")},
        {QStringLiteral("gnomeExtension"), QStringLiteral("GNOME Shell extension")},
        {QStringLiteral("screenshotPortal"), QStringLiteral("Screenshot portal")},
        {QStringLiteral("display"), QStringLiteral("Display")},
        {QStringLiteral("accessibilityBus"), QStringLiteral("Accessibility bus")},
        {QStringLiteral("trayHost"), QStringLiteral("Tray host")},
        {QStringLiteral("hotKey"), QStringLiteral("Hotkey")},
        {QStringLiteral("application"), QStringLiteral("Application")},
    };
    QString out;
    int problems = 0;
    for (const DoctorFinding& finding : findings) {
        const QString mark = finding.verdict == Verdict::ok     ? QStringLiteral("✓")
                             : finding.verdict == Verdict::note ? QStringLiteral("!")
                                                                : QStringLiteral("✗");
        out += mark + u' ' + titles.value(finding.check) + QStringLiteral(" — ") + finding.summary +
               u'\n';
        if (!finding.fix.isEmpty())
            out += QStringLiteral("  fix: ") + finding.fix + u'\n';
        problems += finding.verdict == Verdict::problem ? 1 : 0;
    }
    out += problems == 0 ? QStringLiteral("Nothing to fix: captures should work.\n")
                         : QStringLiteral("%1 to fix.\n")
                               .arg(problems == 1 ? QStringLiteral("1 problem")
                                                  : QStringLiteral("%1 problems").arg(problems));
    return out;
}

QJsonObject Doctor::json(const QList<DoctorFinding>& findings) {
    QJsonArray list;
    for (const DoctorFinding& finding : findings) {
        QJsonObject object{
            {"check", finding.check},
            {"verdict", doctorVerdictName(finding.verdict)},
            {"summary", finding.summary},
            {"fix", finding.fix.isEmpty() ? QJsonValue() : QJsonValue(finding.fix)},
        };
        if (const auto& application = finding.application) {
            object.insert("application",
                          QJsonObject{{"pid", application->pid},
                                      {"name", application->name},
                                      {"toolkit", finding.toolkit},
                                      {"toolkitName", application->clues.toolkitName},
                                      {"executable", application->clues.executable},
                                      {"windows", application->windows},
                                      {"onBus", application->onBus},
                                      {"nodes", application->nodeCount},
                                      {"exposesTree", application->exposesTree}});
        }
        list.append(object);
    }
    return QJsonObject{{"ok", exitCode(findings) == 0}, {"findings", list}};
}

int Doctor::exitCode(const QList<DoctorFinding>& findings) {
    for (const DoctorFinding& finding : findings) {
        if (finding.verdict == Verdict::problem)
            return 1;
    }
    return 0;
}

bool Doctor::hotKeyFree(HotKeyService& service, quint32 keyCode) {
    constexpr quint32 probeId = 0x7fff0000; // apart from the app's own ids
    if (!service.registerHotKey(probeId + keyCode, keyCode, HotKeyManager::modifiers))
        return false;
    service.unregisterHotKey(probeId + keyCode);
    return true;
}

} // namespace vantrel
