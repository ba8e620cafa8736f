#pragma once
// The main window's exam and cue rows as the settings operations see them. ui/ implements it over
// the real controls, reading and writing them on every call: the controls stay the only store.

#include "platform/Dialogs.h"
#include "settings/ExamSettings.h"

namespace exambell {

enum class ExamField { Subject, Start, Duration };

class SettingsForm {
  public:
    virtual ~SettingsForm() = default;

    virtual ExamSettings exams() const = 0;
    virtual CueSettings cues() const = 0;
    // Write back a record: only the controls whose value differs from it change (a cue's caption
    // is the design's and is not written). A check box cleared in the record is cleared.
    virtual void setExams(const ExamSettings& exams) = 0;
    virtual void setCues(const CueSettings& cues) = 0;

    // The end-time label of exam n (1..4).
    virtual void setExamEnd(int exam, const Text& caption) = 0;
    // Moves the keyboard focus to a box refused by a check: exam n's field, cue n's path box.
    virtual void focusExamField(int exam, ExamField field) = 0;
    virtual void focusCuePath(int cue) = 0;

    // The window that owns the messages about these rows.
    virtual const DialogOwner* dialogOwner() const = 0;
};

}  // namespace exambell
