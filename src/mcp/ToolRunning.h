#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>

namespace vantrel {

// Runs the tools' calls. A call may finish at once or later; it ends with exactly one reply,
// unless it is cancelled first, and then with none.
class ToolRunning {
  public:
    using Reply = std::function<void(const QJsonObject& result)>;
    // Tells a waiting client that the call is alive; message is for people.
    using Progress = std::function<void(double progress, const QString& message)>;

    virtual ~ToolRunning() = default;

    // Arguments have been checked against the tool's schema and carry every default.
    virtual quint64 start(const QString& tool, const QJsonObject& arguments, Progress progress,
                          Reply reply) = 0;
    // Stops the call if it is still running; its reply never comes.
    virtual void cancel(quint64 call) = 0;
};

} // namespace vantrel
