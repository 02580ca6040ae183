#include "LinuxDiagnostics.h"

#include "AccessibilityBusProbe.h"
#include "AtspiApplicationSurvey.h"
#include "ProcessClues.h"
#include "TrayHostProbe.h"
#include "X11HotKeys.h"
#include "X11WindowServer.h"
#include "XcbConnection.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMap>

namespace vantrel {

LinuxDiagnostics::LinuxDiagnostics(QString& displayError)
    : m_connection(XcbConnection::open({}, &displayError)) {
    if (!m_connection)
        return;
    m_windows = std::make_unique<X11WindowServer>(*m_connection);
    m_hotKeys = std::make_unique<X11HotKeys>(*m_connection);
}

LinuxDiagnostics::~LinuxDiagnostics() = default;

HotKeyService* LinuxDiagnostics::hotKeys() {
    return m_hotKeys.get();
}

AccessibilityBusState LinuxDiagnostics::accessibilityBus() {
    return AccessibilityBusProbe::probe();
}

TrayHostState LinuxDiagnostics::trayHost() {
    return TrayHostProbe::probe(m_connection.get());
}

QList<ApplicationAccessibility> LinuxDiagnostics::applications(int nodeBound) {
    QList<ApplicationAccessibility> found;
    if (!m_windows)
        return found;
    // By pid, in order of first appearance front to back.
    QMap<qint64, qsizetype> indexes;
    const qint64 own = QCoreApplication::applicationPid();
    for (const X11Window& window : m_windows->windows(false).value_or(QList<X11Window>())) {
        if (!window.pid || *window.pid == own || window.desktop)
            continue;
        if (const auto index = indexes.constFind(*window.pid); index != indexes.cend()) {
            ++found[*index].windows;
            continue;
        }
        ApplicationAccessibility application;
        application.pid = *window.pid;
        application.windows = 1;
        application.name = !window.className.isEmpty() ? QString::fromUtf8(window.className)
                                                       : window.name.value_or(QString());
        indexes.insert(application.pid, found.size());
        found.append(application);
    }
    return survey(found, nodeBound);
}

QList<ApplicationAccessibility> LinuxDiagnostics::survey(QList<ApplicationAccessibility> found,
                                                         int nodeBound) {
    if (found.isEmpty())
        return found;
    const AtspiApplicationSurvey survey;
    for (ApplicationAccessibility& application : found) {
        const AtspiApplicationSurvey::Answer answer = survey.survey(application.pid, nodeBound);
        application.onBus = answer.onBus;
        application.answered = answer.answered;
        application.nodeCount = answer.nodeCount;
        application.exposesTree = answer.exposesTree;
        application.clues = ProcessClues::of(application.pid);
        application.clues.toolkitName = answer.toolkitName;
        if (application.name.isEmpty())
            application.name = QFileInfo(application.clues.executable).fileName();
    }
    return found;
}

} // namespace vantrel
