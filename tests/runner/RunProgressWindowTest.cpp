// How a run shows on the main window, driven by the clock: the marks of the reminder rows, the
// countdown, the notice of cues that did not play (never a modal box), the late start and the
// note that edits wait, and exams past midnight.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "runner/RunController.h"
#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"
#include "ui/RunProgressAdapter.h"

namespace exambell::test {
namespace {

constexpr int kMarks = RunProgressAdapter::kMarkColumn;

class RunProgressWindow : public AppFixture {
  protected:
    // Starts the program at the given time with only the listed exams and cues checked.
    void startAt(int hour, int minute, int second = 0, int day = 2) {
        clock.set(2026, 1, day, hour, minute, second, 400);
        start();
        MainWindow& w = main();
        for (int n = 1; n <= kExamCount; ++n) {
            w.examEnabled[n]->setChecked(false);
        }
        for (int n = 1; n <= kCueCount; ++n) {
            w.cueEnabled[n]->setChecked(false);
        }
    }
    void exam(int n, const char* subject, const char* start, const char* duration) {
        MainWindow& w = main();
        w.examEnabled[n]->setChecked(true);
        w.examSubject[n]->setText(utf8ToGbk(subject));
        w.examStart[n]->setText(start);
        w.examDuration[n]->setText(utf8ToGbk(duration));
    }
    void cues(std::initializer_list<int> on) {
        for (int n : on) {
            main().cueEnabled[n]->setChecked(true);
        }
    }
    void run() {
        main().runButton->button()->click();
        ASSERT_TRUE(main().runButton->checked());
        dialogs.clear();
    }
    // Lets time pass up to a time of day (the next one at or after now).
    void advanceTo(int hour, int minute, int second, int millisecond = 0) {
        const LocalTime t = clock.now();
        std::int64_t ms = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond -
                          (((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond);
        clock.advance(ms < 0 ? ms + 86400000 : ms);
    }
    // "time caption mark" of each row.
    std::vector<std::string> rows() {
        ReportList& list = *main().reminderList;
        std::vector<std::string> out;
        for (int r = 0; r < list.rowCount(); ++r) {
            out.push_back(gbkToUtf8(list.cell(r, 2)) + " " + gbkToUtf8(list.cell(r, 3)) + " " +
                          gbkToUtf8(list.cell(r, kMarks)));
        }
        return out;
    }
    std::string notice() { return gbkToUtf8(main().missNotice->text()); }
    std::string caption(TransparentLabel* label) { return gbkToUtf8(label->caption()); }
    RunController& controller() { return app->runController(); }
    // With EXAMBELL_SCREENSHOTS set to a folder, the window as it now looks goes there.
    void screenshot(const char* name) {
        if (const char* dir = std::getenv("EXAMBELL_SCREENSHOTS")) {
            main().grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QString::fromUtf8(name) +
                               QStringLiteral(".png"));
        }
    }
};

using Rows = std::vector<std::string>;

TEST_F(RunProgressWindow, RowsAreMarkedAsTheRunGoesAndTheCountdownNamesTheNextCue) {
    startAt(8, 0);
    exam(1, "数学", "09:00", "120分钟");
    cues({4, 5, 6});
    run();
    MainWindow& w = main();
    EXPECT_EQ(w.reminderList->tree()->headerItem()->text(kMarks), QStringLiteral("状态"));
    EXPECT_EQ(rows(), (Rows{"09:00:00 开考 下一个", "10:45:00 结束前15分钟 ", "11:00:00 结束 "}));
    EXPECT_EQ(w.reminderList->rowTone(0), ReportList::Tone::Highlight);
    EXPECT_TRUE(w.countdownLabel->visible());
    EXPECT_EQ(caption(w.countdownLabel), "下一项：数学 开考  还有 01:00:00");
    advanceTo(8, 59, 30, 500);
    EXPECT_EQ(caption(w.countdownLabel), "下一项：数学 开考  还有 00:00:30");
    advanceTo(9, 0, 1);
    EXPECT_EQ(rows(), (Rows{"09:00:00 开考 已播放 09:00:00", "10:45:00 结束前15分钟 下一个",
                            "11:00:00 结束 "}));
    EXPECT_EQ(w.reminderList->rowTone(0), ReportList::Tone::Done);
    EXPECT_EQ(w.reminderList->rowTone(1), ReportList::Tone::Highlight);
    EXPECT_FALSE(w.missNotice->visible());
    advanceTo(11, 0, 1);
    // The automatic end: the marks stay, the countdown goes.
    EXPECT_FALSE(w.runButton->checked());
    EXPECT_EQ(rows().back(), "11:00:00 结束 已播放 11:00:00");
    EXPECT_FALSE(w.countdownLabel->visible());
}

TEST_F(RunProgressWindow, AFileDeletedAfterTheStartMarksItsRowAndRaisesTheNotice) {
    startAt(8, 0);
    exam(1, "数学", "09:00", "120");
    cues({4, 6});
    run();
    std::filesystem::remove(folder.path() / std::filesystem::path("语音文件库/04开考.mp3"));
    advanceTo(9, 0, 1);
    EXPECT_EQ(rows()[0], "09:00:00 开考 错过：文件不存在");
    EXPECT_EQ(main().reminderList->rowTone(0), ReportList::Tone::Alert);
    EXPECT_TRUE(main().missNotice->visible());
    EXPECT_EQ(notice(), "未能播放：数学 09:00:00 开考（文件不存在）");
    // No message box: nothing waits for the operator, and the run goes on.
    EXPECT_TRUE(dialogs.texts().empty());
    EXPECT_TRUE(main().runButton->checked());
    // The notice stays until dismissed.
    advanceTo(10, 0, 0);
    EXPECT_TRUE(main().missNotice->visible());
    QTest::mouseClick(main().missNotice->dismissButton(), Qt::LeftButton);
    EXPECT_FALSE(main().missNotice->visible());
}

TEST_F(RunProgressWindow, ATwentyMinuteStallMarksTheCuesItSkippedAndRaisesTheNotice) {
    startAt(8, 40);
    exam(1, "数学", "09:00", "120");
    cues({1, 2, 3, 4});
    run();
    clock.stall(19 * 60 * 1000);  // suspended from 08:40 to 08:59
    clock.advance(1000);
    EXPECT_EQ(rows(),
              (Rows{"08:45:00 开考前15分钟 错过：电脑休眠或时钟跳变",
                    "08:52:00 开考前8分钟 错过：电脑休眠或时钟跳变",
                    "08:55:00 开考前5分钟 错过：电脑休眠或时钟跳变", "09:00:00 开考 下一个"}));
    EXPECT_EQ(notice(),
              "未能播放：数学 08:45:00 开考前15分钟（电脑休眠或时钟跳变）；"
              "数学 08:52:00 开考前8分钟（电脑休眠或时钟跳变）；"
              "数学 08:55:00 开考前5分钟（电脑休眠或时钟跳变）");
    EXPECT_TRUE(dialogs.texts().empty());
    EXPECT_TRUE(audio.plays().empty());
    main().examDuration[1]->setText("100");
    clock.advance(1000);
    screenshot("run-progress");
}

TEST_F(RunProgressWindow, WhatTheAudioSideReportsMarksTheRowOfThatPlay) {
    startAt(8, 0);
    exam(1, "数学", "09:00", "60");
    cues({4, 6});
    run();
    advanceTo(9, 0, 1);
    controller().reportMissed(controller().currentPlay(), MissReason::Undecodable);
    EXPECT_EQ(rows()[0], "09:00:00 开考 错过：无法解码");
    EXPECT_EQ(notice(), "未能播放：数学 09:00:00 开考（无法解码）");
    // The device is gone when the end falls due: the cue waits for it, nothing is noticed yet.
    audio.setDeviceOpen(false);
    advanceTo(10, 0, 0, 300);
    EXPECT_EQ(rows()[1], "10:00:00 结束 等待音频设备");
    EXPECT_EQ(main().missNotice->noticeCount(), 1);
    // The device came back thirteen seconds later and the cue sounded then: one outcome, late.
    clock.advance(13000);
    audio.setDeviceOpen(true);
    const FakeAudioOutput::Call last = audio.plays().back();
    audio.sendReport(last.id, last.path, PlayOutcome::Started);
    EXPECT_EQ(rows()[1], "10:00:00 结束 已播放 10:00:13（晚13秒）");
    EXPECT_EQ(main().missNotice->noticeCount(), 1);
    EXPECT_EQ(notice(), "未能播放：数学 09:00:00 开考（无法解码）");
    EXPECT_TRUE(dialogs.texts().empty());
}

TEST_F(RunProgressWindow, TheNoticeOfAMissedLastCueStaysInSightAfterTheRunEndsByItself) {
    startAt(8, 0);
    exam(1, "数学", "09:00", "60");
    cues({4, 6});
    run();
    std::filesystem::remove(folder.path() / std::filesystem::path("语音文件库/06结束.mp3"));
    advanceTo(10, 0, 1);
    MainWindow& w = main();
    EXPECT_FALSE(w.runButton->checked());  // ended by itself
    ASSERT_TRUE(w.missNotice->visible());
    EXPECT_EQ(notice(), "未能播放：数学 10:00:00 结束（文件不存在）");
    // The notice, and the row it names, lie inside the window.
    EXPECT_EQ(w.windowWidth(), MainWindow::kWideWidth);
    EXPECT_LE(w.missNotice->left() + w.missNotice->width(), w.windowWidth());
    EXPECT_EQ(rows()[1], "10:00:00 结束 错过：文件不存在");
    // The design's controls stay where they are.
    EXPECT_EQ(w.runButton->left(), MainWindow::kRunButtonIdleLeft);
    screenshot("notice-after-the-end");
    QTest::mouseClick(w.missNotice->dismissButton(), Qt::LeftButton);
    EXPECT_FALSE(w.missNotice->visible());
    EXPECT_EQ(w.windowWidth(), MainWindow::kNarrowWidth);
}

TEST_F(RunProgressWindow, ACueThatWaitedForTheDeviceInVainAfterTheEndWidensTheWindowForItsNotice) {
    startAt(8, 0);
    exam(1, "数学", "09:00", "60");
    cues({4});
    run();
    audio.setDeviceOpen(false);
    advanceTo(9, 0, 1);
    MainWindow& w = main();
    EXPECT_FALSE(w.runButton->checked());
    EXPECT_EQ(w.windowWidth(), MainWindow::kNarrowWidth);
    const FakeAudioOutput::Call last = audio.plays().back();
    audio.sendReport(last.id, last.path, PlayOutcome::NoDevice);  // it gave up
    EXPECT_EQ(w.windowWidth(), MainWindow::kWideWidth);
    EXPECT_TRUE(w.missNotice->visible());
    EXPECT_EQ(notice(), "未能播放：数学 09:00:00 开考（没有音频设备）");
    EXPECT_EQ(rows()[0], "09:00:00 开考 错过：没有音频设备");
}

TEST_F(RunProgressWindow, TheMinutesBoxTakesNumbersOnlyAndTheNoteSaysWhatAShiftApplied) {
    startAt(8, 30);
    exam(1, "数学", "09:00", "60");
    cues({4, 6});
    run();
    MainWindow& w = main();
    QLineEdit* minutes = w.shiftMinutes->spinBox()->findChild<QLineEdit*>();
    ASSERT_NE(minutes, nullptr);
    minutes->selectAll();
    type(minutes, QStringLiteral("1x"));
    EXPECT_EQ(w.shiftMinutes->text(), "1");  // what the box shows is what applies
    QTest::mouseClick(w.shiftButton->button(), Qt::LeftButton);
    EXPECT_EQ(w.examStart[1]->text(), "09:01");
    EXPECT_TRUE(w.editNote->visible());
    EXPECT_EQ(caption(w.editNote), "已平移：数学 +1分钟，开考 09:01，结束 10:01");
    minutes->selectAll();
    type(minutes, QStringLiteral("10分钟"));
    EXPECT_EQ(w.shiftMinutes->text(), "10");
    // Letters typed over the number do not go in: the box keeps showing what applies.
    minutes->selectAll();
    type(minutes, QStringLiteral("ab"));
    EXPECT_EQ(w.shiftMinutes->text(), "10");
    // An emptied box holds no number: nothing is applied, and the range is said.
    minutes->selectAll();
    QTest::keyClick(minutes, Qt::Key_Backspace);
    QTest::mouseClick(w.shiftButton->button(), Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"平移的分钟数须在-720到720之间"});
    EXPECT_EQ(w.examStart[1]->text(), "09:01");
    dialogs.clear();
    // A start typed during the run is what the shift moves.
    w.examStart[1]->setText("09:30");
    w.shiftMinutes->setValue(5);
    QTest::mouseClick(w.shiftButton->button(), Qt::LeftButton);
    EXPECT_EQ(w.examStart[1]->text(), "09:35");
    EXPECT_EQ(caption(w.examEnd[1]), "结束时间为 10:35");
    EXPECT_EQ(caption(w.editNote),
              "已平移：数学 按新开考时间 09:30 +5分钟，开考 09:35，结束 10:35");
    EXPECT_EQ(rows(), (Rows{"09:35:00 开考 下一个", "10:35:00 结束 "}));
    // Into the day before: refused, said, and nothing moves.
    w.shiftMinutes->setValue(-720);
    QTest::mouseClick(w.shiftButton->button(), Qt::LeftButton);
    EXPECT_EQ(
        dialogs.texts(),
        std::vector<std::string>{"平移后开考时间（21:35）已在前一天，未平移；请改小平移的分钟数"});
    EXPECT_EQ(w.examStart[1]->text(), "09:35");
}

TEST_F(RunProgressWindow, ALateStartMovesOneExamItsBoxesAndBellsAndPlaysNothingTwice) {
    startAt(8, 30);
    exam(1, "数学", "09:00", "60");
    exam(2, "英语", "10:30", "30");
    cues({1, 4, 6, 7});
    run();
    advanceTo(8, 50, 0);
    MainWindow& w = main();
    ASSERT_TRUE(w.shiftButton->widget()->isEnabled());
    ASSERT_EQ(w.shiftExam->count(), 2);
    w.shiftExam->setCurrentIndex(0);
    EXPECT_EQ(gbkToUtf8(w.shiftExam->text()), "数学");
    w.shiftMinutes->setValue(10);
    QTest::mouseClick(w.shiftButton->button(), Qt::LeftButton);
    EXPECT_EQ(w.examStart[1]->text(), "09:10");
    EXPECT_EQ(caption(w.examEnd[1]), "结束时间为 10:10");
    EXPECT_EQ(w.examStart[2]->text(), "10:30");
    EXPECT_EQ(rows(), (Rows{"08:45:00 开考前15分钟 已播放 08:45:00", "09:10:00 开考 下一个",
                            "09:25:00 每隔15分钟 ", "09:40:00 每隔15分钟 ", "09:55:00 每隔15分钟 ",
                            "10:10:00 结束 ", "10:15:00 开考前15分钟 ", "10:30:00 开考 ",
                            "10:45:00 每隔15分钟 ", "11:00:00 结束 "}));
    EXPECT_EQ(gbkToUtf8(w.reminderList->cell(1, 0)), "2");
    EXPECT_EQ(caption(w.countdownLabel), "下一项：数学 开考  还有 00:20:00");
    // A negative move, once the start has sounded: it is not played again.
    advanceTo(9, 10, 30);
    w.shiftMinutes->setValue(-5);
    QTest::mouseClick(w.shiftButton->button(), Qt::LeftButton);
    EXPECT_EQ(w.examStart[1]->text(), "09:05");
    EXPECT_EQ(caption(w.examEnd[1]), "结束时间为 10:05");
    advanceTo(11, 0, 5);
    std::vector<std::string> played;
    for (const auto& c : audio.plays()) {
        const LocalTime at = [&] {
            FakeClock at;
            at.step(c.wallMilliseconds - at.wallMilliseconds());
            return at.now();
        }();
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", at.hour, at.minute, at.second);
        played.push_back(std::string(buf) + " " +
                         std::filesystem::path(gbkToUtf8(c.path)).filename().string());
    }
    EXPECT_EQ(played,
              (std::vector<std::string>{"08:45:00 01开考前15分钟.mp3", "09:10:00 04开考.mp3",
                                        "09:20:00 07简短铃音.mp3", "09:35:00 07简短铃音.mp3",
                                        "09:50:00 07简短铃音.mp3", "10:05:00 06结束.mp3",
                                        "10:15:00 01开考前15分钟.mp3", "10:30:00 04开考.mp3",
                                        "10:45:00 07简短铃音.mp3", "11:00:00 06结束.mp3"}));
}

TEST_F(RunProgressWindow, AShiftedStartIsWhatASaveWrites) {
    startAt(8, 30);
    exam(1, "数学", "09:00", "60");
    cues({4, 6});
    run();
    MainWindow& w = main();
    w.shiftMinutes->setValue(15);
    QTest::mouseClick(w.shiftButton->button(), Qt::LeftButton);
    // Saving pauses the run after a question (answered OK).
    w.saveButton->button()->click();
    EXPECT_NE(configUtf8().find("start_time=09:15"), std::string::npos);
}

TEST_F(RunProgressWindow, EditsDuringARunAreNotedUntilTheNextStartOrAShift) {
    startAt(8, 0);
    exam(1, "数学", "09:00", "120");
    cues({4, 6});
    run();
    MainWindow& w = main();
    clock.advance(1000);
    EXPECT_FALSE(w.editNote->visible());
    w.examDuration[1]->setText("90");
    clock.advance(1000);
    EXPECT_TRUE(w.editNote->visible());
    EXPECT_EQ(caption(w.editNote),
              "考试设置已修改：下次开始运行时生效（平移某场考试时即对该场生效）");
    // A shift by nothing applies the exam's fields as they stand.
    w.shiftMinutes->setValue(0);
    QTest::mouseClick(w.shiftButton->button(), Qt::LeftButton);
    EXPECT_EQ(caption(w.editNote), "已平移：数学 +0分钟，开考 09:00，结束 10:30");
    EXPECT_EQ(rows().back(), "10:30:00 结束 ");
    // A cue switched on waits as well.
    w.cueEnabled[5]->setChecked(true);
    clock.advance(1000);
    EXPECT_EQ(caption(w.editNote),
              "考试设置已修改：下次开始运行时生效（平移某场考试时即对该场生效）");
    // Paused: the note goes.
    w.runButton->button()->click();
    EXPECT_FALSE(w.editNote->visible());
}

TEST_F(RunProgressWindow, AnExamJustAfterMidnightRunsFromTheEveningBefore) {
    startAt(23, 50);
    exam(1, "夜考", "00:10", "30");
    cues({1, 4, 6});
    run();
    EXPECT_EQ(main().windowWidth(), MainWindow::kWideWidth);
    EXPECT_EQ(rows(), (Rows{"23:55:00 开考前15分钟 下一个", "00:10:00 开考 ", "00:40:00 结束 "}));
    advanceTo(0, 40, 1);
    EXPECT_EQ(audio.plays().size(), 3u);
    EXPECT_FALSE(main().runButton->checked());
}

TEST_F(RunProgressWindow, ARestartAfterMidnightListsOnlyWhatIsLeftOfTheNightsExam) {
    startAt(0, 30, 0, 3);
    exam(1, "夜考", "23:00", "120");
    cues({1, 4, 5, 6});
    run();
    EXPECT_EQ(rows(), (Rows{"00:45:00 结束前15分钟 下一个", "01:00:00 结束 "}));
}

}  // namespace
}  // namespace exambell::test
