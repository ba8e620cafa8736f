#include "runner/CueSchedule.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "runner/PendingCues.h"
#include "tests/runner/RunnerTestData.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

using test::cueSettings;
using test::g;
using test::lines;
using test::u;

TEST(CueMoment, CountsFromStartOrBackFromEndAndWrapsBothWays) {
    EXPECT_EQ(cueMoment("09:00", -15, "0"), "08:45:00");
    EXPECT_EQ(cueMoment("09:00", 0, "0"), "09:00:00");
    EXPECT_EQ(cueMoment("09:00", 15, g("120分钟")), "10:45:00");
    EXPECT_EQ(cueMoment("9:5", 0, "120"), "11:05:00");
    EXPECT_EQ(cueMoment("23:00", 0, "90"), "00:30:00");
    EXPECT_EQ(cueMoment("00:05", -15, "0"), "23:50:00");
    EXPECT_EQ(cueMoment("23:59", 0, "1"), "00:00:00");
    // A start without ":" counts as 00:00; an empty duration as 0.
    EXPECT_EQ(cueMoment("0900", 0, "30"), "00:30:00");
    EXPECT_EQ(cueMoment("10:30", 0, ""), "10:30:00");
}

TEST(ExamCueLines, StartAndEndCuesOfOneExam) {
    // 数学 09:00, 120 minutes, cues 4, 5, 6, made at 08:00.
    Text text = examCueLines("09:00", g("数学"), g("120分钟"), cueSettings({4, 5, 6}), 8 * 60);
    EXPECT_EQ(lines(text),
              (std::vector<std::string>{"", "数学,09:00:00,开考,04开考.mp3",
                                        "数学,10:45:00,结束前15分钟,05结束前15分钟.mp3",
                                        "数学,11:00:00,结束,06结束.mp3"}));
}

TEST(ExamCueLines, ACueIsMadeOnlyWhileItsWholeMinutesLieAhead) {
    CueSettings cues = cueSettings({1});
    EXPECT_EQ(examCueLines("09:00", "a", "120", cues, 8 * 60 + 45), "");  // G = 15
    EXPECT_EQ(lines(examCueLines("09:00", "a", "120", cues, 8 * 60 + 44)),
              (std::vector<std::string>{"", "a,08:45:00,开考前15分钟,01开考前15分钟.mp3"}));
    // Around midnight: no wrap of G, so an exam after midnight made the evening before is none.
    EXPECT_EQ(examCueLines("00:05", "a", "120", cues, 23 * 60), "");
    EXPECT_EQ(lines(examCueLines("00:20", "a", "120", cues, 1)),
              (std::vector<std::string>{"", "a,00:05:00,开考前15分钟,01开考前15分钟.mp3"}));
    EXPECT_EQ(examCueLines("00:10", "a", "120", cues, 1), "");
    // The end wraps past midnight.
    EXPECT_EQ(lines(examCueLines("23:00", "a", "90", cueSettings({6}), 22 * 60)),
              (std::vector<std::string>{"", "a,00:30:00,结束,06结束.mp3"}));
}

std::vector<std::string> times(const Text& text) {
    std::vector<std::string> out;
    for (const ReminderRow& row : reminderRows(cleanScheduleText(text))) {
        out.push_back(row.time + " " + gbkToUtf8(row.caption));
    }
    return out;
}

