// The whole program with the driven clock and a recording audio output: the run button goes
// through the real settings checks and save, and a due cue plays through the cue rows' audio.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "runner/RunController.h"
#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"

namespace exambell::test {
namespace {

class RunWiring : public AppFixture {
  protected:
    void startWithClock() {
        clock.set(2026, 1, 2, 8, 0, 0, 400);
        start();
    }
};

TEST_F(RunWiring, TheFirstStartSavesAfterTheQuestionAndTheStartCuePlaysItsRecording) {
    startWithClock();
    MainWindow& w = main();
    w.runButton->button()->click();
    const std::vector<std::string> texts = dialogs.texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], "请核对设置是否正确，确认后才可以开始运行");
    EXPECT_EQ(texts.back(), "保存成功");
    EXPECT_TRUE(configExists());
    EXPECT_TRUE(w.runButton->checked());
    EXPECT_EQ(w.windowWidth(), MainWindow::kWideWidth);
    ASSERT_GE(w.reminderList->rowCount(), 1);
    EXPECT_EQ(gbkToUtf8(w.reminderList->cell(0, 2)), "09:00:00");
    EXPECT_EQ(gbkToUtf8(w.reminderList->cell(0, 4)), "04开考.mp3");

    clock.advance(3600 * 1000);
    ASSERT_EQ(audio.plays().size(), 1u);
    EXPECT_EQ(audio.plays()[0].what, "compressed");
    EXPECT_EQ(gbkToUtf8(audio.plays()[0].path), folderUtf8() + "/语音文件库/04开考.mp3");

    // A second start after a pause asks nothing.
    w.runButton->button()->click();
    EXPECT_EQ(w.windowWidth(), MainWindow::kNarrowWidth);
    dialogs.clear();
    w.runButton->button()->click();
    EXPECT_TRUE(dialogs.texts().empty());
    EXPECT_TRUE(w.runButton->checked());
}

TEST_F(RunWiring, AnEnabledCueWithoutItsFileStaysIdle) {
    std::filesystem::remove(folder.path() / std::filesystem::path("语音文件库/05结束前15分钟.mp3"));
    startWithClock();
    MainWindow& w = main();
    w.runButton->button()->click();
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0], "结束前15分钟 的音频文件路径不存在");
    EXPECT_FALSE(w.runButton->checked());
    EXPECT_EQ(w.windowWidth(), MainWindow::kNarrowWidth);
    EXPECT_FALSE(configExists());
}

}  // namespace
}  // namespace exambell::test
