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

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
constexpr std::int64_t daysFromCivil(int year, int month, int day) {
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Seconds of local time since 1970-01-01 00:00:00 local: a count that follows the wall clock
// (and jumps with it) but ignores time zones, so its remainder by 86400 is the second of the day.
constexpr std::int64_t localEpochSeconds(const LocalTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

class Clock {
  public:
    using TimerId = std::uint64_t;

    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
    // Milliseconds of the wall clock since an epoch (the real clock: the Unix epoch; a whole
    // second of it is a whole second of local time). Jumps when the clock is set.
    virtual std::int64_t wallMilliseconds() const = 0;
    // Milliseconds since some fixed start; never goes back.
    virtual std::int64_t tickCount() const = 0;
    // Calls callback once, on the event loop, when the wall clock reaches atWallMilliseconds.
    virtual TimerId callAt(std::int64_t atWallMilliseconds, std::function<void()> callback) = 0;
    virtual void cancel(TimerId id) = 0;
};

}  // namespace exambell
