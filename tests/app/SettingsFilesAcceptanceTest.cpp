// config.ini files as offices really have them: saved by Notepad as "Unicode", with lone CRs,
// prepared on a write-protected share, beside a temporary file a killed save left, or no folder
// at all to keep one. The real main window is driven by its controls; what it shows and what the
// files hold afterwards are checked.
#include <QString>
#include <QTest>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "settings/ProfileStore.h"
#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "text/ProgramFolders.h"
#include "ui/ImportWindow.h"
#include "ui/MainWindow.h"

namespace exambell::test {
namespace {

namespace fs = std::filesystem;

// A text as Notepad's "Unicode" saves it: UTF-16 LE after a byte-order mark.
std::string notepadUnicode(const std::string& utf8) {
    const std::u16string units = QString::fromStdString(utf8).toStdU16String();
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The UTF-8 of a UTF-16 LE file with its mark; "" when the file is not one.
std::string fromNotepadUnicode(const std::string& bytes) {
    if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE" || bytes.size() % 2 != 0) {
        return {};
    }
    std::u16string units;
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    return QString::fromStdU16String(units).toStdString();
}

class SettingsFiles : public AppFixture {
  protected:
    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    std::string subject(int n) { return gbkToUtf8(main().examSubject[n]->text()); }
    std::string status() { return gbkToUtf8(main().statusLabel->caption()); }
    std::string recording(const char* name) const {
        return (folder.path() / fs::path(u8"语音文件库") / fs::path(name)).string();
    }
};

// An office's file that Notepad saved as "Unicode": a comment with a character GBK lacks, the
// exams, a cue and a class. The window shows it, the save keeps it UTF-16 with every other line
// as it was, and the next start shows the saved settings.
TEST_F(SettingsFiles, NotepadUnicodeFileIsReadAndSavedInUnicode) {
    const std::string office =
        "; 期末考试 \U0001F514\r\n"
        "[exam_1]\r\nsubject=语文\r\nstart_time=08:30\r\nlong_time=150分钟\r\n"
        "use_is=1\r\n[exam_3]\r\nsubject=物理\r\nuse_is=1\r\n"
        "[music_4]\r\nsrc=" +
        recording("04开考.mp3") + "\r\nuse_is=1\r\n[Class_]\r\nStudent=高一1班:张三,李四\r\n";
    folder.write("config.ini", notepadUnicode(office));
    start();
    EXPECT_EQ(subject(1), "语文");
    EXPECT_EQ(gbkToUtf8(main().examStart[1]->text()), "08:30");
    EXPECT_EQ(gbkToUtf8(main().examDuration[1]->text()), "150分钟");
    EXPECT_TRUE(main().examEnabled[1]->checked());
    EXPECT_FALSE(main().examEnabled[2]->checked());  // not the first-run defaults
    EXPECT_TRUE(main().examEnabled[3]->checked());
    EXPECT_TRUE(main().examStart[3]->widget()->isVisible());
    EXPECT_EQ(subject(3), "物理");
    EXPECT_TRUE(main().cueEnabled[4]->checked());
    EXPECT_FALSE(main().cueEnabled[5]->checked());
    EXPECT_EQ(gbkToUtf8(main().cuePath[4]->text()), recording("04开考.mp3"));

    main().examSubject[1]->setText(utf8ToGbk("数学"));
    click(main().saveButton->widget());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"保存成功"});
    const std::string saved = fromNotepadUnicode(configBytes());
    ASSERT_FALSE(saved.empty()) << "config.ini is no longer UTF-16";
    EXPECT_EQ(saved.find("\r\n[exam_1]\r\nsubject=数学\r\nstart_time=08:30\r\nlong_time=150分钟\r\n"
                         "use_is=1\r\n"),
              saved.find("\r\n"));
    EXPECT_EQ(saved.substr(0, saved.find("\r\n")), "; 期末考试 \U0001F514");
    EXPECT_NE(saved.find("[Class_]\r\nStudent=高一1班:张三,李四\r\n"), std::string::npos);
    EXPECT_NE(saved.find("[exam_2]\r\nsubject=英语\r\nstart_time=15:00"), std::string::npos);
    EXPECT_NE(saved.find("[music_7]\r\nsrc=音频文件路径src://\r\nuse_is=0\r\n"), std::string::npos);

    app.reset();
    dialogs.clear();
    start();
    EXPECT_EQ(subject(1), "数学");
    EXPECT_TRUE(main().examEnabled[3]->checked());
}

// A Unicode file chosen in the import window is read like one in place.
TEST_F(SettingsFiles, NotepadUnicodeFileImports) {
    writeConfig("[exam_1]\r\nsubject=旧\r\n");
    start();
    TempFolder elsewhere;
    const std::string prepared =
        notepadUnicode("[exam_2]\r\nsubject=生物\r\nuse_is=1\r\n[exam_1]\r\nuse_is=1\r\n");
    const fs::path file = elsewhere.write("config.ini", prepared);
    click(main().importButton->widget());
    dialogs.choose(pathText(file));
    click(app->importWindow()->chooseButton->widget());
    EXPECT_EQ(dialogs.texts().back(), "设置成功，即将返回主窗口");
    EXPECT_EQ(configBytes(), prepared);
    EXPECT_EQ(subject(2), "生物");
    EXPECT_EQ(subject(1), "数学");  // the read default: the imported file has no subject
    EXPECT_TRUE(main().examEnabled[2]->checked());
}

