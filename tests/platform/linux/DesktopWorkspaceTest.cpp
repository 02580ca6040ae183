#include "platform/linux/DesktopWorkspace.h"
#include "support/WaitUntil.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// The desktop's programs, on a PATH of their own while this lives: each logs its name and
// arguments, so what was started can be read back.
class FakePrograms {
  public:
    explicit FakePrograms(const QStringList& names) : m_path(qgetenv("PATH")) {
        for (const QString& name : names) {
            QFile script(m_folder.filePath(name));
            EXPECT_TRUE(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\necho \"%1 $*\" >> '%2'\n")
                             .arg(name, m_folder.filePath("log"))
                             .toUtf8());
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", m_folder.path().toUtf8());
    }
    ~FakePrograms() { qputenv("PATH", m_path); }

    QString started() const {
        QFile log(m_folder.filePath("log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

  private:
    QTemporaryDir m_folder;
    QByteArray m_path;
};

} // namespace

// Pages go to xdg-open, encoded; of the privacy panes only accessibility means anything on X11,
// and it opens in the desktop's settings program. Without the program the call fails.
TEST(DesktopWorkspace, OpensPagesWithXdgOpenAndAccessibilityInTheSettingsProgram) {
    const QString pane = "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension?";
    const struct {
        QStringList installed;
        QString url;
        QString started; // empty: the call fails and starts nothing
    } cases[] = {
        {{"xdg-open"}, "https://example.com/a b", "xdg-open https://example.com/a%20b\n"},
        {{}, "https://example.com/", ""},
        {{"systemsettings", "xdg-open"},
         pane + "Privacy_Accessibility",
         "systemsettings kcm_access\n"},
        {{"xdg-open"}, pane + "Privacy_Accessibility", ""},
        {{"gnome-control-center", "xdg-open"}, pane + "Privacy_ScreenCapture", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        const FakePrograms programs(c.installed);
        DesktopWorkspace workspace;
        EXPECT_EQ(workspace.openURL(QUrl(c.url)), !c.started.isEmpty());
        EXPECT_TRUE(waitUntil([&] { return programs.started() == c.started; }))
            << programs.started().toStdString();
        EXPECT_EQ(workspace.openedURLs(), QList<QUrl>{QUrl(c.url)});
    }
}
