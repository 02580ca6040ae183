#include "ui/LaunchAtLogin.h"
#include "platform/linux/LinuxVocabulary.h"
#include "platform/linux/XdgAutostartLoginItem.h"
#include "platform/sim/SimLoginItem.h"
#include "ui/LaunchAtLoginSwitch.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;
using Status = LoginItemService::Status;

namespace {

TEST(LaunchAtLogin, RegistersOnlyWhenTheWantedStateDiffersFromEnabled) {
    const struct {
        Status status;
        bool wanted;
        int registers;
        int unregisters;
    } cases[] = {
        {Status::notRegistered, true, 1, 0},    {Status::notRegistered, false, 0, 0},
        {Status::enabled, true, 0, 0},          {Status::enabled, false, 0, 1},
        {Status::requiresApproval, true, 1, 0}, {Status::requiresApproval, false, 0, 0},
        {Status::notFound, true, 1, 0},
    };
    for (const auto& c : cases) {
        SimLoginItem item(c.status);
        LaunchAtLogin::setEnabled(item, c.wanted);
        EXPECT_EQ(item.registerCount(), c.registers) << int(c.status) << c.wanted;
        EXPECT_EQ(item.unregisterCount(), c.unregisters) << int(c.status) << c.wanted;
    }
}

// The other texts are checked where the switch and the settings show them.
TEST(LaunchAtLogin, StatusTextsNameWhatKeepsItOff) {
    const PlatformVocabulary mac = PlatformVocabulary::macOS();
    EXPECT_EQ(LaunchAtLogin::statusText(Status::requiresApproval, mac),
              "Blocked in System Settings › General › Login Items.");
    EXPECT_EQ(LaunchAtLogin::statusText(Status::notFound, mac), "Not registered yet.");
}

// On the real autostart folder: the switch follows the file, and a folder that cannot be
// written shows the system's reason while the switch shows the real state.
TEST(LaunchAtLoginSwitch, FollowsTheAutostartEntryAndReportsFailures) {
    QTemporaryDir config;
    const QString folder = config.path() + "/autostart";
    XdgAutostartLoginItem item("/usr/bin/vantrel", folder);
    const PlatformVocabulary words = LinuxVocabulary::words();
    LaunchAtLoginSwitch toggle(item, words);
    EXPECT_FALSE(toggle.isOn());
    EXPECT_EQ(toggle.note(), "Vantrel does not start on its own.");

    toggle.setOn(true);
    EXPECT_TRUE(toggle.isOn());
    EXPECT_TRUE(QFile::exists(item.entryPath()));
    EXPECT_EQ(toggle.note(), "Vantrel starts when you log in.");
    toggle.setOn(false);
    EXPECT_FALSE(QFile::exists(item.entryPath()));

    // A file where the folder should be: registering fails.
    QTemporaryDir blocked;
    ASSERT_TRUE(QFile(blocked.path() + "/autostart").open(QIODevice::WriteOnly));
    XdgAutostartLoginItem stuck("/usr/bin/vantrel", blocked.path() + "/autostart");
    LaunchAtLoginSwitch failing(stuck, words);
    failing.setOn(true);
    EXPECT_FALSE(failing.isOn());
    EXPECT_TRUE(failing.note().startsWith("Could not change it: ")) << failing.note().toStdString();
}

} // namespace
