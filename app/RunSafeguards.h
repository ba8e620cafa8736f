#pragma once
// What guards a run beyond its own checks: the check before a start (device, cue files, clock),
// keeping the computer awake while the run is active, the question before the main window closes
// during a run, and the status line 状态标签 that names what is wrong (no audio device, no sleep
// inhibitor during a run) and where the settings are kept when that is not beside the program.
// RunController calls the first two through its RunOperations.

#include <optional>

#include "platform/ClockSync.h"
#include "platform/Dialogs.h"
#include "platform/Inhibitor.h"
#include "schedule/AudioOutput.h"
#include "schedule/PreRunCheck.h"
#include "text/Text.h"

namespace exambell {

class MainWindow;

class RunSafeguards {
  public:
    // Everything must outlive the object; clockSync and inhibitor may be null (not checked, not
    // held). Sets the audio output's device handler and the inhibitor's state handler.
    RunSafeguards(MainWindow& window, Dialogs& dialogs, AudioOutput& audio, ClockSync* clockSync,
                  Inhibitor* inhibitor);
    ~RunSafeguards();
    RunSafeguards(const RunSafeguards&) = delete;
    RunSafeguards& operator=(const RunSafeguards&) = delete;

    // Checks the device, every enabled cue's file and the clock; with problems, lists them and
    // asks whether to start anyway. True: start.
    bool checkBeforeRun();
    // The same check without the question: the problems found (none: ready to start).
    std::vector<RunProblem> problemsBeforeRun();
    // Holds the sleep inhibitor while the run is active.
    void runActiveChanged(bool active);
    // Asked when the main window is about to close while a run is active: true to close.
    bool confirmCloseDuringRun();
    // Rewrites 状态标签 from the device's and the inhibitor's state, then the settings note.
    void showStatus();
    // A lasting note of the status line after the run's problems (where the settings are kept).
    void setSettingsNote(const Text& note);

  private:
    MainWindow& window_;
    Dialogs& dialogs_;
    AudioOutput& audio_;
    ClockSync* clockSync_;
    Inhibitor* inhibitor_;
    bool runActive_ = false;
    std::optional<bool> deviceTold_;  // the open state the output last told
    Text settingsNote_;
};

}  // namespace exambell
