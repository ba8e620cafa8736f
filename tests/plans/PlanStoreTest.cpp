// Plans in config.ini: dates and times read strictly, the checks of a sitting and of a day, the
// sections written and read back, and the exam and cue sections the older code reads unchanged.
#include <gtest/gtest.h>

#include "plans/PlanStore.h"
#include "schedule/CueFileProbe.h"
#include "settings/SettingsFile.h"
#include "tests/plans/PlanTestSupport.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/TempFolder.h"
#include "text/Paths.h"

namespace exambell::test {
namespace {

TEST(PlanFields, DatesAndTimesAreReadStrictly) {
    EXPECT_FALSE(parseDate("2026-02-30"));
    EXPECT_FALSE(parseDate("2026-13-01"));
    EXPECT_FALSE(parseDate("2025-02-29"));
    EXPECT_TRUE(parseDate("2024-02-29"));
    EXPECT_EQ(dateText(*parseDate("2026/1/5")), "2026-01-05");
    EXPECT_FALSE(parseDate("2026-01-05x"));
    EXPECT_FALSE(parseDate(""));
    EXPECT_EQ(u(weekdayName(*parseDate("2026-01-12"))), "星期一");
    EXPECT_EQ(dateText(dateOfDay(dayNumber(*parseDate("2028-02-29")) + 1)), "2028-03-01");

    EXPECT_FALSE(parseClock("25:00"));
    EXPECT_FALSE(parseClock("09:60"));
    EXPECT_FALSE(parseClock("0900"));
    EXPECT_FALSE(parseClock("9:5"));
    EXPECT_EQ(parseClock("9:05"), 9 * 60 + 5);
    EXPECT_EQ(parseClock("09:00:00"), 9 * 60);
    EXPECT_EQ(parseClock(g("14：30")), 14 * 60 + 30);
}

TEST(PlanFields, SittingChecksGiveTheExamRowsMessages) {
    EXPECT_EQ(checkSitting(sitting("2026-01-12", "数学", "09:00", 120)), "");
    EXPECT_EQ(u(checkSitting(sitting("2026-01-12", "", "09:00", 120))), "科目不能为空");
    EXPECT_EQ(u(checkSitting(sitting("2026-01-12", "数学", "25:00", 120))), "时间格式错误");
    EXPECT_EQ(u(checkSitting(sitting("2026-01-12", "数学", "09:00", 0))),
              "时长不能为0或空值，请重新输入");
    EXPECT_EQ(u(checkSitting(sitting("2026-02-30", "数学", "09:00", 120))), "日期格式错误");
}

TEST(PlanFields, OverlapsAndFullDaysAreRefusedNamingTheSittings) {
    ExamPlan plan = threeDayPlan();
    // 语文 08:00-10:30 on 2026-01-12.
    EXPECT_EQ(u(checkSittingFits(plan.sittings, sitting("2026-01-12", "英语", "10:00", 30))),
              "语文 08:00-10:30 与 英语 10:00-10:30 时间重叠");
    // One ending as the next starts is no overlap; a fourth fits, a fifth does not.
    PlanSitting fourth = sitting("2026-01-12", "政治", "16:30", 60);
    EXPECT_EQ(checkSittingFits(plan.sittings, fourth), "");
    plan.sittings.push_back(fourth);
    EXPECT_EQ(u(checkSittingFits(plan.sittings, sitting("2026-01-12", "地理", "18:00", 60))),
              "2026-01-12 一天最多四场考试");
    // Editing a sitting is not an overlap with itself.
    PlanSitting longer = plan.sittings[0];
    longer.duration = 160;
    EXPECT_EQ(checkSittingFits(plan.sittings, longer, std::size_t{0}), "");
}

TEST(PlanFields, CopyAndMoveOfADayKeepThePlanWholeWhenRefused) {
    ExamPlan plan = threeDayPlan();
    const ExamPlan before = plan;
    // 2026-01-13 has 英语 08:00-10:00: 语文 08:00 of the 12th would overlap it.
    EXPECT_EQ(u(copyDay(plan, "2026-01-12", "2026-01-13")),
              "英语 08:00-10:00 与 语文 08:00-10:30 时间重叠");
    EXPECT_EQ(plan, before);
    EXPECT_EQ(copyDay(plan, "2026-01-12", "2026-01-19"), "");
    EXPECT_EQ(sittingsOn(plan, "2026-01-19").size(), 3U);
    EXPECT_EQ(u(sittingsOn(plan, "2026-01-19")[2].subject), "数学");

    const ExamPlan copied = plan;
    EXPECT_FALSE(moveDay(plan, "2026-01-14", -600).empty());  // 09:00 would be the day before
    EXPECT_EQ(plan, copied);
    EXPECT_EQ(moveDay(plan, "2026-01-14", 30), "");
    EXPECT_EQ(sittingsOn(plan, "2026-01-14")[0].start, "09:30");
    EXPECT_EQ(sittingsOn(plan, "2026-01-14")[1].start, "14:30");
}

TEST(PlanFields, PlanCuesFollowTheHalfDays) {
    ExamPlan plan = threeDayPlan();
    plan.cues = defaultPlanCues("/v");
    plan.cues.push_back(PlanCue{g("进场"), CueAnchor::LaterStart, -25, "/v/later.mp3"});
    const auto day = sittingsOn(plan, "2026-01-12");  // 语文 08:00, 物理 10:50, 数学 14:30
    const auto first = planCuesFor(plan, day[0], day);
    ASSERT_EQ(first.size(), 3U);
    EXPECT_EQ(u(first[0].name), "进场");
    EXPECT_EQ(first[0].minute, 7 * 60 + 30);
    EXPECT_EQ(u(first[1].name), "禁止入场");
    EXPECT_EQ(first[1].minute, 8 * 60 + 15);
    EXPECT_EQ(u(first[2].name), "可以交卷");
    EXPECT_EQ(first[2].minute, 10 * 60);
    // 物理 is the morning's second: the later entry bell, 25 minutes before.
    const auto second = planCuesFor(plan, day[1], day);
    ASSERT_EQ(second.size(), 3U);
    EXPECT_EQ(second[0].path, "/v/later.mp3");
    EXPECT_EQ(second[0].minute, 10 * 60 + 25);
    // 数学 opens the afternoon.
    EXPECT_EQ(planCuesFor(plan, day[2], day)[0].minute, 14 * 60);
}

TEST(PlanFields, TheDefaultPlanCuesPlayRecordingsThatShipAndDecode) {
    for (const PlanCue& cue : defaultPlanCues(g(EXAMBELL_SHIPPED_RECORDINGS))) {
        EXPECT_EQ(probeCueFile(cue.path, CuePlayer::Compressed), PlayOutcome::Started)
            << u(cue.path);
    }
}

class PlanStoreFile : public ::testing::Test {
  protected:
    TempFolder folder;
    Text config = joinPath(folder.text(), "config.ini");
    PlanStore store{config};
};

TEST_F(PlanStoreFile, APlanComesBackAsItWasWrittenInGbk) {
    ExamPlan plan = threeDayPlan();
    plan.autoStart = true;
    plan.sittings[1].subject = g("理综,物理");  // the subject is the value's last field
    plan.sittings[1].cues = {true, false, true, false, true, false, true};
    plan.cues = defaultPlanCues(g("/程序/语音文件库"));
    plan.cues[0].name = g("进场,请带准考证");
    sortSittings(plan.sittings);
    ASSERT_TRUE(store.save(1, plan));
    ASSERT_TRUE(store.setActive(1));
    EXPECT_EQ(store.load(1), plan);
    EXPECT_EQ(store.activeNumber(), 1);
    // GBK bytes, as every section of the file.
    EXPECT_NE(folder.read("config.ini").find(g("期中考试")), std::string::npos);
    EXPECT_EQ(folder.read("config.ini").find("期中考试"), std::string::npos);

    const PlanStore::Day day = store.activeDay("2026-01-13");
    EXPECT_EQ(u(day.name), "期中考试");
    EXPECT_TRUE(day.autoStart);
    ASSERT_EQ(day.sittings.size(), 2U);
    EXPECT_EQ(u(day.sittings[0].subject), "英语");
    EXPECT_TRUE(store.activeDay("2026-01-15").sittings.empty());
}

TEST_F(PlanStoreFile, AShrunkPlanLeavesNoStaleSittingsOrCues) {
    ExamPlan plan = threeDayPlan();
    plan.cues = defaultPlanCues("/v");
    ASSERT_TRUE(store.save(1, plan));
    ExamPlan smaller = plan;
    std::erase_if(smaller.sittings, [](const PlanSitting& s) { return s.date == "2026-01-13"; });
    smaller.sittings.erase(smaller.sittings.begin() + 1);  // 物理 of the 12th
    smaller.cues.resize(1);
    ASSERT_TRUE(store.save(1, smaller));
    EXPECT_EQ(store.load(1), smaller);
    EXPECT_TRUE(store.daySittings(1, "2026-01-13").empty());
    EXPECT_EQ(store.daySittings(1, "2026-01-12").size(), 2U);
}

TEST_F(PlanStoreFile, RemovingAPlanMovesTheLaterOnesAndTheActiveNumberUp) {
    ExamPlan a = threeDayPlan();
    ExamPlan b;
    b.name = g("月考");
    b.sittings = {sitting("2026-03-02", "数学", "09:00", 120)};
    ExamPlan c;
    c.name = g("期末考试");
    c.sittings = {sitting("2026-06-29", "语文", "08:00", 150)};
    ASSERT_TRUE(store.save(1, a));
    ASSERT_TRUE(store.save(2, b));
    ASSERT_TRUE(store.save(3, c));
    EXPECT_FALSE(store.save(5, c));  // no gaps
    ASSERT_TRUE(store.setActive(3));
    ASSERT_TRUE(store.remove(2));
    EXPECT_EQ(store.planCount(), 2);
    EXPECT_EQ(store.activeNumber(), 2);
    EXPECT_EQ(store.load(2), c);
    EXPECT_TRUE(store.daySittings(3, "2026-06-29").empty());
    ASSERT_TRUE(store.remove(2));
    EXPECT_EQ(store.activeNumber(), 0);
}

TEST_F(PlanStoreFile, AHandEditedBrokenSittingIsSkipped) {
    folder.write("config.ini",
                 "[plans]\r\nactive=1\r\ncount=1\r\n[plan_1]\r\nname=x\r\n"
                 "days=2026-01-12\r\n2026-01-12_1=25:00,120,0001110,A\r\n"
                 "2026-01-12_2=09:00,120,0001110,B\r\n"
                 "2026-01-12_3=10:00,abc,01,C\r\n");
    const auto day = store.activeDay("2026-01-12");
    ASSERT_EQ(day.sittings.size(), 1U);
    EXPECT_EQ(day.sittings[0].subject, "B");
}

TEST_F(PlanStoreFile, TheExamAndCueSectionsReadTheSameBesideAPlan) {
    FakeDialogs dialogs;
    RecordedRows rows;
    rows.examRows[0] = {true, g("数学"), "09:00", g("120分钟")};
    rows.examRows[1] = {true, g("英语"), "15:00", g("90分钟")};
    rows.examRows[2] = {false, g("网页设计"), "09:00", g("120分钟")};
    rows.examRows[3] = {false, g("自习"), "15:00", g("120分钟")};
    SettingsFile file(rows, dialogs, folder.text());
    file.saveExamSettings();
    ASSERT_TRUE(store.save(1, threeDayPlan()));
    ASSERT_TRUE(store.setActive(1));
    // The plan's sections come after the exam sections and hold keys of their own.
    RecordedRows read;
    SettingsFile reader(read, dialogs, folder.text());
    reader.loadSettings();
    for (std::size_t i = 0; i < kExamCount; ++i) {
        EXPECT_EQ(read.examRows[i].enabled, rows.examRows[i].enabled) << i;
        EXPECT_EQ(read.examRows[i].subject, rows.examRows[i].subject) << i;
        EXPECT_EQ(read.examRows[i].start, rows.examRows[i].start) << i;
        EXPECT_EQ(read.examRows[i].duration, rows.examRows[i].duration) << i;
    }
    EXPECT_EQ(folder.read("config.ini").find("[exam_1]"), 0U);
}

TEST_F(PlanStoreFile, ASavedPlanReplacesItsSectionWhereverItStoodAndKeepsTheOthersBytes) {
    // A hand-edited file: the plan's section in other case between two others, a duplicate
    // further down, and a section whose name ends in a GBK character with "]" as trail byte.
    const std::string before =
        "[exam_1]\r\nsubject=A\r\n[ PLAN_1 ]\r\nname=old\r\n"
        "[music_1]\r\nsrc=x\r\n[\x81]]\r\nk=v\r\n[plan_1]\r\nname=dup";
    folder.write("config.ini", before);
    ExamPlan plan = threeDayPlan();
    ASSERT_TRUE(store.save(1, plan));
    const std::string after = folder.read("config.ini");
    EXPECT_EQ(after.find("name=old"), std::string::npos);
    EXPECT_EQ(after.find("name=dup"), std::string::npos);
    EXPECT_EQ(after.rfind("[exam_1]\r\nsubject=A\r\n[music_1]\r\nsrc=x\r\n[\x81]]\r\nk=v\r\n"
                          "[plan_1]\r\n",
                          0),
              0U);
    EXPECT_EQ(store.load(1), plan);
}

TEST_F(PlanStoreFile, AReadOnlyFileKeepsItsOldPlan) {
    ASSERT_TRUE(store.save(1, threeDayPlan()));
    const std::string before = folder.read("config.ini");
    std::filesystem::permissions(folder.path() / "config.ini", std::filesystem::perms::owner_read);
    ExamPlan other;
    other.name = "x";
    EXPECT_FALSE(store.save(1, other));
    EXPECT_EQ(folder.read("config.ini"), before);
    std::filesystem::permissions(folder.path() / "config.ini", std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace exambell::test
