#include "platform/linux/XdgAutostartLoginItem.h"
#include "platform/PlatformError.h"

#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;
using Status = LoginItemService::Status;

// That unregistering removes the entry is checked through the settings switch
// (LaunchAtLoginSwitch.FollowsTheAutostartEntryAndReportsFailures).
TEST(XdgAutostartLoginItem, RegistersAnEntryTheDesktopStartsAndRemovesIt) {
    QTemporaryDir config;
    XdgAutostartLoginItem item("/opt/My \"Apps\"/vantrel", config.path() + "/autostart");
    EXPECT_EQ(item.status(), Status::notRegistered);
    item.unregisterItem(); // nothing to remove is not a failure
    item.registerItem();
    item.registerItem(); // again: still one whole entry
    EXPECT_EQ(item.status(), Status::enabled);
    EXPECT_EQ(
        QSettings(item.entryPath(), QSettings::IniFormat).value("Desktop Entry/Type").toString(),
        "Application");
    QFile file(item.entryPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Exec=\"/opt/My \\\"Apps\\\"/vantrel\"\n"));
    EXPECT_EQ(file.permissions() & (QFile::WriteGroup | QFile::WriteOther), 0);
    item.unregisterItem();
    EXPECT_EQ(item.status(), Status::notRegistered);
}

// What starts at login is what the application menu shows: the installed desktop entry's name,
// comment, icon and program (the login entry names the program by its full path).
TEST(XdgAutostartLoginItem, AgreesWithTheInstalledDesktopEntry) {
    const auto keys = [](const QString& path) {
        QMap<QString, QString> values;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
            if (!line.startsWith(u'#') && line.contains(u'='))
                values.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
        return values;
    };
    QTemporaryDir config;
    XdgAutostartLoginItem item("/usr/bin/vantrel", config.path());
    item.registerItem();
    const auto login = keys(item.entryPath());
    const auto installed = keys(VANTREL_SOURCE_DIR "/data/vantrel.desktop");
    for (const char* key : {"Type", "Name", "Comment", "Icon", "Terminal"})
        EXPECT_EQ(login.value(key), installed.value(key)) << key;
    EXPECT_EQ(login.value("Exec"), "\"/usr/bin/" + installed.value("Exec") + u'"');
}

// An entry the user switched off in the desktop's own settings does not start Vantrel.
TEST(XdgAutostartLoginItem, AnEntrySwitchedOffElsewhereIsNotRegistered) {
    for (const char* line : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        QTemporaryDir config;
        XdgAutostartLoginItem item("/usr/bin/vantrel", config.path());
        item.registerItem();
        QFile file(item.entryPath());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(QByteArray(line) + "\n");
        file.close();
        EXPECT_EQ(item.status(), Status::notRegistered) << line;
    }
}

TEST(XdgAutostartLoginItem, AFolderThatCannotBeMadeFailsWithTheSystemsReason) {
    QTemporaryDir config;
    QFile blocker(config.path() + "/autostart");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    XdgAutostartLoginItem item("/usr/bin/vantrel", blocker.fileName());
    try {
        item.registerItem();
        FAIL() << "registered into a file";
    } catch (const PlatformError& error) {
        EXPECT_TRUE(error.description.contains(blocker.fileName()))
            << error.description.toStdString();
    }
    EXPECT_EQ(item.status(), Status::notRegistered);
}
