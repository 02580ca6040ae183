#include "mcp/ChildCaptureRunner.h"
#include "platform/VirtualClock.h"
#include "support/WaitUntil.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::waitUntil;

namespace {

using Outcome = CaptureRunning::Outcome;
using Request = CaptureRunning::Request;

// A stand-in for the vantrel binary: a shell script that behaves as the case needs.
struct Child {
    QTemporaryDir folder;
    QString program = folder.path() + "/vantrel";
    mutable VirtualClock clock;

    explicit Child(const QByteArray& script) {
        QFile file(program);
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\n" + script + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ChildCaptureRunner runner(const QString& display = ":99") const {
        QProcessEnvironment environment;
        environment.insert("DISPLAY", display);
        return ChildCaptureRunner({program, std::nullopt, environment}, clock);
    }
};

Request ask() {
    Request request;
    request.kind = Request::Kind::askUser;
    request.prompt = "--scene";
    request.timeoutSeconds = 60;
    return request;
}

} // namespace

TEST(ChildCaptureRunner, ReadsTheChildsReportOrItsEnd) {
    struct Case {
        QByteArray script;
        Request request;
        Outcome::Status status;
        QString says;
    } cases[] = {
        {R"(echo '{"ok":true,"bundle":{"directory":"/c/2026-01-01_00-00-00-000"}}')",
         {},
         Outcome::Status::captured,
         ""},
        {R"(echo '{"ok":false,"cancelled":true}'; exit 1)", ask(), Outcome::Status::cancelledByUser,
         ""},
        {R"(echo '{"ok":false,"error":"The window went away"}'; exit 1)",
         {},
         Outcome::Status::failed,
         "The window went away. Try again"},
        {"echo 'vantrel capture: cannot open display :99' >&2; exit 1",
         {},
         Outcome::Status::failed,
         "Forward DISPLAY, XAUTHORITY"},
        {"kill -SEGV $$", {}, Outcome::Status::failed, "crashed"},
    };
    for (const Case& c : cases) {
        Child child(c.script);
        auto runner = child.runner();
        std::optional<Outcome> outcome;
        runner.start(
            c.request, [](int) {}, [&outcome](const Outcome& o) { outcome = o; });
        ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); })) << c.script.constData();
        EXPECT_EQ(outcome->status, c.status) << c.script.constData();
        EXPECT_TRUE(outcome->error.contains(c.says)) << outcome->error.toStdString();
        if (c.status == Outcome::Status::captured) {
            EXPECT_EQ(outcome->folder, "/c/2026-01-01_00-00-00-000");
        }
    }
}

TEST(ChildCaptureRunner, LimitsWhatRunsAtOnceAndCancelsWithoutAnAnswer) {
    Child child("exec sleep 600");
    auto runner = child.runner();
    QList<Outcome> outcomes;
    const auto done = [&outcomes](const Outcome& o) { outcomes.append(o); };
    const quint64 asking = runner.start(
        ask(), [](int) {}, done);
    runner.start(
        ask(), [](int) {}, done);
    for (int i = 1; i < ChildCaptureRunner::maxRunningCaptures; ++i)
        runner.start(
            {}, [](int) {}, done);
    runner.start(
        {}, [](int) {}, done);
    ASSERT_TRUE(waitUntil([&] { return outcomes.size() == 2; }));
    EXPECT_TRUE(outcomes[0].error.contains("already being asked"));
    EXPECT_TRUE(outcomes[1].error.contains("4 captures are already running"));
    runner.cancel(asking);
    runner.start(
        {}, [](int) {}, done); // room again
    EXPECT_EQ(outcomes.size(), 2);
    EXPECT_TRUE(runner.arguments(ask()).contains("--ask=--scene"));
    EXPECT_TRUE(runner.arguments({}).contains("--no-clipboard"));
}

TEST(ChildCaptureRunner, EndsACaptureAtItsDeadlineAndReportsTheWait) {
    using namespace std::chrono_literals;
    Request asking = ask();
    asking.timeoutSeconds = 12;
    struct Case {
        Request request;
        std::chrono::seconds deadline;
        Outcome::Status status;
        QString says;
        QList<int> waited;
    } cases[] = {
        {{}, 55s, Outcome::Status::failed, "did not finish within 55 s", {}},
        {asking, 12s, Outcome::Status::timedOut, "", {5, 10}},
    };
    for (const Case& c : cases) {
        Child child("exec sleep 600");
        auto runner = child.runner();
        QList<int> waited;
        std::optional<Outcome> outcome;
        runner.start(
            c.request, [&waited](int seconds) { waited.append(seconds); },
            [&outcome](const Outcome& o) { outcome = o; });
        child.clock.advance(c.deadline - 1s);
        EXPECT_FALSE(outcome.has_value());
        child.clock.advance(1s);
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(outcome->status, c.status);
        EXPECT_TRUE(outcome->error.contains(c.says)) << outcome->error.toStdString();
        EXPECT_EQ(waited, c.waited);
        EXPECT_EQ(child.clock.pendingSleepers(), 0) << "a timer outlived its capture";
    }
}
