#include "platform/linux/ClipboardHandoff.h"
#include "platform/StandardLocations.h"
#include "platform/linux/ClipboardPayload.h"

#include <QDir>
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
        auto handoff = ClipboardHandoff::start(server, ClipboardServer::Session::x11);
        EXPECT_TRUE(handoff->handOff(payload).value_or("").startsWith(reason));
        handoff.reset();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }
}
