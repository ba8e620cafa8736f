#pragma once
// The longest stretch a thread went without an event pass, measured two ways:
// - cpu: processor time the thread itself spent between two passes. This is the work that keeps
//   a window from painting and ticking, and it does not depend on how busy the machine is.
// - wall: elapsed time between two passes, which also catches a thread blocked in a wait (a
//   join, a lookup); on a machine shared by many builds it also holds time the thread was
//   runnable but not running, so its bound must be looser.
// Construct it on the thread whose passes are counted; call pass() from the EventPass.

#include <time.h>

#include <algorithm>
#include <chrono>

namespace exambell::test {

class EventGaps {
  public:
    // The bounds the tests hold conversions and requests to.
    static constexpr std::chrono::milliseconds kMostCpu{100};
    static constexpr std::chrono::milliseconds kMostWall{1000};

    EventGaps() : lastWall_(Wall::now()), lastCpu_(cpuNow()) {}

    void pass() {
        const auto wall = Wall::now();
        const auto cpu = cpuNow();
        longestWall_ = std::max(longestWall_, wall - lastWall_);
        longestCpu_ = std::max(longestCpu_, cpu - lastCpu_);
        lastWall_ = wall;
        lastCpu_ = cpu;
        ++passes_;
    }
    // The longest gaps, the one from the last pass to now included.
    std::chrono::milliseconds longestCpu() {
        pass();
        return std::chrono::duration_cast<std::chrono::milliseconds>(longestCpu_);
    }
    std::chrono::milliseconds longestWall() {
        pass();
        return std::chrono::duration_cast<std::chrono::milliseconds>(longestWall_);
    }
    int passes() const { return passes_; }

  private:
    using Wall = std::chrono::steady_clock;
    static std::chrono::nanoseconds cpuNow() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    }

    Wall::time_point lastWall_;
    std::chrono::nanoseconds lastCpu_;
    Wall::duration longestWall_{};
    std::chrono::nanoseconds longestCpu_{};
    int passes_ = 0;
};

}  // namespace exambell::test
