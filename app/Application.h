#pragma once
// The whole program: the platform seams it is given, the main window, the operations built on
// it and their binders (MainWindowBinder, ImportWindowBinder). main.cpp builds it with the real
// seams; tests build it with fakes in a temporary program folder.

#include <QPointer>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "text/Text.h"

namespace exambell {

class AudioOutput;
class Clock;
class ClockSync;
class CueAudio;
class Dialogs;
class DisplayBinder;
class ExamFieldChecks;
class ImportWindow;
class Inhibitor;
class MainWindow;
class MainWindowAdapter;
class MainWindowBinder;
class PlanBinder;
class RunController;
class RunProgressAdapter;
class RunSafeguards;
class SeatingWindow;
class SettingsFile;
class Spreadsheet;
class UrlOpener;
class VoiceDownloadButton;
struct PlayReport;
struct PlayResult;

// What the program needs from its platform, wired here and nowhere else. Every seam must be
// set and outlive the Application.
struct Platform {
    Text programDir;   // GBK, no trailing separator: the recordings and pictures
    Text settingsDir;  // GBK: where config.ini lives; empty: the program directory
    // GBK: a read-only program folder whose config.ini gives the starting settings while
    // settingsDir has none; empty: none.
    Text preparedDir;
    bool noSettingsFolder = false;  // nowhere may keep config.ini: saves are refused
    Text homeDir;  // GBK: where the import dialog first opens; empty: the program directory
    Dialogs* dialogs = nullptr;
    Clock* clock = nullptr;
    AudioOutput* audio = nullptr;
    Spreadsheet* spreadsheet = nullptr;  // the seating chart's export
    UrlOpener* urlOpener = nullptr;      // the voice-download page
    ClockSync* clockSync = nullptr;      // checked before a run; may be null (unknown)
    Inhibitor* inhibitor = nullptr;      // held during a run; may be null (none)
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
    PlanBinder& planBinder() { return *plans_; }

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
    // The save button: a save during a run asks first and pauses the run.
    void saveWithPause();
    // The save with its messages, then the rows written back into the plan's day they came from.
    void saveSettings();
    // A due cue of the run: played through the cue rows like its test button.
    void playDueCue(int cue);
    // A due extra cue of the run (an exam plan's own).
    PlayResult playExtraCue(int cue);
    // What the audio output said later of a play: marks its row played or missed.
    void takePlayReport(const PlayReport& report);

  private:
    // What the status line says of where the settings are kept; empty when they are where the
    // user expects them.
    Text settingsNote() const;
    // A new window's creation handler and the bindings of its controls.
    void bindSeatingWindow(SeatingWindow& window);

    // Destroyed in reverse order: the binder first, so that no event reaches an operation that
    // is going, and the window last.
    Platform platform_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<MainWindowAdapter> form_;
    std::unique_ptr<SettingsFile> settings_;
    std::unique_ptr<CueAudio> cueAudio_;
    std::unique_ptr<RunProgressAdapter> runProgress_;  // the run's progress on the window
    std::unique_ptr<RunSafeguards> safeguards_;
    std::unique_ptr<RunController> run_;
    // The output's play ids of the run's cues still open to a report, and the run's play each
    // stands for.
    std::unordered_map<std::uint64_t, std::uint64_t> playsInFlight_;
    std::unique_ptr<ExamFieldChecks> examFieldChecks_;
    std::unique_ptr<VoiceDownloadButton> download_;
    std::unique_ptr<MainWindowBinder> binder_;
    std::unique_ptr<DisplayBinder> display_;  // the exam-room clock
    std::unique_ptr<PlanBinder> plans_;       // exam plans
    QPointer<SeatingWindow> seating_;
    QPointer<ImportWindow> import_;
    // The settings file last chosen in an import window's dialog (GBK; empty: none yet): the
    // next import window's dialog opens in its folder.
    Text lastImportFile_;
};

}  // namespace exambell
