#pragma once

#include "Clock.h"

namespace vantrel {

class SystemClock final : public Clock {
  public:
    QDateTime now() const override;
    QCoro::Task<> sleep(std::chrono::milliseconds duration, std::stop_token stop = {}) override;
    void sleepBlocking(std::chrono::milliseconds duration) override;

  private:
    struct SleepAwaiter;
};

} // namespace vantrel
