#pragma once
// Run control and the one-second tick of the main window: the run button's handler toggleRun
// (start checks, confirmation, start and pause sequences with the button's slide), the reminder
// list, PendingCues and onClockTick (the clock label and the cues that fall due).
//
// The run button works like a check box: a click flips its checked state (runState) and then
// calls toggleRun, which treats checked as a start request and unchecked as a pause request. The
// main window's binder (app/) connects the button to toggleRun.

#include <functional>
#include <memory>

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "runner/CueSchedule.h"
#include "runner/CueScheduler.h"
#include "runner/ExamRun.h"
#include "runner/RunProgressPresenter.h"
#include "runner/RunProgressView.h"
#include "runner/RunView.h"
#include "runner/SecondTicker.h"
#include "settings/SettingsForm.h"

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
    // The check before a run, after checkCueFiles and before the confirmation; false when the
    // operator chose not to start (it has asked).
    std::function<bool()> checkBeforeRun;
    // true once a start has built the run's cues; false at every pause sequence (also the
    // automatic end and a pause after a refused start).
    std::function<void(bool active)> runActiveChanged;
};

class RunController {
  public:
    // The button's slide: 3 px per step, one step per millisecond.
    static constexpr int kSlideStep = 3;

    // Starts the one-second tick at once; it runs for the life of the controller. The view and
    // the rows are the main window's; they and the seams must outlive the controller. progress,
    // when given, shows how the run goes (marks, countdown, notices, late start) and must
    // outlive the controller too.
    RunController(RunView& view, SettingsForm& rows, Clock& clock, Dialogs& dialogs,
                  const AudioOutput& audio, RunOperations operations,
                  RunProgressView* progress = nullptr);
    ~RunController();
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

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
    // Rebuilds PendingCues from the rows of the reminder list (those the schedule just read).
    void buildPendingCues();

    const PendingCues& pendingCues() const { return run_.scheduler().pendingCues(); }
    const CueScheduler& scheduler() const { return run_.scheduler(); }
    const ExamRun& examRun() const { return run_; }
    // The extra cues each exam of a run gets (an exam plan's own).
    void setExtraCues(ExtraCuesOf extraCues) { run_.setExtraCues(std::move(extraCues)); }
    // The exams the active run serves, a late start's move included.
    ExamSettings runExams() const { return run_.exams(); }

    // Late start: moves the exam chosen in the late-start controls by the minutes typed there;
    // its start box and end label show the new times, the reminder list its new rows.
    void shiftChosenExam();
    // Moves exam N (1..4) of the active run by minutes; false when refused.
    bool shiftExam(int exam, int minutes);
    // Shows beside the list whether edits of the exams wait for the next start.
    void noteEdits();
    // The notice of cues that did not play was dismissed: an idle window narrows now.
    void noticeDismissed();

    // What became of the play of a due cue, as the audio side tells it (see ExamRun).
    ExamRun::PlayId currentPlay() const { return run_.currentPlay(); }
    void reportPlayed(ExamRun::PlayId play, const LocalTime* startedAt = nullptr) {
        run_.reportPlayed(play, startedAt);
    }
    void reportWaiting(ExamRun::PlayId play) { run_.reportWaiting(play); }
    void reportMissed(ExamRun::PlayId play, MissReason reason) { run_.reportMissed(play, reason); }

  private:
    void startRequest();
    void startSequence();
    void pauseSequence();
    void slideRunButton(int target);
    void waitOneMillisecond();
    void runEnded();
    void showRows();

    RunView& view_;
    SettingsForm& rows_;
    Clock& clock_;
    Dialogs& dialogs_;
    RunOperations operations_;
    RunProgressView* progressView_;
    std::unique_ptr<RunProgressPresenter> progress_;  // null without a view
    ExamRun run_;
    SecondTicker ticker_;
    // True from the moment the pending cues are built until the pause sequence begins.
    bool active_ = false;
    bool inToggle_ = false;
    bool toggleAgain_ = false;
};

}  // namespace exambell
