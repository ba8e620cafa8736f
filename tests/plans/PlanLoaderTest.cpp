// The day's sittings filling the exam rows on the driven clock: at start-up, at midnight, on a
// day without sittings, under a run that crosses midnight, with and without 到点自动开始; and a
// save writing the rows back into the plan.
#include <gtest/gtest.h>

#include "plans/PlanLoader.h"
#include "tests/plans/PlanTestSupport.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempFolder.h"
#include "text/Paths.h"

namespace exambell::test {
namespace {

class PlanLoading : public ::testing::Test {
  protected:
    PlanLoading() {
        for (std::size_t i = 0; i < kExamCount; ++i) {
            rows.examRows[i] = {false, g("自习"), "18:00", g("60分钟")};
        }
        ExamPlan plan = threeDayPlan();
        plan.sittings[0].cues[0] = true;  // 开考前15分钟 for 语文 only
        store.save(1, plan);
        store.setActive(1);
    }

    std::unique_ptr<PlanLoader> makeLoader() {
        PlanLoaderHooks hooks;
        hooks.runActive = [this] { return runActive; };
        hooks.notice = [this](const Text& n) { notices.push_back(u(n)); };
        hooks.autoStart = [this] { ++autoStarts; };
        return std::make_unique<PlanLoader>(rows, clock, config, std::move(hooks));
    }

    std::vector<std::string> subjects() const {
        std::vector<std::string> out;
        for (const ExamSetting& e : rows.examRows) {
            out.push_back(e.enabled ? u(e.subject) + " " + e.start + " " + u(e.duration) : "-");
        }
        return out;
    }

