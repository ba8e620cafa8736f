// Whole-file settings changes driven through the windows: the save button during a run, import by
// dropping a file and by the file dialog, and the factory reset; also what a folder that refuses
// writes does to each.
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "settings/SettingsFile.h"
#include "settings/SettingsMaintenance.h"
#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/ImportWindow.h"
#include "ui/MainWindow.h"

namespace exambell::test {
namespace {

namespace fs = std::filesystem;

std::string utf8(const Text& gbk) {
    return gbkToUtf8(gbk);
}

// A settings file as another machine would have prepared it (UTF-8 here, GBK on disk).
const char* const kPrepared =
    "[exam_1]\r\nsubject=语文\r\nstart_time=08:30\r\nlong_time=150分钟\r\nuse_is=1\r\n";

// Runs f with an ordinary user's rights over a folder made read-only: root writes anywhere.
template <typename F>
void withReadOnlyFolder(const fs::path& folder, F f) {
    fs::permissions(folder,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(seteuid(65534), 0);
    }
    f();
    if (root) {
        ASSERT_EQ(seteuid(0), 0);
    }
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
}

class Maintenance : public AppFixture {
  protected:
    void SetUp() override { start(); }

    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

    ImportWindow& openImport() {
        click(main().importButton->widget());
        ImportWindow* window = app->importWindow();
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        return *window;
    }

    // Drops files (native paths) on a control of the import window, as the desktop does.
    void drop(ImportWindow& window, const std::vector<fs::path>& files, QWidget* onto) {
        QList<QUrl> urls;
        for (const auto& f : files) {
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(f.string())));
        }
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = onto->mapTo(&window, onto->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
    }

    // A file elsewhere on the machine, in GBK on disk.
    fs::path prepared(const std::string& name) {
        return elsewhere.write(name, utf8ToGbk(kPrepared));
    }

    void startRun() {
        save();  // saved once, so the start asks nothing
        dialogs.clear();
        click(main().runButton->widget());
        ASSERT_TRUE(main().runButton->checked());
        ASSERT_EQ(main().width(), MainWindow::kWideWidth);
    }
    void save() { click(main().saveButton->widget()); }

    TempFolder elsewhere;
};

TEST_F(Maintenance, SaveWhileIdleAsksNothing) {
    save();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"保存成功"});
    EXPECT_TRUE(configExists());
}

TEST_F(Maintenance, SaveDuringARunCancelledKeepsTheRunAndTheFile) {
    startRun();
    const std::string before = configBytes();
    main().examSubject[1]->setText(utf8ToGbk("物理"));
    dialogs.answer(kCancel);
    save();
    ASSERT_EQ(dialogs.texts(), std::vector<std::string>{"保存后程序会暂停运行，是否继续保存"});
    EXPECT_EQ(dialogs.messages()[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(dialogs.messages()[0].owner, nullptr);
    EXPECT_EQ(configBytes(), before);
    EXPECT_TRUE(main().runButton->checked());
    EXPECT_EQ(main().width(), MainWindow::kWideWidth);
}

TEST_F(Maintenance, SaveDuringARunConfirmedWritesAndPauses) {
    startRun();
    main().examSubject[1]->setText(utf8ToGbk("物理"));
    dialogs.answer(kOk);
    save();
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"保存后程序会暂停运行，是否继续保存", "保存成功"}));
    EXPECT_NE(configUtf8().find("subject=物理"), std::string::npos);
    EXPECT_FALSE(main().runButton->checked());
    EXPECT_EQ(main().width(), MainWindow::kNarrowWidth);
    EXPECT_EQ(main().runButton->left(), MainWindow::kRunButtonIdleLeft);
    EXPECT_FALSE(main().clockLabel->visible());
}

TEST_F(Maintenance, DroppedConfigIsCopiedAndReloadsTheMainWindow) {
    const fs::path source = prepared("config.ini");
    ImportWindow& window = openImport();
    QPointer<ImportWindow> guard(&window);
    drop(window, {source}, window.pathEdit->widget());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"设置成功，即将返回主窗口"});
    EXPECT_EQ(dialogs.messages()[0].owner, &window);
    EXPECT_EQ(configBytes(), utf8ToGbk(kPrepared));
    EXPECT_EQ(utf8(main().examSubject[1]->text()), "语文");
    EXPECT_EQ(utf8(main().examStart[1]->text()), "08:30");
    EXPECT_FALSE(app->settings().savedFlag());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull() || !guard->isVisible());
}

