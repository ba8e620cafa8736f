#include "runner/ExamRun.h"

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
using test::u;

struct RecordingNotifier : MissNotifier {
    std::vector<std::vector<MissedCue>> reports;
    void cuesMissed(const std::vector<MissedCue>& missed) override { reports.push_back(missed); }
};

// A run on the fake clock, ticked by the real tick engine.
struct DrivenExamRun {
    FakeClock clock;
    FakeAudioOutput audio{clock, 3000};
    RecordingNotifier notifier;
    CueSettings cues = cueSettings({});
    ExamSettings exams;
    std::vector<std::string> played;  // "cue HH:MM:SS"
    int finished = 0;
    ExamRun run{clock, audio,
                [this](int cue) {
                    audio.playCompressedFile(cues[cue - 1].path);
                    LocalTime t = clock.now();
                    char buf[32];
                    std::snprintf(buf, sizeof buf, "%d %02d:%02d:%02d", cue, t.hour, t.minute,
                                  t.second);
                    played.emplace_back(buf);
                },
                [this] {
                    ++finished;
                    run.stop();
                    ticker.stop();
                },
                &notifier};
    SecondTicker ticker{clock, [this] { run.tick(clock.now()); }};

    // Plans and begins at the clock's time; returns the schedule text in UTF-8.
    std::string start() {
        std::string text = u(run.plan(exams, cues, clock.now()));
        if (!text.empty()) {
            run.begin();
            ticker.start();
        }
        return text;
    }
    // Lets time pass up to a time of the same day (or of the next, when it lies before now).
    void advanceTo(int hour, int minute, int second, int millisecond = 0) {
        const LocalTime t = clock.now();
        std::int64_t ms = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond -
                          (((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond);
        clock.advance(ms < 0 ? ms + 86400000 : ms);
    }
    // "序号 time caption mark" per row.
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (const RunRow& r : run.rows()) {
            out.push_back(r.row.number + " " + r.row.time + " " + u(r.row.caption) + " " +
                          u(progressMark(r.progress)));
        }
        return out;
    }
};

using Rows = std::vector<std::string>;

TEST(ExamRun, RowsAreMarkedNextThenPlayedWithTheirSecondAndTheCountdownFollows) {
    DrivenExamRun t;
    t.cues = cueSettings({4, 5, 6});
    t.exams[0] = {true, g("数学"), "09:00", g("120分钟")};
    t.clock.setTime(8, 0, 0);
    ASSERT_FALSE(t.start().empty());
    EXPECT_EQ(t.rows(),
              (Rows{"1 09:00:00 开考 下一个", "2 10:45:00 结束前15分钟 ", "3 11:00:00 结束 "}));
    EXPECT_EQ(u(t.run.countdown(t.clock.now())), "下一项：数学 开考  还有 01:00:00");
    t.clock.advance(3600 * 1000 + 500);
    EXPECT_EQ(t.rows(), (Rows{"1 09:00:00 开考 已播放 09:00:00", "2 10:45:00 结束前15分钟 下一个",
                              "3 11:00:00 结束 "}));
    EXPECT_EQ(u(t.run.countdown(t.clock.now())), "下一项：数学 结束前15分钟  还有 01:45:00");
    t.clock.advance(2 * 3600 * 1000);
    EXPECT_EQ(t.played, (std::vector<std::string>{"4 09:00:00", "5 10:45:00", "6 11:00:00"}));
    EXPECT_EQ(t.finished, 1);
    EXPECT_EQ(u(t.run.countdown(t.clock.now())), "");
    EXPECT_TRUE(t.notifier.reports.empty());
}

TEST(ExamRun, AStallBeyondTheCatchUpWindowMarksTheDroppedRowsAndReportsThemOnce) {
    DrivenExamRun t;
    t.cues = cueSettings({1, 2, 3, 4});
    t.exams[0] = {true, g("数学"), "09:00", "120"};
    t.clock.setTime(8, 40, 0);
    t.start();
    // The event loop (or the computer) stops for 20 minutes across 08:45, 08:52 and 08:55.
    t.clock.stall(20 * 60 * 1000 - 2000);
    t.clock.advance(1000);
    EXPECT_EQ(t.rows(),
              (Rows{"1 08:45:00 开考前15分钟 错过：电脑休眠或时钟跳变",
                    "2 08:52:00 开考前8分钟 错过：电脑休眠或时钟跳变",
                    "3 08:55:00 开考前5分钟 错过：电脑休眠或时钟跳变", "4 09:00:00 开考 下一个"}));
    ASSERT_EQ(t.notifier.reports.size(), 1u);
    EXPECT_EQ(t.notifier.reports[0].size(), 3u);
    EXPECT_EQ(u(missNoticeText(t.notifier.reports[0])),
              "未能播放：数学 08:45:00 开考前15分钟（电脑休眠或时钟跳变）；"
              "数学 08:52:00 开考前8分钟（电脑休眠或时钟跳变）；"
              "数学 08:55:00 开考前5分钟（电脑休眠或时钟跳变）");
    t.clock.advance(60 * 1000);
    EXPECT_EQ(t.played, (std::vector<std::string>{"4 09:00:00"}));
}

TEST(ExamRun, PlayOutcomesMarkTheirRowsOnceAndALateSoundSaysHowLate) {
    DrivenExamRun t;
    t.cues = cueSettings({4, 6});
    t.exams[0] = {true, g("数学"), "09:00", "60"};
    t.exams[1] = {true, g("英语"), "09:00", "30"};
    t.clock.setTime(8, 59, 50);
    t.start();
    t.clock.advance(11 * 1000);
    // Both exams' "开考" are one play.
    ExamRun::PlayId start = t.run.currentPlay();
    t.run.reportMissed(start, MissReason::FileMissing);
    EXPECT_EQ(t.rows()[0], "1 09:00:00 开考 错过：文件不存在");
    EXPECT_EQ(t.rows()[2], "3 09:00:00 开考 错过：文件不存在");
    ASSERT_EQ(t.notifier.reports.size(), 1u);
    EXPECT_EQ(t.notifier.reports[0].size(), 2u);
    EXPECT_EQ(t.notifier.reports[0][1].rowNumber, 3);
    // The same outcome again raises no second notice.
    t.run.reportMissed(start, MissReason::FileMissing);
    EXPECT_EQ(t.notifier.reports.size(), 1u);

    t.advanceTo(9, 30, 0, 500);
    ExamRun::PlayId end = t.run.currentPlay();
    EXPECT_NE(end, start);
    // No device: the cue waits for one, and nothing is reported yet.
    t.run.reportWaiting(end);
    EXPECT_EQ(t.rows()[3], "4 09:30:00 结束 等待音频设备");
    EXPECT_EQ(t.notifier.reports.size(), 1u);
    // The device is back thirteen seconds later and the cue sounds then: played, and late.
    t.clock.advance(13000);
    LocalTime later = t.clock.now();
    t.run.reportPlayed(end, &later);
    EXPECT_EQ(t.rows()[3], "4 09:30:00 结束 已播放 09:30:13（晚13秒）");
    EXPECT_EQ(t.notifier.reports.size(), 1u);
    t.run.reportMissed(999, MissReason::Undecodable);  // unknown plays are ignored
    t.run.reportMissed(start, MissReason::Undecodable);
    EXPECT_EQ(t.rows()[0], "1 09:00:00 开考 错过：无法解码");
    EXPECT_EQ(t.notifier.reports.size(), 2u);
    // One outcome per cue: a missed cue is not turned into a played one by a later word.
    t.run.reportPlayed(start, &later);
    EXPECT_EQ(t.rows()[0], "1 09:00:00 开考 错过：无法解码");
}

TEST(ExamRun, ACueThatWaitedForADeviceInVainIsMissedOnceAlsoAfterTheRunEnded) {
    DrivenExamRun t;
    t.cues = cueSettings({4});
    t.exams[0] = {true, g("数学"), "09:00", "60"};
    t.clock.setTime(8, 50, 0);
    t.start();
    t.advanceTo(9, 0, 0, 500);
    const ExamRun::PlayId play = t.run.currentPlay();
    t.run.reportWaiting(play);
    EXPECT_EQ(t.finished, 1);  // the last cue was asked for: the run has ended by itself
    EXPECT_TRUE(t.notifier.reports.empty());
    t.run.reportMissed(play, MissReason::NoAudioDevice);
    EXPECT_EQ(t.rows()[0], "1 09:00:00 开考 错过：没有音频设备");
    ASSERT_EQ(t.notifier.reports.size(), 1u);
    EXPECT_EQ(t.notifier.reports[0][0].reason, MissReason::NoAudioDevice);
}

TEST(ExamRun, AShiftThatPutsPendingCuesBehindNowMarksThemMissedAndSaysSo) {
    DrivenExamRun t;
    t.cues = cueSettings({1, 4, 6});
    t.exams[0] = {true, g("数学"), "10:30", "60"};
    t.clock.setTime(10, 0, 0);
    t.start();
    t.advanceTo(10, 2, 16);
    // Thirty minutes earlier: 开考前15分钟 (now 09:45) and 开考 (now 10:00) lie behind.
    const ExamRun::Shift shift = t.run.shiftExam(1, -30, t.exams[0], t.cues, t.clock.now());
    ASSERT_TRUE(shift.done);
    EXPECT_EQ(shift.start, "10:00");
    EXPECT_EQ(shift.behind, 2);
    EXPECT_EQ(t.rows(), (Rows{"1 09:45:00 开考前15分钟 错过：平移后时间已过",
                              "2 10:00:00 开考 错过：平移后时间已过", "3 11:00:00 结束 下一个"}));
    ASSERT_EQ(t.notifier.reports.size(), 1u);
    EXPECT_EQ(u(missNoticeText(t.notifier.reports[0])),
              "未能播放：数学 09:45:00 开考前15分钟（平移后时间已过）；"
              "数学 10:00:00 开考（平移后时间已过）");
    t.clock.advance(3600 * 1000);
    EXPECT_EQ(t.played, (std::vector<std::string>{"6 11:00:00"}));
}

TEST(ExamRun, AShiftIntoTheDayBeforeIsRefusedAndChangesNothing) {
    DrivenExamRun t;
    t.cues = cueSettings({4, 6});
    t.exams[0] = {true, g("数学"), "10:07", "60"};
    t.clock.setTime(10, 0, 0);
    t.start();
    const Rows before = t.rows();
    const ExamRun::Shift shift = t.run.shiftExam(1, -720, t.exams[0], t.cues, t.clock.now());
    EXPECT_FALSE(shift.done);
    EXPECT_EQ(shift.refusal, ExamRun::ShiftRefusal::DayBefore);
    EXPECT_EQ(shift.start, "22:07");
    EXPECT_EQ(t.rows(), before);
    EXPECT_EQ(t.run.exams()[0].start, "10:07");
}

TEST(ExamRun, AStartTypedDuringTheRunIsWhatAShiftMoves) {
    DrivenExamRun t;
    t.cues = cueSettings({4, 6});
    t.exams[0] = {true, g("数学"), "09:00", "60"};
    t.clock.setTime(8, 30, 0);
    t.start();
    ExamSetting typed = t.exams[0];
    typed.start = "09:30";
    ExamRun::Shift shift = t.run.shiftExam(1, 5, typed, t.cues, t.clock.now());
    ASSERT_TRUE(shift.done);
    EXPECT_TRUE(shift.fromTyped);
    EXPECT_EQ(shift.from, "09:30");
    EXPECT_EQ(shift.start, "09:35");
    EXPECT_EQ(shift.end, "10:35");
    EXPECT_EQ(t.rows(), (Rows{"1 09:35:00 开考 下一个", "2 10:35:00 结束 "}));
    // A start box that holds no time leaves the run's start.
    typed.start = "9x";
    shift = t.run.shiftExam(1, 5, typed, t.cues, t.clock.now());
    EXPECT_FALSE(shift.fromTyped);
    EXPECT_EQ(shift.start, "09:40");
}

TEST(ExamRun, ARunBeforeMidnightServesAnExamJustAfterIt) {
    DrivenExamRun t;
    t.cues = cueSettings({1, 4, 6});
    t.exams[0] = {true, g("夜考"), "00:10", "30"};
    t.clock.set(2026, 1, 2, 23, 50, 0);
    ASSERT_FALSE(t.start().empty());
    EXPECT_EQ(t.rows(),
              (Rows{"1 23:55:00 开考前15分钟 下一个", "2 00:10:00 开考 ", "3 00:40:00 结束 "}));
    t.clock.advance(3600 * 1000);
    EXPECT_EQ(t.played, (std::vector<std::string>{"1 23:55:00", "4 00:10:00", "6 00:40:00"}));
    EXPECT_EQ(t.finished, 1);
    // A morning exam is still over in the evening: nothing to run.
    DrivenExamRun late;
    late.cues = cueSettings({1, 4, 6});
    late.exams[0] = {true, g("数学"), "09:00", "120"};
    late.clock.set(2026, 1, 2, 20, 0, 0);
    EXPECT_EQ(late.start(), "");
}

TEST(ExamRun, ARestartAfterMidnightDoesNotListThePreviousEveningAgain) {
    DrivenExamRun t;
    t.cues = cueSettings({1, 4, 5, 6, 7});
    t.exams[0] = {true, g("夜考"), "23:00", "120"};
    t.exams[1] = {true, g("早考"), "08:00", "60"};
    t.clock.set(2026, 1, 3, 0, 30, 0);
    t.start();
    EXPECT_EQ(t.rows(),
              (Rows{"1 00:45:00 结束前15分钟 下一个", "2 01:00:00 结束 ",
                    "3 07:45:00 开考前15分钟 ", "4 08:00:00 开考 ", "5 08:15:00 每隔15分钟 ",
                    "6 08:30:00 每隔15分钟 ", "7 08:45:00 结束前15分钟 ", "8 09:00:00 结束 "}));
}

TEST(ExamRun, AShiftMovesOneExamAndPlaysNothingTwice) {
    DrivenExamRun t;
    t.cues = cueSettings({1, 4, 5, 6, 7});
    t.exams[0] = {true, g("数学"), "09:00", "60"};
    t.exams[1] = {true, g("英语"), "10:30", "30"};
    t.clock.setTime(8, 40, 0);
    t.start();
    EXPECT_EQ(t.rows(),
              (Rows{"1 08:45:00 开考前15分钟 下一个", "2 09:00:00 开考 ", "3 09:15:00 每隔15分钟 ",
                    "4 09:30:00 每隔15分钟 ", "5 09:45:00 结束前15分钟 ", "6 10:00:00 结束 ",
                    "7 10:15:00 开考前15分钟 ", "8 10:30:00 开考 ", "9 10:45:00 结束前15分钟 ",
                    "10 11:00:00 结束 "}));
    t.advanceTo(8, 50, 0);
    // The papers come ten minutes late.
    ExamSetting math = t.exams[0];
    ExamRun::Shift shift = t.run.shiftExam(1, 10, math, t.cues, t.clock.now());
    ASSERT_TRUE(shift.done);
    EXPECT_EQ(shift.start, "09:10");
    EXPECT_EQ(shift.end, "10:10");
    EXPECT_EQ(t.rows(),
              (Rows{"1 08:45:00 开考前15分钟 已播放 08:45:00", "2 09:10:00 开考 下一个",
                    "3 09:25:00 每隔15分钟 ", "4 09:40:00 每隔15分钟 ", "5 09:55:00 结束前15分钟 ",
                    "6 10:10:00 结束 ", "7 10:15:00 开考前15分钟 ", "8 10:30:00 开考 ",
                    "9 10:45:00 结束前15分钟 ", "10 11:00:00 结束 "}));
    // Started late after all: another five minutes, once the start cue has sounded.
    t.advanceTo(9, 10, 1);
    math.start = shift.start;  // the start box shows the moved start
    shift = t.run.shiftExam(1, 5, math, t.cues, t.clock.now());
    EXPECT_EQ(shift.start, "09:15");
    EXPECT_EQ(shift.end, "10:15");
    EXPECT_EQ(t.rows()[1], "2 09:10:00 开考 已播放 09:10:00");
    EXPECT_EQ(t.rows()[2], "3 09:30:00 每隔15分钟 下一个");
    t.clock.advance(3 * 3600 * 1000);
    EXPECT_EQ(t.played, (std::vector<std::string>{
                            "1 08:45:00", "4 09:10:00", "7 09:30:00", "7 09:45:00", "5 10:00:00",
                            "6 10:15:00", "1 10:15:03", "4 10:30:00", "5 10:45:00", "6 11:00:00"}));
    EXPECT_EQ(t.finished, 1);
}

TEST(ExamRun, AShiftAcrossMidnightAndOnlyForExamsOfTheActiveRun) {
    DrivenExamRun t;
    t.cues = cueSettings({4, 6});
    t.exams[0] = {true, g("夜考"), "23:50", "30"};
    t.clock.set(2026, 1, 2, 23, 0, 0);
    t.start();
    EXPECT_FALSE(t.run.shiftExam(2, 10, t.exams[1], t.cues, t.clock.now()).done);
    ExamRun::Shift shift = t.run.shiftExam(1, 20, t.exams[0], t.cues, t.clock.now());
    EXPECT_EQ(shift.start, "00:10");
    EXPECT_EQ(shift.end, "00:40");
    EXPECT_EQ(t.rows(), (Rows{"1 00:10:00 开考 下一个", "2 00:40:00 结束 "}));
    t.clock.advance(2 * 3600 * 1000);
    EXPECT_EQ(t.played, (std::vector<std::string>{"4 00:10:00", "6 00:40:00"}));
    EXPECT_FALSE(t.run.shiftExam(1, 10, t.exams[0], t.cues, t.clock.now()).done);
}

TEST(ExamRun, EditsOfTheRunningExamsWaitForTheNextStartOrAShift) {
    DrivenExamRun t;
    t.cues = cueSettings({4, 6});
    t.exams[0] = {true, g("数学"), "09:00", g("120分钟")};
    t.exams[1] = {false, g("英语"), "13:00", "60"};
    t.clock.setTime(8, 0, 0);
    t.start();
    ExamSettings now = t.exams;
    CueSettings cues = t.cues;
    now[0].duration = "120";          // the same number of minutes
    cues[0].path = "/elsewhere.mp3";  // a file takes effect when it plays
    now[1].subject = g("英文");       // not part of the run
    EXPECT_FALSE(t.run.editsWaiting(now, cues));
    now[0].duration = "90";
    EXPECT_TRUE(t.run.editsWaiting(now, cues));
    // A shift applies the exam's fields as they stand.
    t.run.shiftExam(1, 0, now[0], cues, t.clock.now());
    EXPECT_FALSE(t.run.editsWaiting(now, cues));
    EXPECT_EQ(t.rows()[1], "2 10:30:00 结束 ");
    cues[4].enabled = true;
    EXPECT_TRUE(t.run.editsWaiting(now, cues));
    cues[4].enabled = false;
    now[1].enabled = true;
    EXPECT_TRUE(t.run.editsWaiting(now, cues));
}

}  // namespace
}  // namespace exambell
