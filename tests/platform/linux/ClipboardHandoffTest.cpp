#include "platform/linux/ClipboardHandoff.h"
#include "platform/StandardLocations.h"
#include "platform/VirtualClock.h"
#include "platform/linux/ClipboardPayload.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;

// A server that ends before it takes the payload, or that cannot start, is reported at once, and
// neither the payload nor its draft stays behind. (Unit tests have no XDG_RUNTIME_DIR: the
// payload goes to the caches folder.)
TEST(ClipboardHandoff, AServerThatNeverTakesThePayloadIsReportedAndLeavesNothing) {
    const QString folder = StandardLocations::cachesDirectory() + "/Vantrel/clipboard";
    ClipboardPayload payload;
    payload.text = "hello";
    const std::pair<QString, QString> cases[] = {
        {"/bin/true", "the clipboard server stopped before it took the payload"},
        {folder + "/no-such-server", "could not start the clipboard server " + folder},
    };
    for (const auto& [server, reason] : cases) {
        SCOPED_TRACE(server.toStdString());
        auto handoff = ClipboardHandoff::start(server);
        EXPECT_TRUE(handoff->handOff(payload).value_or("").startsWith(reason));
        handoff.reset();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }
}

// A server that runs but never takes the payload is given up at 5 s on the clock, not before,
// and stopped with the payload removed.
TEST(ClipboardHandoff, AServerThatNeverTakesThePayloadIsGivenUpAtFiveSeconds) {
    QTemporaryDir bin;
    const QString server = bin.filePath("stuck-server");
    QFile script(server);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    ASSERT_GT(script.write("#!/bin/sh\nexec sleep 60\n"), 0);
    script.close();
    ASSERT_TRUE(script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    VirtualClock clock;
    ClipboardPayload payload;
    payload.text = "hello";
    auto handoff = ClipboardHandoff::start(server, clock);
    EXPECT_EQ(handoff->handOff(payload),
              "the clipboard server did not take the payload within 5 s");
    EXPECT_EQ(clock.elapsed(), std::chrono::milliseconds(5000));
    handoff.reset();
    const QString folder = StandardLocations::cachesDirectory() + "/Vantrel/clipboard";
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{});
}
