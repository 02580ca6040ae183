#include "input/HotKeyManager.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

class HotKeyManagerTest : public ::testing::Test {
  protected:
    HotKeyManagerTest() {
        manager.onCopy = [this] { pressed.append("copy"); };
        manager.onRegionCopy = [this] { pressed.append("region"); };
    }

    QStringList press(quint32 id) {
        pressed.clear();
        desktop.pressHotKey(id);
        return pressed;
    }

    SimDesktop desktop{SceneLoader::fromJson("{}")};
    SimInput& input = desktop.input();
    HotKeyManager manager{input};
    QStringList pressed;
};

TEST_F(HotKeyManagerTest, RegistersControlOptionCAndRAndReplacesOnASecondRegister) {
    manager.registerHotKeys();
    manager.registerHotKeys();
    ASSERT_EQ(input.hotKeys().size(), 2);
    EXPECT_EQ(input.hotKeys()[0].keyCode, 8u);
    EXPECT_EQ(input.hotKeys()[1].keyCode, 15u);
    for (const auto& key : input.hotKeys())
        EXPECT_EQ(key.modifiers, 0x1800u);
    EXPECT_TRUE(input.hasHandler());

    manager.unregisterHotKeys();
    manager.unregisterHotKeys();
    EXPECT_TRUE(input.hotKeys().isEmpty());
    EXPECT_FALSE(input.hasHandler());
}

TEST_F(HotKeyManagerTest, APressRunsItsCallbackFromTheEventLoopNotInsideTheDispatch) {
    manager.registerHotKeys();
    EXPECT_TRUE(press(HotKeyManager::copyId).isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(pressed, QStringList{"copy"});

    press(HotKeyManager::regionCopyId);
    QCoreApplication::processEvents();
    EXPECT_EQ(pressed, QStringList{"region"});

    manager.onCopy = nullptr;
    press(HotKeyManager::copyId);
    QCoreApplication::processEvents();
    EXPECT_TRUE(pressed.isEmpty());
}

TEST_F(HotKeyManagerTest, AShortcutHeldElsewhereStaysOffWhileTheOtherWorks) {
    const struct {
        const char* name;
        quint32 heldKeyCode;
        bool copy;
        bool region;
    } cases[] = {
        {"C held", 8, false, true},
        {"R held", 15, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimDesktop other{SceneLoader::fromJson("{}")};
        other.input().registerHotKey(99, c.heldKeyCode, 0x1800);
        HotKeyManager held(other.input());
        QStringList heard;
        held.onCopy = [&] { heard.append("copy"); };
        held.onRegionCopy = [&] { heard.append("region"); };
        held.registerHotKeys();
        EXPECT_EQ(held.isCopyRegistered(), c.copy);
        EXPECT_EQ(held.isRegionCopyRegistered(), c.region);
        other.pressHotKey(c.copy ? HotKeyManager::copyId : HotKeyManager::regionCopyId);
        QCoreApplication::processEvents();
        EXPECT_EQ(heard, QStringList{c.copy ? "copy" : "region"});

        // Unregistering leaves the other program's grab alone.
        held.unregisterHotKeys();
        EXPECT_EQ(other.input().hotKeys().size(), 1);
    }
}

TEST_F(HotKeyManagerTest, NoHandlerMeansNothingIsRegistered) {
    input.setRefusesHandler(true);
    manager.registerHotKeys();
    EXPECT_TRUE(input.hotKeys().isEmpty());
    EXPECT_FALSE(manager.isCopyRegistered());
}

// The simulated keyboard runs the handler only for registered keys; otherwise a key the manager
// failed to register would still seem to work.
TEST_F(HotKeyManagerTest, OnlyRegisteredKeysReachTheHandler) {
    manager.registerHotKeys();
    input.unregisterHotKey(HotKeyManager::regionCopyId);
    EXPECT_FALSE(desktop.pressHotKey(HotKeyManager::regionCopyId));
    EXPECT_TRUE(desktop.pressHotKey(HotKeyManager::copyId));
    QCoreApplication::processEvents();
    EXPECT_EQ(pressed, QStringList{"copy"});
}

TEST_F(HotKeyManagerTest, APressAfterTheManagerIsGoneDoesNothing) {
    auto owned = std::make_unique<HotKeyManager>(input);
    bool ran = false;
    owned->onCopy = [&] { ran = true; };
    owned->registerHotKeys();
    input.pressHotKey(HotKeyManager::copyId);
    owned.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(input.hotKeys().isEmpty());
}

} // namespace
