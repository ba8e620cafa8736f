#include "runner/CueScheduler.h"

#include <gtest/gtest.h>

#include "runner/SecondTicker.h"
#include "tests/runner/FakeAudioOutput.h"
#include "tests/runner/RunnerTestData.h"
#include "tests/support/FakeClock.h"

namespace exambell {
namespace {

using test::cueSettings;
using test::FakeAudioOutput;
using test::FakeClock;
using test::g;

// A running schedule on the fake clock, ticked by the real tick engine.
struct DrivenRun {
    FakeClock clock;
    FakeAudioOutput audio{clock, 3000};
    CueSettings cues = cueSettings({});
    struct Played {
        int cue;
        LocalTime at;
    };
    std::vector<Played> played;
    int finished = 0;
    CueScheduler scheduler{clock, audio,
                           [this](int cue) {
                               audio.stopAllAudio();
                               audio.playCompressedFile(cues[cue - 1].path);
                               played.push_back({cue, clock.now()});
                           },
                           [this] {
                               ++finished;
                               ticker.stop();
                           }};
    SecondTicker ticker{clock, [this] { scheduler.tick(clock.now()); }};

    void start(const char* scheduleUtf8) {
        scheduler.pendingCues().rebuild(reminderRows(g(scheduleUtf8)), cues,
                                        localEpochSeconds(clock.now()));
        ticker.start();
    }
    std::string playedAt(std::size_t i) const {
        const LocalTime& t = played.at(i).at;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d %02d:%02d:%02d.%03d", played[i].cue, t.hour, t.minute,
                      t.second, t.millisecond);
        return buf;
    }
};

TEST(CueScheduler, PlaysEachCueJustAfterItsSecondBeginsAndEndsTheRun) {
    DrivenRun run;
    run.clock.setTime(8, 0, 0, 300);
    run.start(
        "数学,09:00:00,开考,04开考.mp3\r\n数学,10:45:00,结束前15分钟,f\r\n"
        "数学,11:00:00,结束,f");
    run.clock.advance(3600 * 1000);
    ASSERT_EQ(run.played.size(), 1u);
    EXPECT_EQ(run.playedAt(0), "4 09:00:00.005");
    EXPECT_EQ(run.finished, 0);
    run.clock.advance(2 * 3600 * 1000);
    ASSERT_EQ(run.played.size(), 3u);
    EXPECT_EQ(run.playedAt(1), "5 10:45:00.005");
    EXPECT_EQ(run.playedAt(2), "6 11:00:00.005");
    EXPECT_EQ(run.finished, 1);
    EXPECT_EQ(run.audio.plays().back().path, g("/voice/06结束.mp3"));
}

TEST(CueScheduler, LateTicksAndShortStallsCatchUpLongGapsDoNotPlayLate) {
    DrivenRun run;
    run.clock.setTime(8, 59, 50);
    run.start(
        "a,09:00:00,开考,f\r\na,09:01:00,结束,f\r\na,09:02:00,开考前15分钟,f\r\n"
        "a,09:04:00,开考前8分钟,f");
    // Every timer 900 ms late: the cue still plays inside its second.
    run.clock.setTimerSkew([] { return 900; });
    run.clock.advance(15 * 1000);
    ASSERT_EQ(run.played.size(), 1u);
    EXPECT_EQ(run.played[0].at.second, 0);
    run.clock.setTimerSkew(nullptr);
    // The event loop stalls across 09:01:00 for 6 s: the cue plays when the loop wakes.
    run.clock.setTime(9, 0, 58, 100);
    run.clock.fireDue();
    run.clock.stall(6000);
    run.clock.advance(1);
    ASSERT_EQ(run.played.size(), 2u);
    EXPECT_EQ(run.playedAt(1), "6 09:01:04.100");
    // The clock is set forward by 90 s across 09:02:00: that cue is not played late.
    run.clock.setTime(9, 1, 50);
    run.clock.advance(1000);
    run.clock.step(90 * 1000);
    run.clock.advance(5000);
    EXPECT_EQ(run.played.size(), 2u);
    EXPECT_EQ(run.scheduler.missedCount(), 1);
    // Set back across a cue already played: it does not play again.
    run.clock.setTime(9, 0, 55);
    run.clock.advance(20 * 1000);
    EXPECT_EQ(run.played.size(), 2u);
    run.clock.setTime(9, 3, 55);
    run.clock.advance(10 * 1000);
    ASSERT_EQ(run.played.size(), 3u);
    EXPECT_EQ(run.playedAt(2), "2 09:04:00.005");
    EXPECT_EQ(run.finished, 1);
}

TEST(CueScheduler, CoincidingCuesPlayOneAfterTheOtherWhenTheOutputIsIdle) {
    DrivenRun run;
    run.clock.setTime(8, 59, 0);
    run.start(
        "a,09:00:00,结束,f\r\nb,09:00:00,开考前15分钟,f\r\nc,09:00:00,每隔15分钟,f\r\n"
        "d,09:00:00,结束,f");
    run.clock.advance(61 * 1000);
    ASSERT_EQ(run.played.size(), 1u);
    EXPECT_EQ(run.scheduler.waitingCount(), 2u);
    EXPECT_EQ(run.finished, 0);
    run.clock.advance(10 * 1000);
    ASSERT_EQ(run.played.size(), 3u);
    EXPECT_EQ(run.played[0].cue, 6);
    EXPECT_EQ(run.played[1].cue, 1);
    EXPECT_EQ(run.played[2].cue, 7);
    // Each starts once the one before has had its 3 s, within one idle poll.
    const auto& plays = run.audio.plays();
    for (std::size_t i = 1; i < plays.size(); ++i) {
        std::int64_t gap = plays[i].wallMilliseconds - plays[i - 1].wallMilliseconds;
        EXPECT_GE(gap, 3000);
        EXPECT_LE(gap, 3000 + CueScheduler::kIdlePollMilliseconds);
    }
    EXPECT_EQ(run.finished, 1);
}

TEST(CueScheduler, APauseDropsTheCuesWaitingForTheirTurn) {
    DrivenRun run;
    run.clock.setTime(8, 59, 59);
    run.start("a,09:00:00,结束,f\r\nb,09:00:00,开考,f\r\nb,09:30:00,开考,f");
    run.clock.advance(1500);
    EXPECT_EQ(run.scheduler.waitingCount(), 1u);
    run.scheduler.stop();
    run.ticker.stop();
    run.clock.advance(10 * 1000);
    EXPECT_EQ(run.played.size(), 1u);
    EXPECT_EQ(run.scheduler.pendingCues().size(), 1u);
}

TEST(SecondTicker, TicksJustAfterEveryWholeSecond) {
    FakeClock clock;
    clock.setTime(10, 0, 0, 400);
    std::vector<int> ms;
    SecondTicker ticker(clock, [&] { ms.push_back(clock.now().millisecond); });
    int early = 1;  // the first tick fires 16 ms early, in the second before its own
    clock.setTimerSkew([&] { return early-- > 0 ? -16 : 0; });
    ticker.start();
    clock.advance(2000);
    EXPECT_EQ(ms, (std::vector<int>{989, 5, 5}));
}

}  // namespace
}  // namespace exambell
