#pragma once
// The parts of the main window that show how a run goes: the marks of the reminder rows, the
// countdown under the clock, the notice of cues that did not play, the note that edits wait for
// the next start, and the late-start controls. ui/ implements it over the real controls.

#include <optional>
#include <vector>

#include "runner/RunProgress.h"
#include "text/Text.h"

namespace exambell {

// The largest move of an exam by a late start, either way, in minutes.
inline constexpr int kMaxShiftMinutes = 720;

class RunProgressView {
  public:
    virtual ~RunProgressView() = default;

    // Reminder row `row` (0-based) shows mark in its marks column, coloured by state.
    virtual void setReminderMark(int row, const Text& mark, RowState state) = 0;
    // "" hides the countdown.
    virtual void setCountdown(const Text& text) = 0;
    // Adds a notice that stays until the operator dismisses it; never waits for the operator.
    virtual void addNotice(const Text& text) = 0;
    // "" hides the note.
    virtual void setEditNote(const Text& text) = 0;

    struct ExamChoice {
        Text subject;
        int exam = 0;  // 1 .. 4
    };
    // The exams a late start can move; none disables the controls.
    virtual void setShiftChoices(const std::vector<ExamChoice>& choices) = 0;
    // The exam chosen (0 when none) and the minutes in the minutes box (either sign); nullopt
    // while the box holds no number.
    virtual int shiftChoice() const = 0;
    virtual std::optional<int> shiftMinutes() const = 0;
};

}  // namespace exambell