TEST(ExamCueLines, BellsEveryFifteenMinutesCountedBackFromTheEnd) {
    EXPECT_EQ(times(examCueLines("09:00", "a", "120", cueSettings({7}), 8 * 60)),
              (std::vector<std::string>{"09:15:00 每隔15分钟", "09:30:00 每隔15分钟",
                                        "09:45:00 每隔15分钟", "10:00:00 每隔15分钟",
                                        "10:15:00 每隔15分钟", "10:30:00 每隔15分钟",
                                        "10:45:00 每隔15分钟", "11:00:00 每隔15分钟"}));
    // With cues 5 and 6 their moments take the place of the bells and follow them.
    EXPECT_EQ(times(examCueLines("09:00", "a", "120", cueSettings({5, 6, 7}), 8 * 60)),
              (std::vector<std::string>{"09:15:00 每隔15分钟", "09:30:00 每隔15分钟",
                                        "09:45:00 每隔15分钟", "10:00:00 每隔15分钟",
                                        "10:15:00 每隔15分钟", "10:30:00 每隔15分钟",
                                        "10:45:00 结束前15分钟", "11:00:00 结束"}));
    EXPECT_EQ(times(examCueLines("09:00", "a", "100", cueSettings({7}), 8 * 60)),
              (std::vector<std::string>{"09:25:00 每隔15分钟", "09:40:00 每隔15分钟",
                                        "09:55:00 每隔15分钟", "10:10:00 每隔15分钟",
                                        "10:25:00 每隔15分钟", "10:40:00 每隔15分钟"}));
    // Started during the exam: bells already past are not made.
    EXPECT_EQ(
        times(examCueLines("09:00", "a", "120", cueSettings({6, 7}), 10 * 60 + 20)),
        (std::vector<std::string>{"10:30:00 每隔15分钟", "10:45:00 每隔15分钟", "11:00:00 结束"}));
    // Durations under 15 minutes make no bell.
    EXPECT_EQ(times(examCueLines("09:00", "a", "14", cueSettings({7}), 8 * 60)),
              std::vector<std::string>{});
}

TEST(ExamCueLines, ACommaInTheSubjectDoesNotShiftTheFields) {
    std::vector<ReminderRow> rows = reminderRows(
        cleanScheduleText(examCueLines("09:00", g("语文,数学"), "60", cueSettings({4}), 0)));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].subject, g("语文，数学"));
    EXPECT_EQ(rows[0].time, "09:00:00");
    EXPECT_EQ(rows[0].caption, g("开考"));
}

TEST(BuildSchedule, EnabledExamsInOrderWithoutBlankLines) {
    ExamSettings exams;
    exams[0] = {true, g("数学"), "09:00", g("120分钟")};
    exams[1] = {false, g("英语"), "10:00", "60"};
    exams[2] = {true, g("物理"), "08:00", "30"};  // already over at 09:00
    exams[3] = {true, g("自习"), "15:00", "60"};
    Text text = buildSchedule(exams, cueSettings({4, 6}), 9 * 60 - 30);
    EXPECT_EQ(u(text),
              "数学,09:00:00,开考,04开考.mp3\r\n数学,11:00:00,结束,06结束.mp3\r\n"
              "自习,15:00:00,开考,04开考.mp3\r\n自习,16:00:00,结束,06结束.mp3");
    // Bells put blank lines between an exam's groups; none is left.
    Text bells = buildSchedule(exams, cueSettings({5, 7}), 9 * 60 + 50);
    EXPECT_EQ(bells.find("\r\n\r\n"), Text::npos);
    EXPECT_FALSE(bells.starts_with("\r\n"));
    EXPECT_FALSE(bells.ends_with("\r\n"));
    // Nothing ahead: an empty text.
    EXPECT_EQ(buildSchedule(exams, cueSettings({4, 6}), 23 * 60), "");
    EXPECT_EQ(buildSchedule(ExamSettings{}, cueSettings({1, 2, 3, 4, 5, 6, 7}), 0), "");
}

TEST(ExamDayOffset, YesterdaysSittingUntilItEndsTomorrowsShortlyBeforeMidnight) {
    EXPECT_EQ(examDayOffset("09:00", "120", 8 * 60), 0);
    EXPECT_EQ(examDayOffset("09:00", "120", 20 * 60), 0);  // over, and tomorrow is far
    EXPECT_EQ(examDayOffset("00:10", "30", 23 * 60 + 50), 1);
    EXPECT_EQ(examDayOffset("03:00", "30", 23 * 60 + 59), 0);  // beyond three hours
    EXPECT_EQ(examDayOffset("23:00", "120", 30), -1);          // still running since last night
    EXPECT_EQ(examDayOffset("23:00", "120", 60), 0);           // ended at 01:00
    EXPECT_EQ(examDayOffset("23:00", "120", 22 * 60), 0);
    EXPECT_EQ(examDayOffset("00:20", "30", 1), 0);
}

