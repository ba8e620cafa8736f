#pragma once
// Run control and the one-second tick of the main window: the run button's handler toggleRun
// (start checks, confirmation, start and pause sequences with the button's slide), the reminder
// list, PendingCues and onClockTick (the clock label and the cues that fall due).
//
// The run button works like a check box: a click flips its checked state (runState) and then
// calls toggleRun, which treats checked as a start request and unchecked as a pause request. The
// controller connects the button itself; app/ must not connect it again.

#include <QObject>
#include <functional>

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "runner/CueSchedule.h"
#include "runner/CueScheduler.h"
#include "runner/SecondTicker.h"
#include "ui/MainWindow.h"

namespace exambell {

// What the run needs of the settings and of cue playback; app/ wires them.
struct RunOperations {
    // True when every enabled cue names an existing file; else it has shown its message.
    std::function<bool()> checkCueFiles;
    // Whether the operator has saved successfully since start-up.
    std::function<bool()> savedFlag;
    // The whole save, with its messages.
    std::function<void()> saveSettings;
    // Checks and rewrites the four exams, with their messages.
    std::function<void()> saveExamSettings;
    // Plays cue N (1..7) from its path box, like its test button; returns at once.
    std::function<void(int cue)> playCue;
};

class RunController : public QObject {
    Q_OBJECT
  public:
    // The button's slide: 3 px per step, one step per millisecond.
    static constexpr int kSlideStep = 3;

    // Starts the one-second tick at once; it runs for the life of the controller.
    RunController(MainWindow& window, Clock& clock, Dialogs& dialogs, const AudioOutput& audio,
                  RunOperations operations);
    ~RunController() override;

    // The checked state of the run button: true while a run is active or starting.
    bool runState() const;
    void setRunState(bool running);

    // The run button's click handler; also ends a run once runState has been set false.
    void toggleRun();
    // Sets runState false and performs the pause sequence (a save during a run).
    void pauseRun();
    // The handler of the one-second tick.
    void onClockTick();

    // The schedule text of the enabled exams, read from the window at the current time.
    Text buildSchedule();
    // Appends one reminder-list row per line of a cleaned schedule text.
    void fillReminderList(const Text& schedule);
    // Rebuilds PendingCues from the reminder list.
    void buildPendingCues();

    const PendingCues& pendingCues() const { return scheduler_.pendingCues(); }
    const CueScheduler& scheduler() const { return scheduler_; }
    // True from the moment the pending cues are built until the pause sequence begins.
    bool scheduleActive() const { return active_; }
    // The exams as the last start read them from the window (its schedule stands on them).
    const ExamSettings& runExams() const { return runExams_; }

  private:
    void startRequest();
    void startSequence();
    void pauseSequence();
    void slideRunButton(int target);
    void waitOneMillisecond();
    void runEnded();

    MainWindow& window_;
    Clock& clock_;
    Dialogs& dialogs_;
    RunOperations operations_;
    CueScheduler scheduler_;
    SecondTicker ticker_;
    ExamSettings runExams_;
    std::int64_t scheduleSecond_ = 0;  // local second at which the schedule was read
    bool active_ = false;
    bool inToggle_ = false;
    bool toggleAgain_ = false;
};

}  // namespace exambell
