// The plan window's operations without the window: new plans and their numbers in the file, the
// current plan, the plan cues' checks, and edits refused without changing the plan.
#include <gtest/gtest.h>

#include "plans/PlanEditor.h"
#include "tests/plans/PlanTestSupport.h"
#include "tests/support/TempFolder.h"
#include "text/Paths.h"

namespace exambell::test {
namespace {

const std::array<bool, kCueCount> kCues = {false, false, false, true, true, true, false};

class Editing : public ::testing::Test {
  protected:
    TempFolder folder;
    Text config = joinPath(folder.text(), "config.ini");
    PlanEditor editor{config, "/voice"};
};

TEST_F(Editing, TwoNewPlansSavedTogetherKeepTheirOrderAndTheCurrentOneIsWrittenFirst) {
    editor.reload();
    EXPECT_EQ(editor.plan(), nullptr);
    EXPECT_EQ(u(editor.addSitting({"2026-01-12", g("语文"), "8:00", "150"}, kCues)),
              "考试安排名称不能为空");
    ASSERT_EQ(editor.newPlan(g("期中考试")), "");
    EXPECT_EQ(editor.plan()->cues.size(), 3U);  // 进场, 禁止入场, 可以交卷
    EXPECT_EQ(editor.plan()->cues[0].path, g("/voice/08进场.mp3"));
    ASSERT_EQ(editor.addSitting({"2026/1/12", g("语文"), g("8：00"), "150"}, kCues), "");
    EXPECT_EQ(editor.plan()->sittings[0].date, "2026-01-12");
    EXPECT_EQ(editor.plan()->sittings[0].start, "08:00");
    ASSERT_EQ(editor.newPlan(g("月考")), "");
    ASSERT_EQ(editor.addSitting({"2026-03-02", g("数学"), "09:00", "120"}, kCues), "");
    // The second plan made current before anything was saved: both are written, in order.
    ASSERT_TRUE(editor.setActive(true));
    const PlanStore store(config);
    EXPECT_EQ(store.planCount(), 2);
    EXPECT_EQ(store.activeNumber(), 2);
    EXPECT_EQ(u(store.load(1).name), "期中考试");
    EXPECT_EQ(store.activeDay("2026-03-02").sittings.size(), 1U);
    EXPECT_FALSE(editor.dirty());

    // Removing the first moves the current plan up and keeps it current.
    editor.choose(0);
    ASSERT_TRUE(editor.removePlan());
    EXPECT_EQ(editor.active(), 0);
    EXPECT_EQ(PlanStore(config).activeNumber(), 1);
    EXPECT_EQ(u(PlanStore(config).load(1).name), "月考");
}

TEST_F(Editing, RefusedEditsLeaveThePlanAsItWas) {
    editor.reload();
    ASSERT_EQ(editor.newPlan(g("期中考试")), "");
    ASSERT_EQ(editor.addSitting({"2026-01-12", g("语文"), "08:00", "150"}, kCues), "");
    ASSERT_EQ(editor.addSitting({"2026-01-12", g("数学"), "14:30", "120"}, kCues), "");
    const ExamPlan before = *editor.plan();
    // The start box's tidying (25:10 is 23:59) and the duration box's (0 is refused).
    EXPECT_EQ(u(editor.replaceSitting(0, {"2026-01-12", g("语文"), "08:00", "0"})),
              "时长不能为0或空值，请重新输入");
    EXPECT_EQ(u(editor.replaceSitting(1, {"2026-01-12", g("数学"), "09:00", "60"})),
              "语文 08:00-10:30 与 数学 09:00-10:00 时间重叠");
    EXPECT_EQ(u(editor.moveDay(0, "abc")), "平移分钟数错误");
    EXPECT_EQ(u(editor.copyDay(0, "2026-02-30")), "日期格式错误");
    EXPECT_EQ(u(editor.removeSitting(7)), "请先在列表中选择一场考试");
    EXPECT_EQ(*editor.plan(), before);

    EXPECT_EQ(u(editor.addCue({g(""), 0, "-30", ""})), "提醒名称不能为空");
    EXPECT_EQ(u(editor.addCue({g("收卷"), 1, "3O", ""})), "提醒分钟数错误");
    EXPECT_EQ(u(editor.addCue({g("收卷"), 1, "1440", ""})), "提醒分钟数错误");
    EXPECT_EQ(*editor.plan(), before);
    ASSERT_EQ(editor.addCue({g("收卷"), 1, "+5", "/voice/x.mp3"}), "");
    EXPECT_EQ(editor.plan()->cues.back().anchor, CueAnchor::End);
    EXPECT_EQ(editor.plan()->cues.back().offset, 5);
    // An unsaved plan is not in the file.
    EXPECT_EQ(PlanStore(config).planCount(), 0);
}

}  // namespace
}  // namespace exambell::test
