#pragma once
// A clock the test sets and advances. Local time has no zone: wallMilliseconds() counts local
// milliseconds since 1970-01-01 00:00. Timers behave like the real ones: a timer armed for a wall
// instant waits the difference measured when it was armed, so setting the clock does not move
// it; they fire in order of their due moment, only inside advance() or fireDue().

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "platform/Clock.h"

namespace exambell::test {

class FakeClock : public Clock {
  public:
    FakeClock();  // starts at 2026-01-02 (a Friday) 08:00:00.000

    LocalTime now() const override;
    std::int64_t wallMilliseconds() const override { return wall_; }
    std::int64_t tickCount() const override { return tick_; }
    TimerId callAt(std::int64_t atWallMilliseconds, std::function<void()> callback) override;
    void cancel(TimerId id) override;

    // Sets the wall clock (time does not pass; pending timers keep their due moment).
    void set(int year, int month, int day, int hour, int minute, int second, int millisecond = 0);
    void setTime(int hour, int minute, int second, int millisecond = 0);
    // Steps the wall clock by delta ms, as when the operator or NTP sets it.
    void step(std::int64_t deltaMilliseconds) { wall_ += deltaMilliseconds; }

    // Time passes by ms; every timer due meanwhile fires at its moment (the clock shows that
    // moment while its callback runs), including timers armed by callbacks.
    void advance(std::int64_t milliseconds);
    // Advances to the next due timer and fires it; returns false when none is pending.
    bool fireNext();
    // Time passes by ms with no timer firing, as when the event loop is blocked.
    void stall(std::int64_t milliseconds);
    // Fires every timer already due now.
    void fireDue();

    // Extra delay added to each timer when armed (negative: it fires early). Default none.
    void setTimerSkew(std::function<std::int64_t()> skew) { skew_ = std::move(skew); }

    std::size_t pendingTimers() const { return timers_.size(); }
    // Tick count at which the next timer is due, or -1.
    std::int64_t nextDue() const;

  private:
    using Key = std::pair<std::int64_t, TimerId>;  // due tick, arming order
    void passTo(std::int64_t tick);

    std::int64_t wall_ = 0;
    std::int64_t tick_ = 0;
    TimerId nextId_ = 1;
    std::map<Key, std::function<void()>> timers_;
    std::map<TimerId, Key> keys_;
    std::function<std::int64_t()> skew_;
};

}  // namespace exambell::test
