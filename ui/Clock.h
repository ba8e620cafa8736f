#pragma once
// The clock seam: local time, a millisecond tick count, and one-shot timers at a wall-clock
// instant. SystemClock is the real one; tests drive a fake that they set and advance.

#include <cstdint>
#include <functional>

namespace exambell {

struct LocalTime {
    int year = 0;
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
    int millisecond = 0;
    int weekday = 0;  // 0 = Sunday .. 6 = Saturday
};

class Clock {
  public:
    using TimerId = std::uint64_t;

    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
    // Milliseconds since the epoch of the local wall clock (jumps when the clock is set).
    virtual std::int64_t wallMilliseconds() const = 0;
    // Milliseconds since some fixed start; never goes back.
    virtual std::int64_t tickCount() const = 0;
    // Calls callback once, on the event loop, when the wall clock reaches atWallMilliseconds.
    virtual TimerId callAt(std::int64_t atWallMilliseconds, std::function<void()> callback) = 0;
    virtual void cancel(TimerId id) = 0;
};

}  // namespace exambell
