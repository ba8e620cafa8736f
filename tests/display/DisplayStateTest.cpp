#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "display/DisplayState.h"
#include "tests/support/FakeClock.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

using test::FakeClock;

DisplayExam exam(const char* subject, const char* start, int minutes, int shift = 0) {
    return DisplayExam{utf8ToGbk(subject), start, minutes, shift};
}

std::vector<DisplayExam> fourExams() {
    return {exam("数学", "08:00", 120), exam("英语", "10:30", 90), exam("物理", "14:00", 100),
            exam("化学", "16:00", 60)};
}

struct Shown {
    DisplayPhase phase;
    std::string subject;
    std::string start;
    std::string end;
    std::string remaining;
    bool lastStretch;
};

Shown shown(const std::vector<DisplayExam>& exams, const FakeClock& clock) {
    const DisplayState s = computeDisplayState(exams, clock.now());
    return {s.phase, gbkToUtf8(s.subject), s.start, s.end, s.remaining, s.lastStretch};
}

TEST(DisplayState, ADayOfFourExams) {
    FakeClock clock;  // Friday 2026-01-02 08:00:00
    const auto exams = fourExams();
    struct Step {
        int h, m, s;
        DisplayPhase phase;
        const char* subject;
        const char* start;
        const char* end;
        const char* remaining;
        bool lastStretch;
    };
    const Step steps[] = {
        {6, 30, 0, DisplayPhase::BeforeStart, "数学", "08:00", "10:00", "01:30:00", false},
        {7, 59, 59, DisplayPhase::BeforeStart, "数学", "08:00", "10:00", "00:00:01", false},
        {8, 0, 0, DisplayPhase::InProgress, "数学", "08:00", "10:00", "02:00:00", false},
        {9, 44, 59, DisplayPhase::InProgress, "数学", "08:00", "10:00", "00:15:01", false},
        {9, 45, 0, DisplayPhase::InProgress, "数学", "08:00", "10:00", "00:15:00", true},
        {9, 59, 59, DisplayPhase::InProgress, "数学", "08:00", "10:00", "00:00:01", true},
        // Between two exams the next one is shown, counting down to its start.
        {10, 0, 0, DisplayPhase::BeforeStart, "英语", "10:30", "12:00", "00:30:00", false},
        {11, 0, 0, DisplayPhase::InProgress, "英语", "10:30", "12:00", "01:00:00", false},
        {12, 0, 0, DisplayPhase::BeforeStart, "物理", "14:00", "15:40", "02:00:00", false},
        {15, 50, 0, DisplayPhase::BeforeStart, "化学", "16:00", "17:00", "00:10:00", false},
        {16, 50, 0, DisplayPhase::InProgress, "化学", "16:00", "17:00", "00:10:00", true},
        // After the last exam of the day: the one that ended last.
        {17, 0, 0, DisplayPhase::Ended, "化学", "16:00", "17:00", "00:00:00", false},
        {23, 59, 59, DisplayPhase::Ended, "化学", "16:00", "17:00", "00:00:00", false},
    };
    for (const Step& step : steps) {
        clock.setTime(step.h, step.m, step.s);
        const Shown s = shown(exams, clock);
        SCOPED_TRACE(testing::Message() << step.h << ":" << step.m << ":" << step.s);
        EXPECT_EQ(s.phase, step.phase);
        EXPECT_EQ(s.subject, step.subject);
        EXPECT_EQ(s.start, step.start);
        EXPECT_EQ(s.end, step.end);
        EXPECT_EQ(s.remaining, step.remaining);
        EXPECT_EQ(s.lastStretch, step.lastStretch);
    }
}

TEST(DisplayState, DateWeekdayTimeAndPhaseTexts) {
    FakeClock clock;
    clock.setTime(9, 5, 7);
    const DisplayState s = computeDisplayState(fourExams(), clock.now());
    EXPECT_EQ(gbkToUtf8(s.date), "2026年01月02日");
    EXPECT_EQ(gbkToUtf8(s.weekday), "星期五");
    EXPECT_EQ(s.time, "09:05:07");
    EXPECT_EQ(gbkToUtf8(s.phaseText), "考试中");
    clock.setTime(7, 0, 0);
    EXPECT_EQ(gbkToUtf8(computeDisplayState(fourExams(), clock.now()).phaseText), "距开考");
    clock.setTime(20, 0, 0);
    EXPECT_EQ(gbkToUtf8(computeDisplayState(fourExams(), clock.now()).phaseText), "已结束");
    // Milliseconds do not count: 09:05:07.999 is still 09:05:07.
    clock.setTime(9, 5, 7, 999);
    EXPECT_EQ(computeDisplayState(fourExams(), clock.now()).remaining, "00:54:53");
}

