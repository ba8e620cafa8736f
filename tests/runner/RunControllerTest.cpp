#include "runner/RunController.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>

#include "tests/runner/FakeAudioOutput.h"
#include "tests/runner/RunnerTestData.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeDialogs.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowAdapter.h"

namespace exambell {
namespace {

using test::g;
using test::u;

// The main window with a driven clock, scripted message boxes and a recording audio output. The
// settings operations are stand-ins that record their calls.
class RunWindow : public ::testing::Test {
  protected:
    RunWindow() {
        // As the main window's binder connects it.
        QObject::connect(window.runButton, &ImageButton::clicked, &bindings,
                         [this] { run.toggleRun(); });
        for (int n = 1; n <= kExamCount; ++n) {
            window.examEnabled[n]->setChecked(false);
        }
        for (int n = 1; n <= kCueCount; ++n) {
            window.cueEnabled[n]->setChecked(false);
            window.cuePath[n]->setText(g("/voice/0") + std::to_string(n) + ".mp3");
        }
        window.setWindowWidth(MainWindow::kNarrowWidth);
        clock.set(2026, 1, 2, 8, 0, 0, 300);  // a Friday
    }

    void exam(int n, const char* subject, const char* start, const char* duration) {
        window.examEnabled[n]->setChecked(true);
        window.examSubject[n]->setText(g(subject));
        window.examStart[n]->setText(start);
        window.examDuration[n]->setText(g(duration));
    }
    void enableCues(std::initializer_list<int> cues) {
        for (int n : cues) {
            window.cueEnabled[n]->setChecked(true);
        }
    }
    void click() { window.runButton->button()->click(); }
    // Time passes on the driven clock until the given time of the day.
    void runUntil(int hour, int minute, int second, int millisecond = 500) {
        LocalTime now = clock.now();
        std::int64_t target = (hour * 3600LL + minute * 60 + second) * 1000 + millisecond;
        std::int64_t current =
            (now.hour * 3600LL + now.minute * 60 + now.second) * 1000 + now.millisecond;
        clock.advance(target - current);
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (int r = 0; r < window.reminderList->rowCount(); ++r) {
            std::string row;
            for (int c = 0; c < 5; ++c) {
                row += (c ? " " : "") + u(window.reminderList->cell(r, c));
            }
            out.push_back(row);
        }
        return out;
    }
    void expectIdleLayout() {
        EXPECT_EQ(window.windowWidth(), MainWindow::kNarrowWidth);
        EXPECT_EQ(window.runButton->left(), MainWindow::kRunButtonIdleLeft);
        EXPECT_EQ(u(window.runButton->tooltip()), "开始运行");
        EXPECT_FALSE(window.clockLabel->visible());
        EXPECT_FALSE(window.runButton->checked());
        EXPECT_FALSE(window.runButton->disabled());
    }
    void expectRunningLayout() {
        EXPECT_EQ(window.windowWidth(), MainWindow::kWideWidth);
        EXPECT_EQ(window.runButton->left(), MainWindow::kRunButtonRunningLeft);
        EXPECT_EQ(u(window.runButton->tooltip()), "暂停运行");
        EXPECT_TRUE(window.clockLabel->visible());
        EXPECT_TRUE(window.runButton->checked());
        EXPECT_FALSE(window.runButton->disabled());
    }

