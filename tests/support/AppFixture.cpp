#include "tests/support/AppFixture.h"

#include "tests/support/TypeText.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QWidget>
#include <filesystem>

#include "text/Encoding.h"
#include "ui/MainWindow.h"

namespace exambell::test {

AppFixture::AppFixture() {
    makeDefaultRecordings();
    std::filesystem::copy(EXAMBELL_SHIPPED_PICTURES, folder.path() / "pictures");
}

AppFixture::~AppFixture() {
    app.reset();
}

void AppFixture::makeDefaultRecordings() {
    const std::filesystem::path voices = folder.path() / std::filesystem::path("语音文件库");
    std::filesystem::create_directories(voices);
    for (const char* name : {"01开考前15分钟.mp3", "02开考前8分钟.mp3", "03开考前5分钟.mp3",
                             "04开考.mp3", "05结束前15分钟.mp3", "06结束.mp3", "07简短铃音.mp3"}) {
        std::filesystem::copy_file(std::filesystem::path(EXAMBELL_SHIPPED_RECORDINGS) / name,
                                   voices / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

void AppFixture::start() {
    Platform platform;
    platform.programDir = folder.text();
    platform.settingsDir = settingsDir;
    platform.preparedDir = preparedDir;
    platform.noSettingsFolder = noSettingsFolder;
    platform.homeDir = homeDir;
    platform.dialogs = &dialogs;
    platform.clock = &clock;
    platform.audio = audioOutput;
    platform.spreadsheet = &spreadsheet;
    platform.urlOpener = &urlOpener;
    platform.clockSync = &clockSync;
    platform.inhibitor = inhibitor;
    app = std::make_unique<Application>(platform);
    app->startUp();
    MainWindow& w = app->mainWindow();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

MainWindow& AppFixture::main() {
    return app->mainWindow();
}

void AppFixture::writeConfig(const std::string& utf8) {
    folder.write("config.ini", utf8ToGbk(utf8));
}

std::string AppFixture::configBytes() const {
    return folder.read("config.ini");
}

std::string AppFixture::configUtf8() const {
    return gbkToUtf8(configBytes());
}

bool AppFixture::configExists() const {
    return std::filesystem::exists(folder.path() / "config.ini");
}

std::string AppFixture::folderUtf8() const {
    return folder.path().string();
}

QWidget* AppFixture::widget(const std::string& designName) const {
    const QString name = QString::fromStdString(designName);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == name) {
            return top;
        }
        if (auto* found = top->findChild<QWidget*>(name)) {
            return found;
        }
    }
    return nullptr;
}

void AppFixture::type(QWidget* target, const QString& text) {
    typeText(target, text);
}

void AppFixture::focusOn(QWidget* target) {
    target->setFocus(Qt::MouseFocusReason);
}

}  // namespace exambell::test
