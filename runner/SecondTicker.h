#pragma once
// The one-second tick: a one-shot timer re-armed at every tick for the next whole second of the
// wall clock plus a few milliseconds. Unlike a repeating 1000 ms timer, whose phase drifts and
// near the boundary skips or doubles seconds, each tick lands just after its second begins.

#include <cstdint>
#include <functional>

#include "platform/Clock.h"

namespace exambell {

class SecondTicker {
  public:
    // Past the whole second, so a tick that fires a little early still sees the new second.
    static constexpr std::int64_t kPhaseMilliseconds = 5;

    SecondTicker(Clock& clock, std::function<void()> onTick);
    ~SecondTicker();
    SecondTicker(const SecondTicker&) = delete;
    SecondTicker& operator=(const SecondTicker&) = delete;

    void start();
    void stop();
    bool running() const { return armed_; }

    // The wall instant of the tick that follows wallMilliseconds.
    static std::int64_t nextTickAt(std::int64_t wallMilliseconds);

  private:
    void fire();
    void arm();

    Clock& clock_;
    std::function<void()> onTick_;
    Clock::TimerId timer_ = 0;
    bool armed_ = false;
};

}  // namespace exambell
