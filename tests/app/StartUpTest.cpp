// Start-up: the first-run defaults, loading config.ini, the exam rows' visibility, the window
// width, and the buttons that open the other windows.
#include <QLineEdit>
#include <QTest>

#include "platform/Dialogs.h"
#include "settings/SettingsFile.h"
#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "ui/ImportWindow.h"
#include "ui/MainWindow.h"
#include "ui/SeatingWindow.h"

namespace exambell::test {
namespace {

using StartUp = AppFixture;

std::string utf8(const Text& gbk) {
    return gbkToUtf8(gbk);
}

// Which of exam n's start, duration and end controls are visible: all three or none.
bool rowShown(MainWindow& w, int n) {
    const bool start = w.examStart[n]->visible();
    EXPECT_EQ(start, w.examDuration[n]->visible());
    EXPECT_EQ(start, w.examEnd[n]->visible());
    EXPECT_TRUE(w.examSubject[n]->visible());
    return start;
}

TEST_F(StartUp, WithoutConfigAppliesTheFirstRunDefaults) {
    start();
    MainWindow& w = main();
    EXPECT_EQ(w.width(), 456);
    EXPECT_TRUE(rowShown(w, 1));
    EXPECT_TRUE(rowShown(w, 2));
    EXPECT_FALSE(rowShown(w, 3));
    EXPECT_FALSE(rowShown(w, 4));
    for (int n = 1; n <= kCueCount; ++n) {
        EXPECT_EQ(w.cueEnabled[n]->checked(), n >= 4 && n <= 6) << n;
    }
    EXPECT_EQ(utf8(w.cuePath[4]->text()), folderUtf8() + "/语音文件库/04开考.mp3");
    EXPECT_EQ(utf8(w.cuePath[7]->text()), folderUtf8() + "/语音文件库/07简短铃音.mp3");
    EXPECT_EQ(utf8(w.examStart[2]->text()), "13:00");
    EXPECT_EQ(utf8(w.examEnd[1]->caption()), "保存自动获取结束时间");
    EXPECT_EQ(utf8(w.fileDialog.initialFolder()), folderUtf8() + "/语音文件库");
    EXPECT_EQ(utf8(w.fileDialog.filter()), "音乐文件(*.mp3;*.wav;*.mid)|*.mp3;*.wav;*.mid");
    EXPECT_FALSE(app->settings().savedFlag());
    EXPECT_FALSE(w.clockLabel->visible());
    EXPECT_FALSE(w.picture->visible());
    EXPECT_FALSE(w.runButton->checked());
    EXPECT_EQ(w.reminderList->rowCount(), 0);
    EXPECT_FALSE(configExists());
    EXPECT_TRUE(dialogs.messages().empty());
    // The design names reach the widgets.
    EXPECT_EQ(widget("科目3时长"), w.examDuration[3]->widget());
    EXPECT_EQ(widget("提醒路径7"), w.cuePath[7]->widget());
    EXPECT_EQ(widget("开始运行按钮"), w.runButton->widget());
}

TEST_F(StartUp, ConfigEnablingExamThreeShowsOnlyThatRow) {
    writeConfig("[exam_3]\r\nuse_is=1\r\n");
    start();
    MainWindow& w = main();
    EXPECT_FALSE(rowShown(w, 1));
    EXPECT_FALSE(rowShown(w, 2));
    EXPECT_TRUE(rowShown(w, 3));
    EXPECT_FALSE(rowShown(w, 4));
}

TEST_F(StartUp, FileWithOnlyExamTwoGivesTheReadDefaults) {
    writeConfig("[exam_2]\r\nstart_time=10:30\r\n");
    start();
    MainWindow& w = main();
    const char* subjects[] = {"", "数学", "英语", "网页设计", "自习"};
    const char* starts[] = {"", "09:00", "10:30", "09:00", "15:00"};
    for (int n = 1; n <= kExamCount; ++n) {
        EXPECT_FALSE(w.examEnabled[n]->checked()) << n;
        EXPECT_EQ(utf8(w.examSubject[n]->text()), subjects[n]);
        EXPECT_EQ(utf8(w.examStart[n]->text()), starts[n]);
        EXPECT_EQ(utf8(w.examDuration[n]->text()), "120分钟");
    }
    for (int n = 1; n <= kCueCount; ++n) {
        EXPECT_FALSE(w.cueEnabled[n]->checked()) << n;
        EXPECT_EQ(utf8(w.cuePath[n]->text()), "音频文件路径src://");
    }
}

TEST_F(StartUp, ReaderOnlyEverChecksBoxes) {
    start();  // first run: exams 1, 2 and cues 4, 5, 6 checked
    writeConfig(
        "[exam_1]\r\nuse_is=0\r\n[exam_4]\r\nuse_is=1\r\n[music_4]\r\nuse_is=0\r\n"
        "[music_1]\r\nuse_is= 1\r\n[music_2]\r\nuse_is=01\r\n[music_3]\r\nuse_is=1\r\n");
    app->startUp();
    MainWindow& w = main();
    EXPECT_TRUE(w.examEnabled[1]->checked());
    EXPECT_TRUE(w.examEnabled[4]->checked());
    EXPECT_TRUE(w.cueEnabled[4]->checked());
    EXPECT_TRUE(w.cueEnabled[1]->checked());  // blanks around a value are dropped
    EXPECT_FALSE(w.cueEnabled[2]->checked());
    EXPECT_TRUE(w.cueEnabled[3]->checked());
    EXPECT_TRUE(rowShown(w, 4));
}

TEST_F(StartUp, GarbageConfigLoadsWithoutHarm) {
    // (Starting with FF FE it would be a UTF-16 file: a NUL comes first.)
    std::string junk("\x00\xFF\xFE[exam_1\r\n=\r\n[exam_1]\r\nsubject=\x81\r\n", 36);
    junk += "start_time=" + std::string(20000, '9') + "\r\n";
    junk += "long_time=\r\n[music_1]\r\nsrc=\xC4\xE3\xFF\x80\r\n";
    folder.write("config.ini", junk);
    start();
    MainWindow& w = main();
    EXPECT_EQ(w.examSubject[1]->text(), "\x81");  // a lone lead byte comes back as is
    EXPECT_EQ(w.examStart[1]->text().size(), std::size_t{10239});  // cut like the profile service
    EXPECT_EQ(w.examDuration[1]->text(), "");                      // an empty value is no default
    EXPECT_EQ(w.cuePath[1]->text(), "\xC4\xE3\xFF\x80");
    EXPECT_EQ(utf8(w.examSubject[2]->text()), "英语");
}

TEST_F(StartUp, ExamCheckBoxShowsAndHidesItsRow) {
    start();
    MainWindow& w = main();
    w.examStart[2]->setText("08:15");
    QTest::mouseClick(w.examEnabled[2]->widget(), Qt::LeftButton);
    EXPECT_FALSE(w.examEnabled[2]->checked());
    EXPECT_FALSE(rowShown(w, 2));
    QTest::mouseClick(w.examEnabled[2]->widget(), Qt::LeftButton);
    EXPECT_TRUE(rowShown(w, 2));
    EXPECT_EQ(w.examStart[2]->text(), "08:15");
}

TEST_F(StartUp, RepeatedStartUpResetsPathsAndSavedFlagButClearsNoBox) {
    start();
    MainWindow& w = main();
    w.cueEnabled[1]->setChecked(true);
    w.cuePath[2]->setText("elsewhere.wav");
    w.examSubject[1]->setText(utf8ToGbk("语文"));
    app->settings().setSavedFlag(true);
    app->startUp();
    EXPECT_TRUE(w.cueEnabled[1]->checked());
    EXPECT_EQ(utf8(w.cuePath[2]->text()), folderUtf8() + "/语音文件库/02开考前8分钟.mp3");
    EXPECT_EQ(utf8(w.examSubject[1]->text()), "语文");
    EXPECT_FALSE(app->settings().savedFlag());
}

TEST_F(StartUp, TipCheckBoxShowsThePicture) {
    start();
    MainWindow& w = main();
    QTest::mouseClick(w.tipAuthor->widget(), Qt::LeftButton);
    EXPECT_TRUE(w.picture->visible());
    EXPECT_TRUE(w.picture->hasPicture());
    QTest::mouseClick(w.tipAuthor->widget(), Qt::LeftButton);
    EXPECT_FALSE(w.picture->visible());
}

TEST_F(StartUp, ButtonsOpenTheSeatingAndImportWindows) {
    start();
    MainWindow& w = main();
    QTest::mouseClick(w.seatingButton->widget(), Qt::LeftButton);
    SeatingWindow* seating = app->seatingWindow();
    ASSERT_NE(seating, nullptr);
    EXPECT_TRUE(seating->isVisible());
    EXPECT_EQ(seating->parentWidget(), &w);
    EXPECT_EQ(seating->windowModality(), Qt::NonModal);
    // Its creation handler has sized the grid from the rows and columns fields (8 x 6).
    EXPECT_EQ(seating->grid->rowCount(), 9);
    EXPECT_EQ(seating->grid->columnCount(), 7);
    seating->close();
    QTest::mouseClick(w.importButton->widget(), Qt::LeftButton);
    ImportWindow* import = app->importWindow();
    ASSERT_NE(import, nullptr);
    EXPECT_TRUE(import->isVisible());
    EXPECT_EQ(import->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(import->parentWidget(), &w);
    import->close();
}

TEST_F(StartUp, FirstRunAsksSavesAndStarts) {
    start();  // the fake clock stands at 08:00
    MainWindow& w = main();
    QTest::mouseClick(w.runButton->widget(), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages().size(), std::size_t{2});
    EXPECT_EQ(dialogs.messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(dialogs.texts()[1], "保存成功");
    EXPECT_TRUE(configExists());
    EXPECT_TRUE(w.runButton->checked());
    EXPECT_EQ(w.width(), 932);
    EXPECT_EQ(w.reminderList->rowCount(), 6);  // exams 1 and 2, cues 4, 5 and 6
    EXPECT_EQ(utf8(w.reminderList->cell(0, 4)), "04开考.mp3");
    QTest::mouseClick(w.runButton->widget(), Qt::LeftButton);
    EXPECT_EQ(w.width(), 456);
}

}  // namespace
}  // namespace exambell::test
