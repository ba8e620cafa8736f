#pragma once
// The whole program in a temporary program folder, with fake message boxes and file dialog, its
// main window shown on the offscreen platform. GUI tests derive from it, find controls by their
// design names and drive them like an operator.

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>

#include "app/Application.h"
#include "net/UrlOpener.h"
#include "tests/runner/FakeAudioOutput.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/FakeInhibitor.h"
#include "tests/support/RecordingSpreadsheet.h"
#include "tests/support/TempFolder.h"

class QWidget;

namespace exambell {
class MainWindow;
}

namespace exambell::test {

class AppFixture : public ::testing::Test {
  protected:
    AppFixture();
    ~AppFixture() override;

    // Builds the program, runs its start-up and shows the main window (active, offscreen).
    void start();
    MainWindow& main();

    // The seven default recordings in 语音文件库 (copied by the constructor from the shipped
    // ones, which decode, as the check before a run wants; it also copies the shipped pictures).
    void makeDefaultRecordings();
    // config.ini from a UTF-8 text (converted to GBK), and its bytes converted back to UTF-8.
    void writeConfig(const std::string& utf8);
    std::string configUtf8() const;
    std::string configBytes() const;
    bool configExists() const;
    // The program folder's path as UTF-8.
    std::string folderUtf8() const;

    // A widget of the application's windows by its design name (UTF-8).
    QWidget* widget(const std::string& designName) const;
    // Types text as an operator would: key presses for ASCII, input-method commits otherwise.
    static void type(QWidget* target, const QString& text);
    // Gives a widget the keyboard focus as a click would.
    static void focusOn(QWidget* target);

    // Records the addresses handed to the browser.
    struct RecordingUrlOpener : UrlOpener {
        std::vector<Text> opened;
        void open(const Text& address) override { opened.push_back(address); }
    };

    TempFolder folder;
    // Where config.ini lives when set (an installed program's per-user folder); empty: folder.
    Text settingsDir;
    // A read-only program folder whose config.ini gives the starting settings; empty: none.
    Text preparedDir;
    // No folder may keep config.ini (an installed program without any home).
    bool noSettingsFolder = false;
    // The user's home folder when set; empty: the import dialog opens in the program folder.
    Text homeDir;
    FakeDialogs dialogs;
    FakeClock clock;
    FakeAudioOutput audio{clock};
    // The output the program is given; a test may point it at a real one before start().
    AudioOutput* audioOutput = &audio;
    RecordingSpreadsheet spreadsheet;
    RecordingUrlOpener urlOpener;
    FakeClockSync clockSync;
    FakeInhibitor fakeInhibitor;
    // The inhibitor the program is given; a test may point it elsewhere before start().
    Inhibitor* inhibitor = &fakeInhibitor;
    std::unique_ptr<Application> app;
};

}  // namespace exambell::test
