#pragma once
// Draws an ExamRun on a RunProgressView: row marks (only those that changed), the countdown, the
// edit note, the exams a late start can move, and the notices of missed cues (as the run's
// MissNotifier).

#include <vector>

#include "runner/ExamRun.h"
#include "runner/MissNotifier.h"
#include "runner/RunProgressView.h"

namespace exambell {

class RunProgressPresenter : public MissNotifier {
  public:
    explicit RunProgressPresenter(RunProgressView& view) : view_(view) {}

    // The list was refilled: every row is drawn afresh at the next showMarks.
    void forgetMarks() { shown_.clear(); }
    void showMarks(const ExamRun& run);
    void showCountdown(const ExamRun& run, const LocalTime& now);
    // The note beside the list: that edits wait, else what the last late start applied.
    void showEdits(const ExamRun& run, const ExamSettings& exams, const CueSettings& cues);
    void setShiftNote(const Text& note) { shiftNote_ = note; }
    // The exams of the active run that have a row, by their subjects as they now stand; none
    // while the run is not active.
    void showShiftChoices(const ExamRun& run, const ExamSettings& exams);
    // The run ended or paused: no countdown, no note, nothing to move.
    void clear();

    void cuesMissed(const std::vector<MissedCue>& missed) override;

  private:
    RunProgressView& view_;
    std::vector<Text> shown_;  // the mark each row shows
    Text countdown_;
    Text editNote_;
    Text shiftNote_;
};

}  // namespace exambell
