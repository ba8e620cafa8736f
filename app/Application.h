#pragma once
// The whole program: the platform seams it is given, the main window, the process-wide state,
// and the bindings of control events to operations. main.cpp builds it with the real seams;
// tests build it with fakes in a temporary program folder.

#include <QPointer>
#include <memory>

#include "text/Text.h"

namespace exambell {

class AudioOutput;
class Clock;
class CueAudio;
class Dialogs;
class DisplayBinder;
class ExamFieldChecks;
class ImportWindow;
class MainWindow;
class RunController;
class SeatingWindow;
class SettingsFile;
class Spreadsheet;
class UrlOpener;

// What the program needs from its platform, wired here and nowhere else. Every seam must be
// set and outlive the Application.
struct Platform {
    Text programDir;  // GBK, no trailing separator
    Dialogs* dialogs = nullptr;
    Clock* clock = nullptr;
    AudioOutput* audio = nullptr;
    Spreadsheet* spreadsheet = nullptr;  // the seating chart's export
    UrlOpener* urlOpener = nullptr;      // the voice-download page
};

class Application {
  public:
    explicit Application(const Platform& platform);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    const Text& programDir() const { return platform_.programDir; }
    MainWindow& mainWindow() { return *main_; }
    SettingsFile& settings() { return *settings_; }
    RunController& runController() { return *run_; }
    DisplayBinder& displayBinder() { return *display_; }

    // The main window's creation handler; run again after an import or a factory reset.
    void startUp();
    // Shows exam n's start, duration and end controls exactly when its check box is checked.
    void applyExamVisibility(int n);
    // 打赏作者: the picture box is visible exactly when the check box is checked.
    void showTipPicture();
    // The seating-chart window: not modal, owned by the main window (one at a time).
    void openSeatingWindow();
    // The import-settings window: modal to the whole program.
    void openImportWindow();
    // The open windows, or nullptr.
    SeatingWindow* seatingWindow() const;
    ImportWindow* importWindow() const;

  private:
    void bindMainWindow();
    // A new window's creation handler and the bindings of its controls.
    void bindSeatingWindow(SeatingWindow& window);
    void bindImportWindow(ImportWindow& window);
    // The save button: a save during a run asks first and pauses the run.
    void saveWithPause();

    Platform platform_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<SettingsFile> settings_;
    std::unique_ptr<CueAudio> cueAudio_;
    std::unique_ptr<RunController> run_;
    std::unique_ptr<ExamFieldChecks> examFieldChecks_;  // destroyed before the window
    std::unique_ptr<DisplayBinder> display_;            // the exam-room clock
    QPointer<SeatingWindow> seating_;
    QPointer<ImportWindow> import_;
};

}  // namespace exambell
