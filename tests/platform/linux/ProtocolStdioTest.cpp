#include "platform/linux/ProtocolStdio.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vantrel {
namespace {

// A read or write that worked is never taken for an interruption because errno still holds one
// from before; an empty pipe is not the end, a closed one is, and a reader gone fails the write.
TEST(ProtocolStdio, EachByteOnceAndTheEndsOfAPipe) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
    errno = EINTR;
    EXPECT_TRUE(ProtocolStdio::writeAll(fds[1], "hello"));
    char written[6] = {};
    EXPECT_EQ(::read(fds[0], written, sizeof written), 5);
    bool atEnd = true;
    for (const int stale : {EINTR, EAGAIN}) {
        ASSERT_TRUE(ProtocolStdio::writeAll(fds[1], "hello"));
        errno = stale;
        EXPECT_EQ(ProtocolStdio::readAvailable(fds[0], atEnd), "hello") << stale;
        EXPECT_FALSE(atEnd);
    }
    EXPECT_EQ(ProtocolStdio::readAvailable(fds[0], atEnd), "");
    EXPECT_FALSE(atEnd) << "nothing more yet";
    ::close(fds[1]);
    EXPECT_EQ(ProtocolStdio::readAvailable(fds[0], atEnd), "");
    EXPECT_TRUE(atEnd);

    const auto previous = ::signal(SIGPIPE, SIG_IGN);
    int gone[2];
    ASSERT_EQ(::pipe(gone), 0);
    ::close(gone[0]);
    EXPECT_FALSE(ProtocolStdio::writeAll(gone[1], "x"));
    ::signal(SIGPIPE, previous);
    ::close(gone[1]);
    ::close(fds[0]);
}

} // namespace
} // namespace vantrel
