#pragma once
// The real clock: local time from QDateTime, a monotonic tick count, and one-shot timers made of
// single-shot Qt::PreciseTimer QTimers on the thread's event loop.

#include <QElapsedTimer>
#include <map>
#include <memory>

#include "platform/Clock.h"

class QTimer;

namespace exambell {

class SystemClock : public Clock {
  public:
    SystemClock();
    ~SystemClock() override;

    LocalTime now() const override;
    std::int64_t wallMilliseconds() const override;
    std::int64_t tickCount() const override;
    // The wait is measured from now: a clock set meanwhile does not move the timer.
    TimerId callAt(std::int64_t atWallMilliseconds, std::function<void()> callback) override;
    void cancel(TimerId id) override;

  private:
    QElapsedTimer elapsed_;
    TimerId nextId_ = 1;
    std::map<TimerId, std::unique_ptr<QTimer>> timers_;
};

}  // namespace exambell
