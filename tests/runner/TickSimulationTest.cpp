// 72 hours of a running schedule on the driven clock, with the timer misbehaving the way a busy
// desktop makes it: ticks late by up to 900 ms or early by up to 16 ms, the event loop stalled
// for 0.5 to 5 s, the wall clock stepped by +-1 s and +-90 s. Every cue whose second the clock
// passed without a long jump must play exactly once, in time; no cue ever plays twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "runner/CueScheduler.h"
#include "runner/SecondTicker.h"
#include "tests/runner/FakeAudioOutput.h"
#include "tests/runner/RunnerTestData.h"
#include "tests/support/FakeClock.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

using test::cueSettings;
using test::FakeAudioOutput;
using test::FakeClock;

constexpr std::int64_t kHours = 72;
constexpr std::int64_t kSoundMilliseconds = 2000;
// The second of two coinciding cues waits for the first sound and an idle poll, both of which
// can be late themselves.
constexpr std::int64_t kQueueSlackSeconds = 6;

struct Expected {
    std::int64_t due;
    int cue;
    bool covered = false;  // a tick has passed its second
    bool mustPlay = false;
    int plays = 0;
};

class Simulation {
  public:
    Simulation() : rng_(20260105) {
        clock_.set(2026, 1, 5, 0, 0, 30);
        clock_.setTimerSkew([this] { return skew(); });
        rebuild();
        ticker_.start();
    }

    void run() {
        const std::int64_t end = clock_.tickCount() + kHours * 3600 * 1000;
        std::uniform_int_distribution<int> event(0, 1799);
        while (clock_.tickCount() < end) {
            int e = event(rng_);
            if (e < 2) {
                clock_.stall(std::uniform_int_distribution<std::int64_t>(500, 5000)(rng_));
            } else if (e == 2) {
                static constexpr std::int64_t steps[] = {1000, -1000, 90000, -90000};
                std::int64_t step = steps[std::uniform_int_distribution<int>(0, 3)(rng_)];
                clock_.step(step);
                jumped_ = jumped_ || step > CueScheduler::kCatchUpSeconds * 1000;
            }
            ASSERT_TRUE(clock_.fireNext());
        }
    }

    std::vector<Expected> expected;
    int wrongPlays = 0;
    int latePlays = 0;
    int runs = 0;
    std::int64_t ticks = 0;

  private:
    std::int64_t skew() {
        int kind = std::uniform_int_distribution<int>(0, 19)(rng_);
        if (kind == 0) {
            return std::uniform_int_distribution<std::int64_t>(16, 900)(rng_);
        }
        if (kind == 1) {
            return -std::uniform_int_distribution<std::int64_t>(1, 16)(rng_);
        }
        return std::uniform_int_distribution<std::int64_t>(0, 8)(rng_);
    }

    // A day of cues every 5 minutes, each of the seven in turn; at every half hour a second cue
    // of another caption on the same second, at every hour also a repeat of the first caption.
    // Like a real start, nothing in the current minute.
    void rebuild() {
        ++runs;
        const LocalTime now = clock_.now();
        const int nowMinute = now.hour * 60 + now.minute;
        Text rows;
        for (int m = 5; m < 1440; m += 5) {
            if (m == nowMinute) {
                continue;
            }
            int cue = m / 5 % kCueCount;
            Text time = twoDigits(m / 60) + ":" + twoDigits(m % 60) + ":00";
            auto row = [&](int n) { rows += "s," + time + "," + cues_[n].caption + ",f\r\n"; };
            row(cue);
            if (m % 30 == 0) {
                row((cue + 3) % kCueCount);
            }
            if (m % 60 == 0) {
                row(cue);
            }
        }
        PendingCues& pending = scheduler_.pendingCues();
        pending.rebuild(reminderRows(rows), cues_, localEpochSeconds(now));
        const std::size_t from = expected.size();
        for (const PendingCue& e : pending.entries()) {
            bool repeat = false;
            for (std::size_t i = from; i < expected.size() && !repeat; ++i) {
                repeat = expected[i].due == e.dueSecond && expected[i].cue == e.cue;
            }
            if (!repeat) {
                expected.push_back(Expected{e.dueSecond, e.cue});
            }
        }
        std::stable_sort(expected.begin() + static_cast<std::ptrdiff_t>(from), expected.end(),
                         [](const Expected& a, const Expected& b) { return a.due < b.due; });
    }

    void onTick() {
        ++ticks;
        const LocalTime now = clock_.now();
        const std::int64_t second = localEpochSeconds(now);
        // Entries are in order of their second within each run, and a run begins after the
        // last one ended, so the scan can start at the first entry not yet passed.
        while (cursor_ < expected.size() && expected[cursor_].covered) {
            ++cursor_;
        }
        for (std::size_t i = cursor_; i < expected.size() && expected[i].due <= second; ++i) {
            Expected& e = expected[i];
            if (!e.covered && e.due > lastSecond_) {
                e.covered = true;
                e.mustPlay = !jumped_;
            }
        }
        jumped_ = false;
        lastSecond_ = second;
        scheduler_.tick(now);
    }

    void onPlay(int cue) {
        audio_.stopAllAudio();
        audio_.playCompressedFile(cues_[cue - 1].path);
        const std::int64_t second = localEpochSeconds(clock_.now());
        for (Expected& e : expected) {
            if (e.cue == cue && e.plays == 0 && e.due <= second &&
                second - e.due <= CueScheduler::kCatchUpSeconds + kQueueSlackSeconds) {
                ++e.plays;
                latePlays += second - e.due > CueScheduler::kCatchUpSeconds ? 1 : 0;
                return;
            }
        }
        ++wrongPlays;  // early, far too late, or a second time
    }

    std::mt19937_64 rng_;
    FakeClock clock_;
    FakeAudioOutput audio_{clock_, kSoundMilliseconds};
    CueSettings cues_ = cueSettings({});
    std::int64_t lastSecond_ = localEpochSeconds(clock_.now());
    bool jumped_ = false;
    std::size_t cursor_ = 0;
    CueScheduler scheduler_{clock_, audio_, [this](int cue) { onPlay(cue); },
                            [this] { rebuild(); }};
    SecondTicker ticker_{clock_, [this] { onTick(); }};
};

TEST(TickSimulation, SeventyTwoHoursOfMisbehavingTicksMissNoCueAndRepeatNone) {
    Simulation sim;
    sim.run();

    int mustPlay = 0;
    int missed = 0;
    int played = 0;
    for (const Expected& e : sim.expected) {
        played += e.plays;
        if (e.mustPlay) {
            ++mustPlay;
            missed += e.plays == 1 ? 0 : 1;
        }
    }
    EXPECT_EQ(missed, 0);
    EXPECT_EQ(sim.wrongPlays, 0);
    EXPECT_EQ(sim.latePlays, 0);
    // The run ended by itself and began again each day, and the clock misbehaved enough.
    EXPECT_GE(sim.runs, 3);
    EXPECT_GT(mustPlay, 3 * 300);
    EXPECT_GT(sim.ticks, kHours * 3600 - 3000);
    RecordProperty("cues_played", played);
    RecordProperty("cues_due", static_cast<int>(sim.expected.size()));
}

}  // namespace
}  // namespace exambell
