#include "WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace vantrel::testing {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    const QDeadlineTimer timer(deadline);
    while (!condition()) {
        if (timer.hasExpired())
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

} // namespace vantrel::testing
