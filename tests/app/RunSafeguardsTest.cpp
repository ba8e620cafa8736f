// What guards a run in the whole program: the check before a start, the computer kept awake while
// the run is active, the question when the main window closes during a run, and the status line.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "runner/RunController.h"
#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"

namespace exambell::test {
namespace {

constexpr const char* kCloseQuestion = "考试提醒正在运行，关闭窗口将停止运行。确定要关闭吗？";

class RunSafeguardsTest : public AppFixture {
  protected:
    // Started at 08:00:00.400 on the first-run defaults (exams 1 and 2, cues 4, 5 and 6) and
    // saved, so a start asks nothing.
    void startSaved() {
        clock.set(2026, 1, 2, 8, 0, 0, 400);
        start();
        main().saveButton->button()->click();
        dialogs.clear();
    }
    void clickRun() { main().runButton->button()->click(); }
    std::string status() { return gbkToUtf8(main().statusLabel->caption()); }
};

TEST_F(RunSafeguardsTest, AnUndecodableCueFileIsListedAndNoKeepsTheProgramIdle) {
    folder.write("语音文件库/05结束前15分钟.mp3", "not a sound at all");
    startSaved();
    dialogs.answer(kNo);
    clickRun();
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0],
              "开始运行前检查发现以下问题：\r\n"
              "1. 结束前15分钟 的音频文件无法解码：05结束前15分钟.mp3\r\n"
              "是否仍然开始运行？");
    EXPECT_EQ(dialogs.messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(gbkToUtf8(dialogs.messages()[0].caption), "信息：");
    EXPECT_FALSE(main().runButton->checked());
    EXPECT_EQ(main().windowWidth(), MainWindow::kNarrowWidth);
    EXPECT_TRUE(fakeInhibitor.calls.empty());

    dialogs.clear();
    dialogs.answer(kYes);  // start anyway
    clickRun();
    EXPECT_TRUE(main().runButton->checked());
    EXPECT_EQ(main().windowWidth(), MainWindow::kWideWidth);
}

TEST_F(RunSafeguardsTest, TheCheckComesBeforeTheConfirmationAndNamesAMissingDeviceAndClock) {
    clock.set(2026, 1, 2, 8, 0, 0, 400);
    start();
    audio.setDeviceOpen(false);
    EXPECT_EQ(status(), "没有音频设备，提醒无法播放");
    clockSync.state = ClockSyncState::NotSynchronised;
    dialogs.answer(kYes);
    dialogs.answer(kNo);  // the confirmation of unsaved settings
    clickRun();
    ASSERT_EQ(dialogs.texts().size(), 2u);
    EXPECT_EQ(dialogs.texts()[0],
              "开始运行前检查发现以下问题：\r\n"
              "1. 没有可用的音频设备，提醒将无法播放\r\n"
              "2. 系统时钟未与网络时间同步，提醒的时刻可能不准\r\n"
              "是否仍然开始运行？");
    EXPECT_EQ(dialogs.texts()[1], "请核对设置是否正确，确认后才可以开始运行");
    EXPECT_EQ(audio.retries, 1);
    EXPECT_FALSE(main().runButton->checked());
    audio.setDeviceOpen(true);
    EXPECT_EQ(status(), "");
}

TEST_F(RunSafeguardsTest, TheComputerIsKeptAwakeFromTheStartToThePauseAndToTheAutomaticEnd) {
    startSaved();
    clickRun();
    EXPECT_EQ(fakeInhibitor.calls, std::vector<std::string>{"hold"});
    clickRun();
    EXPECT_EQ(fakeInhibitor.calls, (std::vector<std::string>{"hold", "release"}));

    fakeInhibitor.calls.clear();
    fakeInhibitor.available = false;
    clickRun();
    EXPECT_EQ(status(), "无法阻止电脑休眠，请关闭自动休眠");
    // Exam 2 (13:00, 120 minutes) ends at 15:00, the last cue; the run then ends by itself.
    clock.advance((7 * 3600 + 1) * 1000);
    EXPECT_FALSE(main().runButton->checked());
    EXPECT_EQ(fakeInhibitor.calls, (std::vector<std::string>{"hold", "release"}));
    EXPECT_EQ(status(), "");
}

TEST_F(RunSafeguardsTest, ClosingTheWindowDuringARunAsksAndNoKeepsRunAndWindow) {
    startSaved();
    clickRun();
    ASSERT_TRUE(main().runButton->checked());
    dialogs.answer(kNo);
    EXPECT_FALSE(main().close());
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0], kCloseQuestion);
    EXPECT_EQ(dialogs.messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(gbkToUtf8(dialogs.messages()[0].caption), "信息：");
    EXPECT_TRUE(main().isVisible());
    EXPECT_TRUE(main().runButton->checked());
    clock.advance(3600 * 1000);  // the run goes on: 09:00 开考 plays
    EXPECT_EQ(audio.plays().size(), 1u);

    dialogs.clear();
    dialogs.answer(kYes);
    EXPECT_TRUE(main().close());
    EXPECT_EQ(dialogs.texts().size(), 1u);
    EXPECT_FALSE(main().isVisible());
    EXPECT_FALSE(main().runButton->checked());
    EXPECT_EQ(fakeInhibitor.calls.back(), "release");
    clock.advance(2 * 3600 * 1000);
    EXPECT_EQ(audio.plays().size(), 1u);  // nothing more plays
}

TEST_F(RunSafeguardsTest, ClosingTheIdleWindowAsksNothing) {
    startSaved();
    EXPECT_TRUE(main().close());
    EXPECT_TRUE(dialogs.texts().empty());
}

}  // namespace
}  // namespace exambell::test
