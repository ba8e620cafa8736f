#include "tests/support/FakeClock.h"

#include <algorithm>

namespace exambell::test {

namespace {
constexpr std::int64_t kMsPerDay = 86400000;

// Inverse of daysFromCivil.
void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}
}  // namespace

FakeClock::FakeClock() {
    set(2026, 1, 2, 8, 0, 0);
}

LocalTime FakeClock::now() const {
    std::int64_t days = wall_ / kMsPerDay;
    std::int64_t ms = wall_ % kMsPerDay;
    if (ms < 0) {
        ms += kMsPerDay;
        --days;
    }
    LocalTime t;
    civilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    // 1970-01-01 was a Thursday.
    t.weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);
    return t;
}

void FakeClock::set(int year, int month, int day, int hour, int minute, int second,
                    int millisecond) {
    wall_ = daysFromCivil(year, month, day) * kMsPerDay + hour * 3600000LL + minute * 60000LL +
            second * 1000LL + millisecond;
}

void FakeClock::setTime(int hour, int minute, int second, int millisecond) {
    LocalTime t = now();
    set(t.year, t.month, t.day, hour, minute, second, millisecond);
}

Clock::TimerId FakeClock::callAt(std::int64_t atWallMilliseconds, std::function<void()> callback) {
    std::int64_t delay = std::max<std::int64_t>(atWallMilliseconds - wall_, 0);
    if (skew_) {
        // Like real timers, an early one still waits at least half of what was asked.
        delay = std::max(delay + skew_(), delay / 2);
    }
    TimerId id = nextId_++;
    Key key{tick_ + delay, id};
    timers_.emplace(key, std::move(callback));
    keys_.emplace(id, key);
    return id;
}

void FakeClock::cancel(TimerId id) {
    auto it = keys_.find(id);
    if (it != keys_.end()) {
        timers_.erase(it->second);
        keys_.erase(it);
    }
}

void FakeClock::passTo(std::int64_t tick) {
    if (tick > tick_) {
        wall_ += tick - tick_;
        tick_ = tick;
    }
}

std::int64_t FakeClock::nextDue() const {
    return timers_.empty() ? -1 : timers_.begin()->first.first;
}

bool FakeClock::fireNext() {
    if (timers_.empty()) {
        return false;
    }
    auto it = timers_.begin();
    passTo(it->first.first);
    std::function<void()> callback = std::move(it->second);
    keys_.erase(it->first.second);
    timers_.erase(it);
    callback();
    return true;
}

void FakeClock::advance(std::int64_t milliseconds) {
    const std::int64_t end = tick_ + milliseconds;
    while (!timers_.empty() && timers_.begin()->first.first <= end) {
        fireNext();
    }
    passTo(end);
}

void FakeClock::stall(std::int64_t milliseconds) {
    passTo(tick_ + milliseconds);
}

void FakeClock::fireDue() {
    advance(0);
}

}  // namespace exambell::test
