#include "ToolkitAdvice.h"

#include <QFileInfo>

namespace vantrel {

namespace {

bool toolkitAdviceMentions(const QString& text, const QStringList& words) {
    for (const QString& word : words) {
        if (text.contains(word, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool toolkitAdviceLoads(const QStringList& libraries, const QStringList& prefixes) {
    for (const QString& library : libraries) {
        for (const QString& prefix : prefixes) {
            if (library.startsWith(prefix))
                return true;
        }
    }
    return false;
}

} // namespace

ToolkitAdvice::Toolkit ToolkitAdvice::recognise(const ToolkitClues& clues) {
    const QString program = QFileInfo(clues.executable).fileName().toLower();
    const QString commandLine = clues.arguments.join(u' ');
    const QString name = clues.toolkitName.trimmed().toLower();
    // Electron reports itself as Chromium on the bus; only its process tells them apart.
    if (toolkitAdviceMentions(clues.executable, {QStringLiteral("electron")}) ||
        toolkitAdviceMentions(commandLine,
                              {QStringLiteral("electron"), QStringLiteral("app.asar")}))
        return Toolkit::electron;
    if (name == u"chromium" || name == u"chrome")
        return Toolkit::chromium;
    if (name == u"gecko" || name == u"firefox")
        return Toolkit::firefox;
    if (name.startsWith(u"j2se") || name.contains(u"java"))
        return Toolkit::java;
    if (name == u"qt")
        return Toolkit::qt;
    if (name == u"gtk" || name == u"gail")
        return Toolkit::gtk;
    static const QStringList chromiumPrograms{
        QStringLiteral("chrome"), QStringLiteral("chromium"), QStringLiteral("chromium-browser"),
        QStringLiteral("brave"),  QStringLiteral("msedge"),   QStringLiteral("vivaldi-bin"),
        QStringLiteral("opera")};
    if (chromiumPrograms.contains(program) || program.startsWith(u"google-chrome"))
        return Toolkit::chromium;
    if (program.startsWith(u"firefox") || program.startsWith(u"thunderbird"))
        return Toolkit::firefox;
    if (program == u"java" || toolkitAdviceLoads(clues.libraries, {QStringLiteral("libjvm.so")}))
        return Toolkit::java;
    if (toolkitAdviceLoads(clues.libraries,
                           {QStringLiteral("libQt6Core.so"), QStringLiteral("libQt5Core.so")}))
        return Toolkit::qt;
    if (toolkitAdviceLoads(clues.libraries,
                           {QStringLiteral("libgtk-3.so"), QStringLiteral("libgtk-4.so")}))
        return Toolkit::gtk;
    return Toolkit::unknown;
}

const QList<ToolkitAdvice::Entry>& ToolkitAdvice::table() {
    static const QString forceAccessibility = QStringLiteral("--force-renderer-accessibility");
    static const QList<Entry> entries{
        {Toolkit::gtk, QStringLiteral("GTK"), true,
         QStringLiteral("GTK applications expose their tree on their own; this one was started "
                        "with NO_AT_BRIDGE=1 or had not built it yet"),
         QStringLiteral("nothing to set up: capture again, or restart it without NO_AT_BRIDGE=1"),
         QString()},
        {Toolkit::qt, QStringLiteral("Qt"), false,
         QStringLiteral("Qt applications join the accessibility bus only when assistive "
                        "technologies were on before they started"),
         QStringLiteral("restart it with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 in its environment, "
                        "or after switching on assistive technologies"),
         QStringLiteral("restart it with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1")},
        {Toolkit::chromium, QStringLiteral("Chromium"), false,
         QStringLiteral("Chromium-based browsers build their accessibility tree only when asked"),
         QStringLiteral("restart it with ") + forceAccessibility,
         QStringLiteral("restart it with ") + forceAccessibility},
        {Toolkit::electron, QStringLiteral("Electron"), false,
         QStringLiteral("Electron applications build their accessibility tree only when asked"),
         QStringLiteral("restart it with ") + forceAccessibility,
         QStringLiteral("restart it with ") + forceAccessibility},
        {Toolkit::firefox, QStringLiteral("Firefox"), true,
         QStringLiteral("Firefox exposes its tree on its own once assistive technologies are on"),
         QStringLiteral("nothing to set up: capture again, or restart it after switching on "
                        "assistive technologies"),
         QString()},
        {Toolkit::java, QStringLiteral("Java"), false,
         QStringLiteral("Java applications expose their tree only through the ATK bridge"),
         QStringLiteral("install libatk-wrapper-java and start it with "
                        "-Djavax.accessibility.assistive_technologies="
                        "org.GNOME.Accessibility.AtkWrapper"),
         QStringLiteral("install the Java ATK bridge (libatk-wrapper-java)")},
        {Toolkit::unknown, QStringLiteral("an unrecognised toolkit"), false,
         QStringLiteral("its toolkit is not one Vantrel recognises; it may not support AT-SPI"),
         QStringLiteral("check that it supports AT-SPI, and restart it after switching on "
                        "assistive technologies"),
         QString()},
    };
    return entries;
}

const ToolkitAdvice::Entry* ToolkitAdvice::emptyTreeCause(const CapturedAccessibility& snapshot) {
    if (snapshot.nodeCount != 1 || snapshot.rootIsLeaf ||
        (snapshot.rootRole != u"AXWindow" && snapshot.rootRole != u"AXApplication"))
        return nullptr;
    return &entryFor(snapshot.toolkit);
}

QString ToolkitAdvice::emptyTreeExplanation(const Entry& entry) {
    return QStringLiteral("The AX tree is empty (%1): %2. Fix: %3. `vantrel doctor` checks every "
                          "application.")
        .arg(entry.name, entry.cause, entry.fix);
}

const ToolkitAdvice::Entry& ToolkitAdvice::entry(Toolkit toolkit) {
    for (const Entry& candidate : table()) {
        if (candidate.toolkit == toolkit)
            return candidate;
    }
    return table().constLast();
}

} // namespace vantrel