TEST_F(Maintenance, WrongNamesAndSeveralFilesAreRefused) {
    save();
    const std::string before = configBytes();
    ImportWindow& window = openImport();
    dialogs.clear();
    drop(window, {prepared("Config.ini")}, window.dropHint);
    drop(window, {prepared("config.ini"), elsewhere.path() / "config.ini"}, &window);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"选择的配置文件错误\r\n请上传 config.ini",
                                        "选择的配置文件错误\r\n请上传 config.ini"}));
    EXPECT_EQ(configBytes(), before);
    EXPECT_TRUE(window.isVisible());
    // Several names stand in the path box one per line.
    const Text shown = window.pathEdit->text();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 2);
}

TEST_F(Maintenance, DialogRemembersTheWrongFileAndCancelShowsNothingMore) {
    ImportWindow& window = openImport();
    const Text wrong = pathText(prepared("settings.ini"));
    dialogs.choose(wrong);
    click(window.chooseButton->widget());
    dialogs.chooseNothing();
    click(window.chooseButton->widget());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"选择的配置文件错误\r\n请上传 config.ini"});
    EXPECT_EQ(window.pathEdit->text(), wrong);
    ASSERT_EQ(dialogs.fileRequests().size(), std::size_t{2});
    EXPECT_EQ(dialogs.fileRequests()[0].folder, folder.text());
    EXPECT_EQ(utf8(dialogs.fileRequests()[0].filter), "配置文件(*.ini)|*.ini");
    EXPECT_EQ(dialogs.fileRequests()[1].fileName, wrong);
    EXPECT_FALSE(configExists());

    dialogs.choose(pathText(prepared("config.ini")));
    click(window.chooseButton->widget());
    EXPECT_EQ(dialogs.texts().back(), "设置成功，即将返回主窗口");
    EXPECT_EQ(configBytes(), utf8ToGbk(kPrepared));
}

TEST_F(Maintenance, ImportDialogOpensAtHomeThenWhereTheLastFileWas) {
    TempFolder home;
    homeDir = home.text();
    app.reset();
    start();
    ImportWindow& first = openImport();
    const Text wrong = pathText(prepared("settings.ini"));
    dialogs.choose(wrong);
    click(first.chooseButton->widget());
    first.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(app->importWindow(), nullptr);

    // A new import window: its dialog starts at the file chosen last time, in its folder.
    ImportWindow& second = openImport();
    dialogs.chooseNothing();
    click(second.chooseButton->widget());
    ASSERT_EQ(dialogs.fileRequests().size(), std::size_t{2});
    EXPECT_EQ(dialogs.fileRequests()[0].folder, home.text());
    EXPECT_TRUE(dialogs.fileRequests()[0].fileName.empty());
    EXPECT_EQ(dialogs.fileRequests()[1].fileName, wrong);
}

TEST_F(Maintenance, ImportIntoAReadOnlyFolderFailsAndKeepsTheOldFile) {
    save();
    const std::string before = configBytes();
    ImportWindow& window = openImport();
    dialogs.clear();
    const fs::path source = prepared("config.ini");
    // The source stays readable for the ordinary user: only the target folder refuses.
    fs::permissions(elsewhere.path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    fs::permissions(source, fs::perms::others_read, fs::perm_options::add);
    withReadOnlyFolder(folder.path(), [&] { drop(window, {source}, &window); });
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"设置失败，请以管理员身份运行本程序"});
    EXPECT_EQ(configBytes(), before);
    EXPECT_TRUE(window.isVisible());
    // A folder dropped by mistake cannot be read as a file.
    fs::create_directory(elsewhere.path() / "sub");
    fs::create_directory(elsewhere.path() / "sub" / "config.ini");
    drop(window, {elsewhere.path() / "sub" / "config.ini"}, &window);
    EXPECT_EQ(dialogs.texts().back(), "设置失败，请以管理员身份运行本程序");
    EXPECT_EQ(configBytes(), before);
}

