#pragma once

#include <QRectF>
#include <QString>

#include <functional>

namespace vantrel {

// Runs one capture away from the protocol loop and reports the folder it wrote.
class CaptureRunning {
  public:
    struct Request {
        enum class Kind { underPointer, frontWindow, area, askUser };
        Kind kind = Kind::underPointer;
        QRectF area; // top-left screen pixels, for area
        bool copyToClipboard = false;
        QString prompt;          // askUser only
        bool pickWindow = false; // askUser: click a window instead of dragging
        int timeoutSeconds = 0;  // askUser only
    };
    struct Outcome {
        enum class Status { captured, failed, cancelledByUser, timedOut };
        Status status = Status::failed;
        QString folder; // captured
        QString error;  // failed: one sentence saying what went wrong and what to do
    };
    using Done = std::function<void(const Outcome&)>;
    // Called now and then while the capture waits on the user.
    using Waiting = std::function<void(int elapsedSeconds)>;

    virtual ~CaptureRunning() = default;

    virtual quint64 start(const Request& request, Waiting waiting, Done done) = 0;
    // Stops the capture; done is not called.
    virtual void cancel(quint64 capture) = 0;
};

} // namespace vantrel
