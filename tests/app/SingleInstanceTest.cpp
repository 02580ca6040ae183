#include "app/SingleInstance.h"
#include "support/WaitUntil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>
#include <gtest/gtest.h>

using namespace vantrel;
using Outcome = SingleInstance::Claim::Outcome;

namespace {

TEST(SingleInstance, TheSecondClaimFindsTheFirstUntilItGoes) {
    QTemporaryDir runtime;
    auto first = SingleInstance::claim(runtime.path());
    ASSERT_EQ(first.outcome, Outcome::claimed) << first.message.toStdString();
    EXPECT_TRUE(QFile::exists(first.instance->socketPath()));

    // An app runs for days: an old lock of a live instance still holds.
    QFile lock(runtime.path() + "/vantrel.lock");
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addDays(-3),
                                 QFileDevice::FileModificationTime));
    lock.close();
    const auto second = SingleInstance::claim(runtime.path());
    EXPECT_EQ(second.outcome, Outcome::alreadyRunning);
    EXPECT_EQ(second.message, "Vantrel is already running.");
    EXPECT_FALSE(second.instance);

    first.instance.reset();
    EXPECT_EQ(SingleInstance::claim(runtime.path()).outcome, Outcome::claimed);
}

// What a killed instance leaves: a lock naming a dead process and a socket nobody listens on.
TEST(SingleInstance, LeftoversOfACrashedInstanceDoNotBlockAStart) {
    QTemporaryDir runtime;
    QFile lock(runtime.path() + "/vantrel.lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("2147483646\nvantrel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    ASSERT_TRUE(QFile(runtime.path() + "/vantrel.socket").open(QIODevice::WriteOnly));

    const auto claim = SingleInstance::claim(runtime.path());
    EXPECT_EQ(claim.outcome, Outcome::claimed) << claim.message.toStdString();
}

// A lock that a live process holds is a running app even before it answers (it is starting); a
// folder at the lock's path is no lock at all, and the start fails with the reason.
TEST(SingleInstance, OnlyALockOfALiveProcessMeansAnotherIsRunning) {
    QTemporaryDir starting;
    QLockFile held(starting.path() + "/vantrel.lock");
    ASSERT_TRUE(held.tryLock(0));
    EXPECT_EQ(SingleInstance::claim(starting.path()).outcome, Outcome::alreadyRunning);

    QTemporaryDir blocked;
    ASSERT_TRUE(QDir(blocked.path()).mkdir("vantrel.lock"));
    const auto claim = SingleInstance::claim(blocked.path());
    EXPECT_EQ(claim.outcome, Outcome::failed);
    EXPECT_EQ(claim.message, "Cannot start Vantrel: " + blocked.path() + " is not writable.");
}

// A later launch brings the running instance forward instead of only being refused.
TEST(SingleInstance, ALaterLaunchAsksTheRunningOneToShowItself) {
    QTemporaryDir runtime;
    EXPECT_FALSE(SingleInstance::activateRunning(runtime.path())) << "nothing runs yet";
    auto first = SingleInstance::claim(runtime.path());
    ASSERT_EQ(first.outcome, Outcome::claimed);
    int requests = 0;
    first.instance->onActivationRequest([&requests] { ++requests; });

    EXPECT_TRUE(SingleInstance::activateRunning(runtime.path()));
    EXPECT_TRUE(vantrel::testing::waitUntil([&] { return requests == 1; }));

    QLocalSocket stranger;
    stranger.connectToServer(first.instance->socketPath());
    ASSERT_TRUE(stranger.waitForConnected(1000));
    stranger.write("shutdown\n");
    stranger.waitForBytesWritten(1000);
    EXPECT_TRUE(vantrel::testing::waitUntil(
        [&] { return stranger.state() != QLocalSocket::ConnectedState; }));
    EXPECT_EQ(requests, 1);
}

// A capture handed over is answered once; an instance that takes none, or a request that is not
// a list of arguments, is hung up on without a word, so the caller captures by itself.
TEST(SingleInstance, ACaptureHandedToTheRunningOneGetsItsAnswer) {
    QTemporaryDir runtime;
    auto first = SingleInstance::claim(runtime.path());
    ASSERT_EQ(first.outcome, Outcome::claimed);
    const auto request = [&runtime](const QStringList& arguments) {
        auto reply = QtConcurrent::run([&runtime, arguments] {
            return SingleInstance::requestCapture(runtime.path(), arguments);
        });
        EXPECT_TRUE(vantrel::testing::waitUntil([&reply] { return reply.isFinished(); }));
        return reply.result();
    };
    EXPECT_EQ(request({"--json"}), std::nullopt) << "no capture handler yet";

    QStringList handed;
    first.instance->onCaptureRequest([&handed](const SingleInstance::CaptureRequest& capture) {
        handed = capture.arguments;
        capture.answer("{\"exitCode\":0}");
    });
    EXPECT_EQ(request({"--ask=\"quoted\" \\ prompt", "--json"}), QByteArray("{\"exitCode\":0}"));
    EXPECT_EQ(handed, QStringList({"--ask=\"quoted\" \\ prompt", "--json"}));

    QLocalSocket stranger;
    stranger.connectToServer(first.instance->socketPath());
    ASSERT_TRUE(stranger.waitForConnected(1000));
    stranger.write("capture [1, 2]\n");
    stranger.waitForBytesWritten(1000);
    EXPECT_TRUE(vantrel::testing::waitUntil(
        [&] { return stranger.state() != QLocalSocket::ConnectedState; }));
    EXPECT_EQ(stranger.readAll(), QByteArray());
}

// A folder the instance cannot use is refused with its reason: a file in its place, or a path
// too long for a local socket.
TEST(SingleInstance, AnUnusableFolderFailsWithItsName) {
    QTemporaryDir parent;
    const QString plain = parent.path() + "/file";
    ASSERT_TRUE(QFile(plain).open(QIODevice::WriteOnly));
    const auto claim = SingleInstance::claim(plain);
    EXPECT_EQ(claim.outcome, Outcome::failed);
    EXPECT_TRUE(claim.message.contains(plain)) << claim.message.toStdString();

    const QString deep = parent.path() + "/" + QString(120, u'd');
    const auto tooLong = SingleInstance::claim(deep);
    EXPECT_EQ(tooLong.outcome, Outcome::failed);
    EXPECT_TRUE(tooLong.message.contains("cannot listen at " + deep))
        << tooLong.message.toStdString();
}

} // namespace
