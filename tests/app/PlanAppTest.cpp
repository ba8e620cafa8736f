// Exam plans in the whole program on the driven clock: today's sittings in the main window's
// rows at start-up with the notice, 到点自动开始 with and without the check's problems, and a save
// from the main window writing the rows back into the plan.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "plans/PlanStore.h"
#include "runner/RunController.h"
#include "tests/plans/PlanTestSupport.h"
#include "tests/support/AppFixture.h"
#include "text/Paths.h"
#include "ui/MainWindow.h"

namespace exambell::test {
namespace {

// Processes the window's events until done() holds (the first paint, the check's worker).
template <typename Done>
bool eventually(Done done) {
    for (int i = 0; i < 300 && !done(); ++i) {
        QTest::qWait(10);
    }
    return done();
}

class PlanApp : public AppFixture {
  protected:
    // config.ini as a save leaves it (the cues' recordings and switches), then the plan.
    void writePlan(bool autoStart, const std::string& exams = "", bool planCues = false) {
        std::string config = exams;
        const char* files[] = {"01开考前15分钟.mp3", "02开考前8分钟.mp3",  "03开考前5分钟.mp3",
                               "04开考.mp3",         "05结束前15分钟.mp3", "06结束.mp3",
                               "07简短铃音.mp3"};
        for (int n = 1; n <= kCueCount; ++n) {
            config += "[music_" + std::to_string(n) + "]\r\nsrc=" + folderUtf8() + "/语音文件库/" +
                      files[n - 1] + "\r\nuse_is=0\r\n";
        }
        writeConfig(config);
        PlanStore store(joinPath(folder.text(), "config.ini"));
        ExamPlan plan = threeDayPlan();
        plan.autoStart = autoStart;
        if (planCues) {
            // The shipped recordings of other cues stand in for the plan's own.
            const Text voice = joinPath(folder.text(), g("语音文件库"));
            plan.cues = defaultPlanCues(voice);
            plan.cues[0].path = joinPath(voice, g("01开考前15分钟.mp3"));
            plan.cues[1].path = joinPath(voice, g("02开考前8分钟.mp3"));
            plan.cues[2].path = joinPath(voice, g("03开考前5分钟.mp3"));
        }
        ASSERT_TRUE(store.save(1, plan));
        ASSERT_TRUE(store.setActive(1));
    }
    std::string row(int n) {
        MainWindow& w = main();
        if (!w.examEnabled[n]->checked()) {
            return "-";
        }
        EXPECT_TRUE(w.examStart[n]->visible()) << n;
        return u(w.examSubject[n]->text()) + " " + u(w.examStart[n]->text()) + " " +
               u(w.examDuration[n]->text());
    }
};

TEST_F(PlanApp, StartUpShowsTodaysSittingsAndNamesThePlanAndDay) {
    writePlan(false, "[exam_1]\r\nuse_is=1\r\nsubject=自习\r\n[exam_4]\r\nuse_is=1\r\n");
    clock.set(2026, 1, 13, 7, 0, 0);
    start();
    MainWindow& w = main();
    EXPECT_EQ(row(1), "英语 08:00 120分钟");
    EXPECT_EQ(row(2), "化学 14:30 90分钟");
    EXPECT_EQ(row(3), "-");
    EXPECT_EQ(row(4), "-");
    EXPECT_FALSE(w.examStart[4]->visible());
    EXPECT_TRUE(w.planNotice->visible());
    EXPECT_EQ(u(w.planNotice->caption()), "已载入考试安排“期中考试” 2026-01-13 星期二 的考试 2 场");
    EXPECT_EQ(widget("安排提示标签"), w.planNotice->widget());
    EXPECT_FALSE(w.runButton->checked());
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(PlanApp, ASaveWritesTheDayBackAndAStartHidesTheNotice) {
    writePlan(false);
    clock.set(2026, 1, 13, 7, 0, 0);
    start();
    MainWindow& w = main();
    w.examStart[2]->setText("15:00");
    w.saveButton->button()->click();
    EXPECT_EQ(dialogs.texts().back(), "保存成功");
    PlanStore store(joinPath(folder.text(), "config.ini"));
    EXPECT_EQ(store.daySittings(1, "2026-01-13")[1].start, "15:00");
    EXPECT_EQ(store.daySittings(1, "2026-01-12").size(), 3U);

    w.runButton->button()->click();
    EXPECT_TRUE(w.runButton->checked());
    EXPECT_FALSE(w.planNotice->visible());
}

TEST_F(PlanApp, AutoStartStartsTheRunWithoutAQuestion) {
    writePlan(true);
    clock.set(2026, 1, 13, 7, 0, 0);
    start();
    MainWindow& w = main();
    // The start waits for the window's first paint (the audio device opens then).
    ASSERT_TRUE(eventually([&] { return w.runButton->checked(); }));
    EXPECT_TRUE(dialogs.messages().empty());
    ASSERT_GE(w.reminderList->rowCount(), 1);
    EXPECT_EQ(u(w.reminderList->cell(0, 1)), "英语");
}

TEST_F(PlanApp, AutoStartWithAMissingRecordingShowsTheProblemAndStartsNothing) {
    writePlan(true);
    std::filesystem::remove(folder.path() / std::filesystem::path("语音文件库/04开考.mp3"));
    clock.set(2026, 1, 13, 7, 0, 0);
    start();
    MainWindow& w = main();
    ASSERT_TRUE(eventually([&] { return !dialogs.texts().empty(); }));
    EXPECT_FALSE(w.runButton->checked());
    ASSERT_EQ(dialogs.texts().size(), 1U);
    EXPECT_EQ(dialogs.texts()[0].rfind("到点自动开始未执行，请处理以下问题后手动开始：", 0), 0U);
    EXPECT_NE(dialogs.texts()[0].find("04开考.mp3"), std::string::npos);
    EXPECT_EQ(dialogs.texts()[0].find("仍"), std::string::npos);
    EXPECT_NE(u(w.planNotice->caption()).find("到点自动开始未执行"), std::string::npos);
}

std::vector<std::string> reminders(MainWindow& w) {
    std::vector<std::string> out;
    for (int r = 0; r < w.reminderList->rowCount(); ++r) {
        out.push_back(u(w.reminderList->cell(r, 1)) + " " + u(w.reminderList->cell(r, 2)) + " " +
                      u(w.reminderList->cell(r, 3)));
    }
    return out;
}

TEST_F(PlanApp, ThePlansOwnCuesJoinTheRunAndMoveWithALateStart) {
    writePlan(true, "", true);
    clock.set(2026, 1, 13, 7, 0, 0);
    start();
    MainWindow& w = main();
    ASSERT_TRUE(eventually([&] { return w.runButton->checked(); }));
    EXPECT_EQ(reminders(w),
              (std::vector<std::string>{
                  "英语 07:30:00 进场", "英语 08:00:00 开考", "英语 08:15:00 禁止入场",
                  "英语 09:30:00 可以交卷", "英语 09:45:00 结束前15分钟", "英语 10:00:00 结束",
                  "化学 14:00:00 进场", "化学 14:30:00 开考", "化学 14:45:00 禁止入场",
                  "化学 15:30:00 可以交卷", "化学 15:45:00 结束前15分钟", "化学 16:00:00 结束"}));
    EXPECT_EQ(u(w.reminderList->cell(0, 4)), "01开考前15分钟.mp3");

    clock.advance(30 * 60 * 1000 + 500);  // 07:30:00.5
    ASSERT_EQ(audio.plays().size(), 1U);
    EXPECT_EQ(u(audio.plays()[0].path), folderUtf8() + "/语音文件库/01开考前15分钟.mp3");

    // English starts ten minutes late: its cues ahead move, the entry bell that sounded stays.
    clock.advance(10 * 60 * 1000);  // 07:40
    ASSERT_TRUE(app->runController().shiftExam(1, 10));
    std::vector<std::string> english = reminders(w);
    english.resize(6);
    EXPECT_EQ(english,
              (std::vector<std::string>{"英语 07:30:00 进场", "英语 08:10:00 开考",
                                        "英语 08:25:00 禁止入场", "英语 09:40:00 可以交卷",
                                        "英语 09:55:00 结束前15分钟", "英语 10:10:00 结束"}));
    clock.advance(45 * 60 * 1000);  // 08:25
    ASSERT_EQ(audio.plays().size(), 3U);
    EXPECT_EQ(u(audio.plays()[2].path), folderUtf8() + "/语音文件库/02开考前8分钟.mp3");
}

}  // namespace
}  // namespace exambell::test
