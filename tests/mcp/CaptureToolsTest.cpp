#include "mcp/CaptureTools.h"
#include "mcp/CaptureLibrary.h"
#include "mcp/ImageShrinking.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// A runner that records requests and finishes them when a test says so.
class ScriptedRunner final : public CaptureRunning {
  public:
    quint64 start(const Request& request, Waiting, Done done) override {
        requests.append(request);
        dones.append(std::move(done));
        return dones.size();
    }
    void cancel(quint64 capture) override { cancelled.append(capture); }

    QList<Request> requests;
    QList<Done> dones;
    QList<quint64> cancelled;
};

class NoPictures final : public ImageShrinking {
  public:
    std::optional<Picture> shrink(const QString&, int) const override { return std::nullopt; }
};

struct Tools {
    QTemporaryDir home;
    CaptureLibrary library{home.path() + "/captures"};
    ScriptedRunner runner;
    NoPictures pictures;
    CaptureTools tools{library, runner, pictures};
    QList<QJsonObject> replies;

    quint64 start(const QString& tool, const QJsonObject& arguments) {
        return tools.start(
            tool, arguments, [](double, const QString&) {},
            [this](const QJsonObject& result) { replies.append(result); });
    }
};

} // namespace

TEST(CaptureTools, TurnsEachOutcomeIntoOneResultThatSaysWhatToDo) {
    using Status = CaptureRunning::Outcome::Status;
    struct Case {
        CaptureRunning::Outcome outcome;
        QString says;
    } cases[] = {
        {{Status::cancelledByUser, {}, {}}, "cancelled by the user"},
        {{Status::timedOut, {}, {}}, "within 45 s"},
        {{Status::failed, {}, "The display is gone; forward DISPLAY."}, "forward DISPLAY"},
        {{Status::captured, "/nowhere/2026-01-01_00-00-00-000", {}}, "capture again"},
    };
    for (const Case& c : cases) {
        Tools t;
        t.start("ask_user_to_capture",
                {{"prompt", "Which?"}, {"mode", "window"}, {"timeout_s", 45}});
        ASSERT_EQ(t.runner.requests.size(), 1);
        EXPECT_TRUE(t.runner.requests[0].pickWindow);
        EXPECT_EQ(t.runner.requests[0].prompt, "Which?");
        EXPECT_TRUE(t.replies.isEmpty());
        t.runner.dones[0](c.outcome);
        ASSERT_EQ(t.replies.size(), 1);
        EXPECT_TRUE(std::as_const(t.replies)[0]["isError"].toBool());
        EXPECT_TRUE(std::as_const(t.replies)[0]["content"][0]["text"].toString().contains(c.says))
            << std::as_const(t.replies)[0]["content"][0]["text"].toString().toStdString();
    }
}

TEST(CaptureTools, CancellingAFinishedCallReachesNoCapture) {
    Tools t;
    const quint64 first =
        t.start("capture_area", {{"x", 1}, {"y", 2}, {"width", 3}, {"height", 4}});
    const quint64 second = t.start("capture_window", {{"target", "front_window"}});
    EXPECT_EQ(t.runner.requests[0].area, QRectF(1, 2, 3, 4));
    EXPECT_EQ(t.runner.requests[1].kind, CaptureRunning::Request::Kind::frontWindow);
    EXPECT_FALSE(t.runner.requests[1].copyToClipboard);
    t.runner.dones[0]({CaptureRunning::Outcome::Status::cancelledByUser, {}, {}});
    t.tools.cancel(first);
    t.tools.cancel(second);
    EXPECT_EQ(t.runner.cancelled, QList<quint64>{2});
}