TEST(DisplayState, AShiftMovesStartAndEnd) {
    FakeClock clock;
    auto exams = fourExams();
    exams[0].shiftMinutes = 10;  // 数学 starts at 08:10, ends at 10:10
    clock.setTime(8, 5, 0);
    Shown s = shown(exams, clock);
    EXPECT_EQ(s.phase, DisplayPhase::BeforeStart);
    EXPECT_EQ(s.start, "08:10");
    EXPECT_EQ(s.end, "10:10");
    EXPECT_EQ(s.remaining, "00:05:00");
    clock.setTime(10, 5, 0);
    s = shown(exams, clock);
    EXPECT_EQ(s.phase, DisplayPhase::InProgress);
    EXPECT_EQ(s.remaining, "00:05:00");
    EXPECT_TRUE(s.lastStretch);
    // The shifted exam now overlaps the next one's countdown; the running exam wins.
    exams[0].shiftMinutes = 40;  // 08:40 .. 10:40, 英语 from 10:30
    clock.setTime(10, 35, 0);
    s = shown(exams, clock);
    EXPECT_EQ(s.subject, "数学");
    EXPECT_EQ(s.remaining, "00:05:00");
}

TEST(DisplayState, AnExamRunsPastMidnight) {
    FakeClock clock;
    const std::vector<DisplayExam> exams = {exam("夜考", "23:30", 90)};
    clock.set(2026, 1, 2, 23, 0, 0);
    Shown s = shown(exams, clock);
    EXPECT_EQ(s.phase, DisplayPhase::BeforeStart);
    EXPECT_EQ(s.remaining, "00:30:00");
    clock.set(2026, 1, 2, 23, 59, 59);
    s = shown(exams, clock);
    EXPECT_EQ(s.phase, DisplayPhase::InProgress);
    EXPECT_EQ(s.remaining, "01:00:01");
    // After midnight, on the next day, the exam that started yesterday is still under way.
    clock.set(2026, 1, 3, 0, 0, 0);
    DisplayState state = computeDisplayState(exams, clock.now());
    EXPECT_EQ(state.phase, DisplayPhase::InProgress);
    EXPECT_EQ(state.start, "23:30");
    EXPECT_EQ(state.end, "01:00");
    EXPECT_EQ(state.remaining, "01:00:00");
    EXPECT_FALSE(state.lastStretch);
    EXPECT_EQ(gbkToUtf8(state.weekday), "星期六");
    clock.set(2026, 1, 3, 0, 50, 0);
    EXPECT_TRUE(computeDisplayState(exams, clock.now()).lastStretch);
    clock.set(2026, 1, 3, 1, 0, 0);
    // Over: today's 23:30 is the next one now.
    s = shown(exams, clock);
    EXPECT_EQ(s.phase, DisplayPhase::BeforeStart);
    EXPECT_EQ(s.remaining, "22:30:00");
    // A shift that pushes a late exam over midnight.
    const std::vector<DisplayExam> shifted = {exam("夜考", "23:50", 30, 20)};
    clock.set(2026, 1, 3, 0, 5, 0);
    s = shown(shifted, clock);
    EXPECT_EQ(s.phase, DisplayPhase::BeforeStart);
    EXPECT_EQ(s.start, "00:10");
    EXPECT_EQ(s.remaining, "00:05:00");
}

TEST(DisplayState, NoExamsAndBadStarts) {
    FakeClock clock;
    EXPECT_EQ(computeDisplayState({}, clock.now()).phase, DisplayPhase::NoExam);
    // Starts the window could never save are left out, not shown at midnight.
    const std::vector<DisplayExam> bad = {exam("甲", "0900", 60), exam("乙", "25:00", 60),
                                          exam("丙", "9:5x", 60), exam("丁", "", 60)};
    const DisplayState s = computeDisplayState(bad, clock.now());
    EXPECT_EQ(s.phase, DisplayPhase::NoExam);
    EXPECT_TRUE(s.exams.empty());
    EXPECT_EQ(displayStartMinutes("9:05"), 545);
    // Absurd durations and shifts are clamped, not overflowed.
    const std::vector<DisplayExam> huge = {DisplayExam{"x", "09:00", INT64_MAX, INT64_MIN}};
    EXPECT_NO_FATAL_FAILURE(computeDisplayState(huge, clock.now()));
}

TEST(DisplayState, JsonHoldsTheStateAndTheServerTime) {
    FakeClock clock;
    clock.setTime(9, 0, 0, 250);
    const DisplayState s = computeDisplayState(fourExams(), clock.now());
    const QJsonObject o =
        QJsonDocument::fromJson(displayStateJson(s, localEpochMilliseconds(clock.now()))).object();
    EXPECT_EQ(static_cast<std::int64_t>(o[u"serverTime"].toDouble()), clock.wallMilliseconds());
    EXPECT_EQ(o[u"phase"].toString(), u"running");
    EXPECT_EQ(o[u"phaseText"].toString(), QString::fromUtf8("考试中"));
    EXPECT_EQ(o[u"subject"].toString(), QString::fromUtf8("数学"));
    EXPECT_EQ(o[u"remaining"].toString(), u"01:00:00");
    const QJsonArray exams = o[u"exams"].toArray();
    ASSERT_EQ(exams.size(), 4);
    // Exam times are on the same scale as the server time.
    const double start = exams[0].toObject()[u"startMs"].toDouble();
    EXPECT_EQ(static_cast<std::int64_t>(start), clock.wallMilliseconds() - 3600250);
    EXPECT_EQ(exams[1].toObject()[u"subject"].toString(), QString::fromUtf8("英语"));
}

}  // namespace
}  // namespace exambell