TEST_F(Maintenance, ResetDeletesTheFileAndAppliesTheFirstRunDefaults) {
    main().cueEnabled[4]->setChecked(false);
    main().cuePath[1]->setText("x");
    save();
    ASSERT_TRUE(configExists());
    ImportWindow& window = openImport();
    dialogs.clear();
    click(window.resetButton->widget());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"已重置"});
    EXPECT_FALSE(configExists());
    EXPECT_TRUE(main().cueEnabled[4]->checked());
    EXPECT_NE(utf8(main().cuePath[1]->text()).find("01开考前15分钟.mp3"), std::string::npos);
    EXPECT_FALSE(app->settings().savedFlag());
    EXPECT_TRUE(window.isVisible());
    // Again without a file: the same message and defaults.
    click(window.resetButton->widget());
    EXPECT_EQ(dialogs.texts().back(), "已重置");
}

TEST_F(Maintenance, ResetInAReadOnlyFolderReportsAndDoesNotReload) {
    save();
    const std::string before = configBytes();
    main().cuePath[1]->setText("x");
    ImportWindow& window = openImport();
    dialogs.clear();
    withReadOnlyFolder(folder.path(), [&] { click(window.resetButton->widget()); });
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"重置错误，请以管理员身份运行本程序"});
    EXPECT_EQ(configBytes(), before);
    EXPECT_EQ(main().cuePath[1]->text(), "x");
}

// A config.ini marked read-only in a folder that would let anybody replace or delete it: the
// import and the reset refuse it with their own failure messages, as the save refuses it. The
// actions run as an ordinary user (root would write anyway) and, as root, on the mode bits.
TEST_F(Maintenance, ImportAndResetRefuseAReadOnlyFile) {
    save();
    const std::string before = configBytes();
    const fs::path config = folder.path() / "config.ini";
    fs::permissions(config, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(folder.path(), fs::perms::all);
    fs::permissions(elsewhere.path(), fs::perms::all);
    const fs::path source = prepared("config.ini");
    fs::permissions(source, fs::perms::others_read, fs::perm_options::add);
    main().cuePath[1]->setText("x");
    ImportWindow& window = openImport();
    dialogs.clear();
    const auto asOrdinaryUser = [](const auto& action) {
        const bool root = geteuid() == 0;
        if (root) {
            ASSERT_EQ(seteuid(65534), 0);
        }
        action();
        if (root) {
            ASSERT_EQ(seteuid(0), 0);
        }
    };
    for (const bool ordinary : {true, false}) {
        SCOPED_TRACE(ordinary ? "ordinary user" : "this user");
        const auto importIt = [&] { drop(window, {source}, &window); };
        const auto resetIt = [&] { click(window.resetButton->widget()); };
        if (ordinary) {
            asOrdinaryUser(importIt);
            asOrdinaryUser(resetIt);
        } else {
            importIt();
            resetIt();
        }
        EXPECT_EQ(dialogs.texts(),
                  (std::vector<std::string>{"设置失败，请以管理员身份运行本程序",
                                            "重置错误，请以管理员身份运行本程序"}));
        dialogs.clear();
        EXPECT_EQ(configBytes(), before);
        EXPECT_EQ(fs::status(config).permissions(),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        EXPECT_EQ(main().cuePath[1]->text(), "x");
        EXPECT_TRUE(window.isVisible());
    }
}

TEST(ImportName, OnlyConfigIniAfterTheLastSeparator) {
    EXPECT_TRUE(checkImportName("/home/office/config.ini"));
    EXPECT_FALSE(checkImportName("config.ini"));
    EXPECT_FALSE(checkImportName("/home/office/Config.ini"));
    EXPECT_FALSE(checkImportName("/a/config.ini\r\n/b/config.ini\r\n"));
    EXPECT_FALSE(checkImportName("/a/config.ini.bak"));
    EXPECT_FALSE(checkImportName(""));
}

}  // namespace
}  // namespace exambell::test