// Lines ended by lone CRs (an old Mac editor, a transfer that dropped the LFs): every key is one.
TEST_F(SettingsFiles, LoneCrFileReadsEveryLineAndSaves) {
    folder.write("config.ini",
                 utf8ToGbk("[exam_1]\rsubject=化学\ruse_is=1\rstart_time=10:00\r[exam_2]\r"
                           "subject=历史\ruse_is=0\r[music_5]\rsrc=" +
                           recording("05结束前15分钟.mp3") + "\ruse_is=1\r"));
    start();
    EXPECT_EQ(subject(1), "化学");
    EXPECT_TRUE(main().examEnabled[1]->checked());
    EXPECT_EQ(gbkToUtf8(main().examStart[1]->text()), "10:00");
    EXPECT_EQ(subject(2), "历史");
    EXPECT_FALSE(main().examEnabled[2]->checked());
    EXPECT_TRUE(main().cueEnabled[5]->checked());
    click(main().saveButton->widget());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"保存成功"});
    const std::string saved = configUtf8();
    EXPECT_EQ(saved.substr(0, saved.find("[exam_2]")),
              "[exam_1]\rsubject=化学\r\nuse_is=1\r\nstart_time=10:00\r\nlong_time=120分钟\r\n");
    EXPECT_EQ(gbkToUtf8(ProfileStore::read(joinPath(folder.text(), "config.ini"), "exam_2",
                                           "subject", "")),
              "历史");
}

// A prepared config.ini in a program folder the user cannot write: the window starts from it, the
// status line says where the settings go, and the save goes there leaving the prepared file be.
TEST_F(SettingsFiles, ReadOnlyProgramFolderStartsFromItsPreparedFile) {
    TempFolder configHome;
    const std::string office = utf8ToGbk(
        "[exam_1]\r\nsubject=政治\r\nuse_is=1\r\n[exam_4]\r\nuse_is=1\r\n"
        "[Class_]\r\nStudent=高二3班:王五\r\n");
    folder.write("config.ini", office);
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec |
                               fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(folder.path(), readOnly);
    fs::permissions(configHome.path(), fs::perms::all);
    // Root writes anywhere: the folder is looked at with an ordinary user's rights.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    const ProgramFolders folders =
        locateProgramFolders(folder.path(), configHome.path().c_str(), nullptr, nullptr);
    if (asRoot) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    ASSERT_EQ(folders.prepared, folder.path());
    settingsDir = pathText(folders.settings);
    preparedDir = pathText(folders.prepared);
    const fs::path userConfig = configHome.path() / "exambell/config.ini";

    start();
    EXPECT_EQ(subject(1), "政治");
    EXPECT_TRUE(main().examEnabled[4]->checked());
    EXPECT_FALSE(main().examEnabled[2]->checked());
    EXPECT_EQ(status(), "设置保存在 " + userConfig.string());
    EXPECT_TRUE(main().statusLabel->widget()->isVisible());
    EXPECT_EQ(main().statusLabel->widget()->toolTip().toStdString(), status());

    main().examSubject[1]->setText(utf8ToGbk("地理"));
    click(main().saveButton->widget());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"保存成功"});
    EXPECT_EQ(configBytes(), office);
    const std::string saved = gbkToUtf8(readFile(userConfig));
    EXPECT_NE(saved.find("[exam_1]\r\nsubject=地理\r\n"), std::string::npos);
    EXPECT_NE(saved.find("[Class_]\r\nStudent=高二3班:王五\r\n"), std::string::npos);

    app.reset();
    start();
    EXPECT_EQ(subject(1), "地理");

    // The reset drops the user's changes: the office's prepared settings come back.
    click(main().importButton->widget());
    click(app->importWindow()->resetButton->widget());
    EXPECT_EQ(dialogs.texts().back(), "已重置");
    EXPECT_EQ(subject(1), "政治");
    EXPECT_EQ(configBytes(), office);
}

// A save killed before its rename left config.ini.tmp: start-up removes it, the file is whole.
TEST_F(SettingsFiles, LeftoverTemporaryFileGoesAtStartUp) {
    writeConfig("[exam_1]\r\nsubject=化学\r\nuse_is=1\r\n");
    folder.write("config.ini.tmp", utf8ToGbk("[music_1]\r\nsrc=/半"));
    start();
    EXPECT_FALSE(fs::exists(folder.path() / "config.ini.tmp"));
    EXPECT_EQ(subject(1), "化学");
    EXPECT_EQ(configUtf8(), "[exam_1]\r\nsubject=化学\r\nuse_is=1\r\n");
}

// An installed program run without any home folder has nowhere to keep config.ini: the window
// says so, and the save refuses instead of writing beside the program.
TEST_F(SettingsFiles, WithoutAnySettingsFolderSavesAreRefused) {
    noSettingsFolder = true;
    start();
    EXPECT_TRUE(main().examEnabled[1]->checked());  // first-run defaults
    EXPECT_EQ(status(), "设置无法保存：找不到用户的主文件夹（HOME 未设置）");
    click(main().saveButton->widget());
    EXPECT_EQ(dialogs.texts(),
              std::vector<std::string>{"设置无法保存：找不到用户的主文件夹（HOME 未设置）"});
    click(main().importButton->widget());
    click(app->importWindow()->resetButton->widget());
    EXPECT_EQ(dialogs.texts().back(), "设置无法保存：找不到用户的主文件夹（HOME 未设置）");
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        EXPECT_NE(entry.path().filename().string().rfind("config.ini", 0), 0u) << entry.path();
    }
    EXPECT_FALSE(fs::exists(fs::current_path() / ".tmp"));
}

}  // namespace
}  // namespace exambell::test
