// An installed program keeps config.ini in the user's own folder: the save, the import, the
// reset and the class store all go there, while the recordings are still found beside the program.
#include <QTest>
#include <filesystem>

#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/ImportWindow.h"
#include "ui/MainWindow.h"

namespace exambell::test {
namespace {

namespace fs = std::filesystem;

class SettingsFolder : public AppFixture {
  protected:
    SettingsFolder() { settingsDir = user.text(); }
    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    bool userConfigExists() const { return fs::exists(user.path() / "config.ini"); }

    TempFolder user;
    TempFolder elsewhere;
};

TEST_F(SettingsFolder, SaveImportAndResetUseTheUserFolder) {
    start();
    // The default recordings are the program's.
    EXPECT_EQ(gbkToUtf8(main().cuePath[4]->text()),
              (folder.path() / fs::path(u8"语音文件库/04开考.mp3")).string());
    click(main().saveButton->widget());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"保存成功"});
    EXPECT_TRUE(userConfigExists());
    EXPECT_FALSE(configExists());

    // Start again: the saved settings come back from the user folder.
    main().examSubject[1]->setText(utf8ToGbk("物理"));
    click(main().saveButton->widget());
    app.reset();
    start();
    EXPECT_EQ(gbkToUtf8(main().examSubject[1]->text()), "物理");

    click(main().importButton->widget());
    ImportWindow& window = *app->importWindow();
    const fs::path prepared =
        elsewhere.write("config.ini", utf8ToGbk("[exam_1]\r\nsubject=语文\r\nuse_is=1\r\n"));
    dialogs.choose(pathText(prepared));
    click(window.chooseButton->widget());
    EXPECT_EQ(dialogs.texts().back(), "设置成功，即将返回主窗口");
    EXPECT_EQ(gbkToUtf8(user.read("config.ini")), "[exam_1]\r\nsubject=语文\r\nuse_is=1\r\n");
    EXPECT_EQ(gbkToUtf8(main().examSubject[1]->text()), "语文");
    EXPECT_FALSE(configExists());

    click(main().importButton->widget());
    click(app->importWindow()->resetButton->widget());
    EXPECT_EQ(dialogs.texts().back(), "已重置");
    EXPECT_FALSE(userConfigExists());
}

}  // namespace
}  // namespace exambell::test