    MainWindow window;
    test::FakeClock clock;
    test::FakeAudioOutput audio{clock, 3000};
    test::FakeDialogs dialogs;
    bool saved = true;
    bool cueFilesOk = true;
    int saves = 0;
    int examSaves = 0;
    std::vector<int> played;
    MainWindowAdapter view{window};
    RunController run{view,
                      view,
                      clock,
                      dialogs,
                      audio,
                      RunOperations{[this] { return cueFilesOk; },
                                    [this] { return saved; },
                                    [this] {
                                        ++saves;
                                        saved = true;
                                    },
                                    [this] { ++examSaves; },
                                    [this](int cue) {
                                        audio.stopAllAudio();
                                        audio.playCompressedFile(window.cuePath[cue]->text());
                                        played.push_back(cue);
                                    },
                                    {},
                                    {}}};
    QObject bindings;
};

TEST_F(RunWindow, AStartListsTheCuesPlaysThemAtTheirSecondsAndEndsByItself) {
    exam(1, "数学", "09:00", "120分钟");
    enableCues({4, 5, 6});
    window.cuePath[4]->setText(g("/voice/04开考.mp3"));
    click();
    EXPECT_EQ(rows(), (std::vector<std::string>{"1 数学 09:00:00 开考 04开考.mp3",
                                                "2 数学 10:45:00 结束前15分钟 05.mp3",
                                                "3 数学 11:00:00 结束 06.mp3"}));
    expectRunningLayout();
    EXPECT_EQ(examSaves, 1);
    EXPECT_TRUE(dialogs.messages().empty());

    runUntil(8, 59, 59, 900);
    EXPECT_TRUE(played.empty());
    runUntil(9, 0, 0, 100);
    EXPECT_EQ(played, (std::vector<int>{4}));
    EXPECT_EQ(u(window.clockLabel->caption()), "星期五  09:00:00");
    // A path changed during the run takes effect when its cue plays.
    window.cuePath[6]->setText(g("/other/end.mp3"));
    runUntil(10, 59, 59);
    EXPECT_EQ(played, (std::vector<int>{4, 5}));
    expectRunningLayout();
    runUntil(11, 0, 0, 100);
    EXPECT_EQ(played, (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(audio.plays().back().path, g("/other/end.mp3"));
    expectIdleLayout();
    EXPECT_EQ(window.reminderList->rowCount(), 3);  // the rows stay after the run
}

TEST_F(RunWindow, TheClockLabelShowsTheDayAndTimeOnEveryTick) {
    // Setting the clock leaves the tick armed for the second it expected; it lands once, then
    // follows the new time.
    clock.set(2026, 1, 2, 18, 45, 44, 500);
    clock.advance(1100);
    EXPECT_EQ(u(window.clockLabel->caption()), "星期五  18:45:45");
    clock.set(2026, 1, 4, 0, 0, 0, 500);
    clock.advance(1000);
    EXPECT_EQ(u(window.clockLabel->caption()), "星期日  00:00:01");
    clock.set(2026, 1, 3, 23, 59, 58, 990);
    clock.advance(1000);
    EXPECT_EQ(u(window.clockLabel->caption()), "星期六  23:59:59");
}

TEST_F(RunWindow, AClickWhileRunningPausesAndTheNextStartRebuildsTheCues) {
    exam(1, "数学", "09:00", "120");
    enableCues({4, 6});
    click();
    expectRunningLayout();
    click();
    expectIdleLayout();
    EXPECT_EQ(window.reminderList->rowCount(), 2);
    runUntil(9, 0, 5);
    EXPECT_TRUE(played.empty());  // no cue plays while paused
    click();
    EXPECT_EQ(rows(), (std::vector<std::string>{"1 数学 11:00:00 结束 06.mp3"}));
    runUntil(11, 0, 1);
    EXPECT_EQ(played, (std::vector<int>{6}));
    expectIdleLayout();
}

TEST_F(RunWindow, APauseLetsTheCueSoundOnAndEditsWaitForTheNextStart) {
    exam(1, "数学", "09:00", "120");
    enableCues({4, 6});
    click();
    window.examStart[1]->setText("10:00");  // the running schedule stays as it was started
    runUntil(9, 0, 1);
    EXPECT_EQ(played, (std::vector<int>{4}));
    const std::size_t calls = audio.calls.size();
    click();
    EXPECT_EQ(audio.calls.size(), calls);  // nothing stopped
    EXPECT_FALSE(audio.isIdle());
    expectIdleLayout();
}

TEST_F(RunWindow, TheWholeMinutesBeforeAStartDecideItsFirstCue) {
    exam(1, "数学", "09:00", "120");
    enableCues({1});
    clock.setTime(8, 45, 10);
    click();  // G = 15: nothing to announce
    ASSERT_EQ(dialogs.messages().size(), 1u);
    expectIdleLayout();
    clock.setTime(8, 44, 59);
    click();  // G = 16
    EXPECT_EQ(rows(), (std::vector<std::string>{"1 数学 08:45:00 开考前15分钟 01.mp3"}));
    expectRunningLayout();
}

TEST_F(RunWindow, AMissingCueFileKeepsTheWindowIdle) {
    exam(1, "数学", "09:00", "120");
    enableCues({4});
    cueFilesOk = false;
    click();
    expectIdleLayout();
    EXPECT_EQ(window.reminderList->rowCount(), 0);
    EXPECT_EQ(examSaves, 0);
}

TEST_F(RunWindow, TheFirstStartAsksForConfirmationAndYesSaves) {
    exam(1, "数学", "09:00", "120");
    enableCues({4});
    saved = false;
    dialogs.answer(kNo);
    click();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(u(dialogs.messages()[0].text), "请核对设置是否正确，确认后才可以开始运行");
    EXPECT_EQ(dialogs.messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(saves, 0);
    expectIdleLayout();

    dialogs.answer(kYes);
    click();
    EXPECT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(saves, 1);
    expectRunningLayout();
    click();
    click();  // saved now: no question
    EXPECT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(saves, 1);
    expectRunningLayout();
}

TEST_F(RunWindow, NothingAheadIsRefusedWithAMessage) {
    click();  // no exam enabled
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(u(dialogs.messages()[0].text), "本次时间设置无实际作用，请修改");
    expectIdleLayout();
    exam(1, "数学", "07:00", "30");  // over before 08:00
    enableCues({1, 4, 5, 6, 7});
    click();
    EXPECT_EQ(dialogs.messages().size(), 2u);
    expectIdleLayout();
    EXPECT_EQ(examSaves, 0);
}

TEST_F(RunWindow, TwoExamsAtOneMinutePlayTheirStartOnce) {
    exam(1, "数学", "09:00", "120");
    exam(2, "英语", "09:00", "60");
    enableCues({4});
    click();
    EXPECT_EQ(window.reminderList->rowCount(), 2);
    runUntil(9, 0, 30);
    EXPECT_EQ(played, (std::vector<int>{4}));
    expectIdleLayout();  // both entries removed: the run has ended
}

TEST_F(RunWindow, CoincidingCuesOfTwoExamsPlayOneAfterTheOther) {
    exam(1, "数学", "08:15", "45");  // ends 09:00
    exam(2, "英语", "09:15", "60");  // 15 minutes before its start: 09:00
    enableCues({1, 6});
    click();
    runUntil(9, 0, 1);
    EXPECT_EQ(played, (std::vector<int>{6}));
    runUntil(9, 0, 10);
    EXPECT_EQ(played, (std::vector<int>{6, 1}));
    runUntil(10, 15, 1);
    EXPECT_EQ(played, (std::vector<int>{6, 1, 6}));
    expectIdleLayout();
}

TEST_F(RunWindow, ACueFallingDueDuringTheSlidePlays) {
    exam(1, "数学", "08:01", "60");
    enableCues({4});
    clock.setTime(8, 0, 58, 0);
    clock.advance(1500);
    // The driven clock passes 08:01:00 while the button slides, inside the slide's waits.
    QTimer::singleShot(2, [this] { clock.advance(600); });
    click();
    EXPECT_EQ(played, (std::vector<int>{4}));
    expectIdleLayout();  // it was the last cue: the run ended right after its start
}

TEST_F(RunWindow, AMessageDuringTheStartPlaysNoStaleCue) {
    exam(1, "数学", "09:00", "120");
    enableCues({4});
    click();
    click();
    // A later start whose exam check shows a message while 09:00:00 passes.
    clock.setTime(8, 59, 59, 900);
    window.examStart[1]->setText("10:00");
    saved = false;
    dialogs.onMessage = [this](const test::FakeDialogs::Message&) { clock.advance(500); };
    click();
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(rows(), (std::vector<std::string>{"1 数学 10:00:00 开考 04.mp3"}));
}

}  // namespace
}  // namespace exambell
