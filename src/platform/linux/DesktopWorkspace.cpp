#include "DesktopWorkspace.h"

#include <QProcess>
#include <QStandardPaths>

namespace vantrel {

namespace {

const QString privacyScheme = QStringLiteral("x-apple.systempreferences");

struct SettingsProgram {
    QString program;
    QStringList arguments;
};

// The accessibility settings of the desktops we know, most common first.
const QList<SettingsProgram> accessibilitySettings = {
    {QStringLiteral("gnome-control-center"), {QStringLiteral("universal-access")}},
    {QStringLiteral("systemsettings"), {QStringLiteral("kcm_access")}},
    {QStringLiteral("xfce4-accessibility-settings"), {}},
    {QStringLiteral("mate-at-properties"), {}},
};

bool startDetached(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

bool openAccessibilitySettings() {
    for (const SettingsProgram& settings : accessibilitySettings) {
        const QString path = QStandardPaths::findExecutable(settings.program);
        if (!path.isEmpty())
            return startDetached(path, settings.arguments);
    }
    return false;
}

} // namespace

bool DesktopWorkspace::openURL(const QUrl& url) {
    m_openedURLs.append(url);
    if (url.scheme() == privacyScheme)
        // X11 grants screen reading to everyone, so only the accessibility pane means anything.
        return url.toString().contains(QStringLiteral("Accessibility")) &&
               openAccessibilitySettings();
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !opener.isEmpty() && startDetached(opener, {url.toString(QUrl::FullyEncoded)});
}

} // namespace vantrel
