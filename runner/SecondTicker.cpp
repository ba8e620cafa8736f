#include "runner/SecondTicker.h"

namespace exambell {

SecondTicker::SecondTicker(Clock& clock, std::function<void()> onTick)
    : clock_(clock), onTick_(std::move(onTick)) {}

SecondTicker::~SecondTicker() {
    stop();
}

std::int64_t SecondTicker::nextTickAt(std::int64_t wallMilliseconds) {
    std::int64_t second = wallMilliseconds / 1000;
    if (wallMilliseconds % 1000 < 0) {
        --second;
    }
    // A tick that fired early, still in the second before its own, is followed a few ms later
    // by the tick of the new second.
    return (second + 1) * 1000 + kPhaseMilliseconds;
}

void SecondTicker::start() {
    if (!armed_) {
        arm();
    }
}

void SecondTicker::stop() {
    if (armed_) {
        clock_.cancel(timer_);
        armed_ = false;
    }
}

void SecondTicker::arm() {
    armed_ = true;
    timer_ = clock_.callAt(nextTickAt(clock_.wallMilliseconds()), [this] { fire(); });
}

void SecondTicker::fire() {
    // Re-armed before the handler runs: the handler may open a nested event loop (a slide, a
    // message box), and ticks must go on inside it.
    arm();
    onTick_();
}

}  // namespace exambell
