#include "runner/RunProgressPresenter.h"

namespace exambell {

namespace {
// What a shown mark is remembered as: the state's number, then the text.
Text shownKey(const RowProgress& p) {
    return Text(1, static_cast<char>('0' + static_cast<int>(p.state))) + progressMark(p);
}
}  // namespace

void RunProgressPresenter::showMarks(const ExamRun& run) {
    const std::vector<RunRow>& rows = run.rows();
    shown_.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        Text key = shownKey(rows[i].progress);
        if (key != shown_[i]) {
            view_.setReminderMark(static_cast<int>(i), progressMark(rows[i].progress),
                                  rows[i].progress.state);
            shown_[i] = std::move(key);
        }
    }
}

void RunProgressPresenter::showCountdown(const ExamRun& run, const LocalTime& now) {
    Text text = run.countdown(now);
    if (text != countdown_) {
        countdown_ = text;
        view_.setCountdown(countdown_);
    }
}

void RunProgressPresenter::showEdits(const ExamRun& run, const ExamSettings& exams,
                                     const CueSettings& cues) {
    Text note = !run.active()                   ? Text()
                : run.editsWaiting(exams, cues) ? ExamRun::editsWaitingText()
                                                : shiftNote_;
    if (note != editNote_) {
        editNote_ = note;
        view_.setEditNote(editNote_);
    }
}

void RunProgressPresenter::showShiftChoices(const ExamRun& run, const ExamSettings& exams) {
    std::vector<RunProgressView::ExamChoice> choices;
    if (run.active()) {
        for (int n = 1; n <= kExamCount; ++n) {
            if (run.inRun(n)) {
                choices.push_back({exams[static_cast<std::size_t>(n - 1)].subject, n});
            }
        }
    }
    view_.setShiftChoices(choices);
}

void RunProgressPresenter::clear() {
    countdown_.clear();
    editNote_.clear();
    shiftNote_.clear();
    view_.setCountdown(Text());
    view_.setEditNote(Text());
    view_.setShiftChoices({});
}

void RunProgressPresenter::cuesMissed(const std::vector<MissedCue>& missed) {
    view_.addNotice(missNoticeText(missed));
}

}  // namespace exambell