    TempFolder folder;
    Text config = joinPath(folder.text(), "config.ini");
    PlanStore store{config};
    RecordedRows rows;
    FakeClock clock;
    bool runActive = false;
    std::vector<std::string> notices;
    int autoStarts = 0;
};

TEST_F(PlanLoading, StartUpFillsTheRowsWithTodaysSittings) {
    clock.set(2026, 1, 12, 7, 0, 0);
    auto loader = makeLoader();
    loader->loadToday();
    EXPECT_EQ(subjects(), (std::vector<std::string>{"语文 08:00 150分钟", "物理 10:50 90分钟",
                                                    "数学 14:30 120分钟", "-"}));
    // The fourth row keeps its texts, unchecked.
    EXPECT_EQ(u(rows.examRows[3].subject), "自习");
    // A cue sounds for the day when one of its sittings has it.
    EXPECT_TRUE(rows.cueRows[0].enabled);
    EXPECT_FALSE(rows.cueRows[1].enabled);
    EXPECT_TRUE(rows.cueRows[3].enabled);
    EXPECT_EQ(notices,
              (std::vector<std::string>{"已载入考试安排“期中考试” 2026-01-12 星期一 的考试 3 场"}));
    EXPECT_EQ(autoStarts, 0);
    EXPECT_EQ(loader->loadedDate(), "2026-01-12");
}

TEST_F(PlanLoading, MidnightLoadsTheNextDayAndADayWithoutSittingsKeepsTheRows) {
    clock.set(2026, 1, 12, 23, 58, 30);
    auto loader = makeLoader();
    loader->loadToday();
    clock.advance(60'000);  // 23:59:30
    EXPECT_EQ(notices.size(), 1U);
    clock.advance(31'000);  // 00:00:01 of the 13th
    EXPECT_EQ(subjects(),
              (std::vector<std::string>{"英语 08:00 120分钟", "化学 14:30 90分钟", "-", "-"}));
    EXPECT_FALSE(rows.cueRows[0].enabled);
    ASSERT_EQ(notices.size(), 2U);
    EXPECT_EQ(notices[1], "已载入考试安排“期中考试” 2026-01-13 星期二 的考试 2 场");

    clock.advance(2 * 86'400'000LL);  // through the 14th into the 15th, which has no sittings
    ASSERT_EQ(notices.size(), 4U);
    EXPECT_EQ(notices[3], "考试安排“期中考试” 2026-01-15 星期四 没有考试，考试科目保持不变");
    EXPECT_EQ(subjects(),
              (std::vector<std::string>{"生物 09:00 90分钟", "历史 14:00 90分钟", "-", "-"}));
    EXPECT_EQ(loader->loadedDate(), "");
}

TEST_F(PlanLoading, ARunOverMidnightKeepsItsRowsUntilItEnds) {
    clock.set(2026, 1, 12, 23, 0, 0);
    auto loader = makeLoader();
    loader->loadToday();
    runActive = true;
    clock.advance(3'600'000 + 5'000);  // 00:00:05
    EXPECT_EQ(subjects()[0], "语文 08:00 150分钟");
    runActive = false;
    clock.advance(PlanLoader::kWatchMilliseconds);
    EXPECT_EQ(subjects()[0], "英语 08:00 120分钟");
}

TEST_F(PlanLoading, AClockSetForwardIsNoticedWithinAMinute) {
    clock.set(2026, 1, 12, 9, 0, 0);
    auto loader = makeLoader();
    loader->loadToday();
    clock.step(2 * 86'400'000LL);  // the operator sets the date to the 14th
    clock.advance(PlanLoader::kWatchMilliseconds + 10);
    EXPECT_EQ(subjects()[0], "生物 09:00 90分钟");
}

TEST_F(PlanLoading, AutoStartIsAskedForOnlyWhenThePlanWantsIt) {
    ExamPlan plan = store.load(1);
    plan.autoStart = true;
    store.save(1, plan);
    clock.set(2026, 1, 12, 23, 59, 0);
    auto loader = makeLoader();
    loader->loadToday();
    EXPECT_EQ(autoStarts, 1);
    clock.advance(2 * 86'400'000LL);  // the 13th and the 14th
    EXPECT_EQ(autoStarts, 3);
}

TEST_F(PlanLoading, NoActivePlanLeavesEverythingAlone) {
    store.setActive(0);
    clock.set(2026, 1, 12, 7, 0, 0);
    auto loader = makeLoader();
    loader->loadToday();
    EXPECT_EQ(subjects(), (std::vector<std::string>{"-", "-", "-", "-"}));
    EXPECT_TRUE(notices.empty());
}

TEST_F(PlanLoading, ASaveWritesTheRowsBackIntoTheirDay) {
    clock.set(2026, 1, 13, 7, 0, 0);
    auto loader = makeLoader();
    loader->loadToday();
    rows.examRows[1].start = "15:00";  // 化学 half an hour later
    rows.examRows[2] = {true, g("政治"), "17:00", g("60分钟")};
    EXPECT_EQ(loader->writeBack(), "");
    const auto day = store.daySittings(1, "2026-01-13");
    ASSERT_EQ(day.size(), 3U);
    EXPECT_EQ(day[1].start, "15:00");
    EXPECT_EQ(u(day[2].subject), "政治");
    EXPECT_EQ(day[2].duration, 60);
    // The other days are untouched.
    EXPECT_EQ(store.daySittings(1, "2026-01-12").size(), 3U);

    // An overlap is refused naming both, and nothing is written.
    rows.examRows[2].start = "16:00";
    EXPECT_EQ(u(loader->writeBack()),
              "考试安排未更新：化学 15:00-16:30 与 政治 16:00-17:00 时间重叠");
    EXPECT_EQ(store.daySittings(1, "2026-01-13")[2].start, "17:00");
}

TEST_F(PlanLoading, ASaveOnADayWithoutSittingsWritesNothing) {
    clock.set(2026, 1, 20, 7, 0, 0);
    auto loader = makeLoader();
    loader->loadToday();
    rows.examRows[0] = {true, g("数学"), "09:00", g("120分钟")};
    EXPECT_EQ(loader->writeBack(), "");
    EXPECT_TRUE(store.daySittings(1, "2026-01-20").empty());
}

}  // namespace
}  // namespace exambell::test
