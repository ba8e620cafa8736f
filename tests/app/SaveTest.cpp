// Saving the settings: the bytes of a first save, end times, the exam checks and which exams
// get written, missing cue files, and a folder that refuses the writes.
#include <unistd.h>

#include <QTest>
#include <filesystem>

#include "settings/SettingsFile.h"
#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"

namespace exambell::test {
namespace {

std::string utf8(const Text& gbk) {
    return gbkToUtf8(gbk);
}

class Save : public AppFixture {
  protected:
    void SetUp() override { start(); }
    void save() { QTest::mouseClick(main().saveButton->widget(), Qt::LeftButton); }
    void setStart(int n, const char* text) { main().examStart[n]->setText(text); }
    std::string section(const std::string& name) const {
        const std::string all = configUtf8();
        const std::size_t at = all.find("[" + name + "]");
        if (at == std::string::npos) {
            return std::string();
        }
        const std::size_t next = all.find('[', at + 1);
        return all.substr(at, next == std::string::npos ? std::string::npos : next - at);
    }
};

TEST_F(Save, FirstSaveWritesCuesThenExamsInOrder) {
    save();
    const std::string voices = folderUtf8() + "/语音文件库/";
    const char* files[] = {
        "",           "01开考前15分钟.mp3", "02开考前8分钟.mp3", "03开考前5分钟.mp3",
        "04开考.mp3", "05结束前15分钟.mp3", "06结束.mp3",        "07简短铃音.mp3"};
    std::string expected;
    for (int n = 1; n <= 7; ++n) {
        expected += "[music_" + std::to_string(n) + "]\r\nsrc=" + voices + files[n] +
                    "\r\nuse_is=" + (n >= 4 && n <= 6 ? "1" : "0") + "\r\n";
    }
    expected +=
        "[exam_1]\r\nsubject=数学\r\nstart_time=09:00\r\nlong_time=120分钟\r\nuse_is=1\r\n"
        "[exam_2]\r\nsubject=英语\r\nstart_time=13:00\r\nlong_time=120分钟\r\nuse_is=1\r\n"
        "[exam_3]\r\nsubject=网页设计\r\nstart_time=15:00\r\nlong_time=120分钟\r\nuse_is=0\r\n"
        "[exam_4]\r\nsubject=自习\r\nstart_time=18:00\r\nlong_time=120分钟\r\nuse_is=0\r\n";
    EXPECT_EQ(configBytes(), utf8ToGbk(expected));
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"保存成功"});
    EXPECT_EQ(utf8(dialogs.messages()[0].caption), "信息：");
    EXPECT_EQ(dialogs.messages()[0].owner, &main());
    EXPECT_TRUE(app->settings().savedFlag());
    EXPECT_EQ(utf8(main().examEnd[1]->caption()), "结束时间为 11:00");
    EXPECT_EQ(utf8(main().examEnd[4]->caption()), "结束时间为 20:00");
}

TEST_F(Save, StartTimesArePaddedAndEndTimesWrap) {
    setStart(1, "9:5");
    setStart(2, "23:30");
    main().examDuration[2]->setText("90");
    save();
    EXPECT_EQ(utf8(main().examEnd[1]->caption()), "结束时间为 11:05");
    EXPECT_EQ(utf8(main().examEnd[2]->caption()), "结束时间为 01:00");
    EXPECT_NE(section("exam_1").find("start_time=09:05\r\n"), std::string::npos);
    EXPECT_NE(section("exam_2").find("long_time=90\r\n"), std::string::npos);
    // The duration box's text is stored as it is.
    EXPECT_NE(section("exam_1").find("long_time=120分钟\r\n"), std::string::npos);
}

TEST_F(Save, HourOutOfRangeSkipsOnlyThatExam) {
    setStart(1, "24:00");
    save();
    EXPECT_EQ(utf8(main().examEnd[1]->caption()), "结束时间为 02:00");
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"数学的时间设置有错误", "保存成功"}));
    EXPECT_EQ(section("exam_1"), "");
    EXPECT_NE(section("exam_4").find("subject=自习"), std::string::npos);
}

TEST_F(Save, StartWithoutColonStopsTheWalk) {
    setStart(2, "1300");
    save();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"英语的开考时间格式错误", "保存成功"}));
    EXPECT_NE(section("exam_1"), "");
    EXPECT_EQ(section("exam_2"), "");
    EXPECT_EQ(section("exam_3"), "");
    EXPECT_EQ(section("exam_4"), "");
    EXPECT_TRUE(main().examStart[2]->hasFocus());
    EXPECT_EQ(utf8(main().examEnd[2]->caption()), "保存自动获取结束时间");
}

TEST_F(Save, EmptySubjectAndDurationAreRefused) {
    main().examSubject[3]->setText("");
    main().examDuration[2]->setText("");
    save();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"英语的考试时长不能为空", "保存成功"}));
    EXPECT_TRUE(main().examDuration[2]->hasFocus());
    dialogs.clear();
    main().examDuration[2]->setText("60");
    save();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"科目不能为空", "保存成功"}));
    EXPECT_TRUE(main().examSubject[3]->hasFocus());
}

TEST_F(Save, MinuteWithoutDigitsAfterColonIsAFormatError) {
    setStart(1, "9:");
    save();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"数学的开考时间格式错误", "保存成功"}));
}

TEST_F(Save, MissingCueFileWritesNothing) {
    std::filesystem::remove(folder.path() / "语音文件库" / "05结束前15分钟.mp3");
    save();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"结束前15分钟 的音频文件路径不存在"});
    EXPECT_TRUE(main().cuePath[5]->hasFocus());
    EXPECT_FALSE(configExists());
    EXPECT_FALSE(app->settings().savedFlag());
    // A disabled cue is not looked at.
    main().cueEnabled[5]->setChecked(false);
    main().cuePath[1]->setText("");
    dialogs.clear();
    save();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"保存成功"});
}

TEST_F(Save, RefusedWritesReportFailureAndKeepTheOldFile) {
    save();
    ASSERT_TRUE(app->settings().savedFlag());
    const std::string before = configBytes();
    namespace fs = std::filesystem;
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(folder.path() / "config.ini",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    main().examSubject[1]->setText(utf8ToGbk("语文"));
    dialogs.clear();
    // Root writes anywhere: take an ordinary user's rights for the save.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(seteuid(65534), 0);
    }
    save();
    if (root) {
        ASSERT_EQ(seteuid(0), 0);
    }
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"保存失败"});
    EXPECT_FALSE(app->settings().savedFlag());
    EXPECT_EQ(configBytes(), before);
}

TEST(EndTime, WrapsOnceIntoTheDay) {
    EXPECT_EQ(computeEndTime(9, 0, 120), "11:00");
    EXPECT_EQ(computeEndTime(23, 30, 90), "01:00");
    EXPECT_EQ(computeEndTime(0, 0, 1440), "00:00");
    EXPECT_EQ(computeEndTime(0, 5, -10), "23:55");
    EXPECT_EQ(computeEndTime(9, 5, 0), "09:05");
}

}  // namespace
}  // namespace exambell::test