TEST(CleanScheduleText, DropsOuterLineBreaksAndJoinsBlankLines) {
    EXPECT_EQ(cleanScheduleText("\r\na\r\n"), "a");
    EXPECT_EQ(cleanScheduleText("a\r\n\r\nb"), "a\r\nb");
    EXPECT_EQ(cleanScheduleText("a\r\n \t\r\n\r\nb\r\n\r\nc"), "a\r\nb\r\nc");
    EXPECT_EQ(cleanScheduleText("\r\n\r\n"), "");
    EXPECT_EQ(cleanScheduleText("a\nb"), "a\nb");
    EXPECT_EQ(cleanScheduleText(g("a\r\n\xE3\x80\x80\r\nb")), "a\r\nb");  // a full-width blank
}

TEST(ReminderRows, NumbersLinesAndKeepsAFileNameWithAComma) {
    std::vector<ReminderRow> rows = reminderRows("a,09:00:00,x,f.mp3\r\nb,10:00:00,y,g,h.wav");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].number, "1");
    EXPECT_EQ(rows[1].number, "2");
    EXPECT_EQ(rows[1].subject, "b");
    EXPECT_EQ(rows[1].fileName, "g,h.wav");
    // A path without any separator has an empty file name.
    CueSettings cues = cueSettings({4});
    cues[3].path = "bell.mp3";
    rows = reminderRows(cleanScheduleText(examCueLines("09:00", "a", "60", cues, 0)));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].caption, g("开考"));
    EXPECT_EQ(rows[0].fileName, "");
}

std::int64_t at(int day, int hour, int minute, int second = 0) {
    return localEpochSeconds(LocalTime{2026, 1, day, hour, minute, second, 0, 0});
}

TEST(PendingCues, EntriesFallDueAtTheNextOccurrenceOfTheirTime) {
    CueSettings cues = cueSettings({});
    PendingCues pending;
    pending.rebuild(reminderRows(g("a,08:45:00,开考前15分钟,f\r\na,00:30:00,结束,f\r\n"
                                   "a,09:00:00,nothing,f\r\na,25:00:00,开考,f")),
                    cues, at(2, 8, 30, 40));
    ASSERT_EQ(pending.size(), 3u);  // the unknown caption is dropped
    EXPECT_EQ(pending.entries()[0].dueSecond, at(2, 8, 45));
    EXPECT_EQ(pending.entries()[0].cue, 1);
    EXPECT_EQ(pending.entries()[1].dueSecond, at(3, 0, 30));
    EXPECT_EQ(pending.entries()[2].dueSecond, PendingCues::kNever);
}

TEST(PendingCues, TakeDueResolvesCoincidencesAndDropsLongPastEntries) {
    CueSettings cues = cueSettings({});
    PendingCues pending;
    pending.rebuild(reminderRows(g("a,09:00:00,结束,f\r\nb,09:00:00,开考前15分钟,f\r\n"
                                   "c,09:00:00,结束,f\r\na,09:01:00,开考,f\r\na,09:02:00,开考,f")),
                    cues, at(2, 8, 0));
    EXPECT_TRUE(pending.takeDue(at(2, 8, 59, 59), 10).cues.empty());
    PendingCues::Due due = pending.takeDue(at(2, 9, 0, 3), 10);
    EXPECT_EQ(due.cues, (std::vector<int>{6, 1}));  // list order, the same caption once
    ASSERT_EQ(due.plays.size(), 2u);
    EXPECT_EQ(due.plays[0].rows, (std::vector<int>{0, 2}));
    EXPECT_EQ(due.plays[1].rows, (std::vector<int>{1}));
    EXPECT_EQ(pending.size(), 2u);
    EXPECT_TRUE(pending.takeDue(at(2, 9, 0, 3), 10).cues.empty());  // never twice
    due = pending.takeDue(at(2, 9, 2, 5), 10);  // 09:01 long past, 09:02 caught up
    EXPECT_EQ(due.cues, (std::vector<int>{4}));
    EXPECT_EQ(due.missed, 1);
    EXPECT_EQ(due.missedRows, (std::vector<int>{3}));
    EXPECT_TRUE(pending.empty());
}

}  // namespace
}  // namespace exambell
