#pragma once
// The focus-loss checks of the main window's four exam rows: whenever a row's start, duration or
// subject box loses the keyboard focus (Tab, a click elsewhere, another window), its text is
// normalised or refused with a message (schedule/ExamFields.h gives the rules).
//
// The main window's binder (app/) connects the twelve boxes' focusLost to these checks.

#include <string_view>

#include "platform/Dialogs.h"
#include "settings/SettingsForm.h"

namespace exambell {

class ExamFieldChecks {
  public:
    // The rows and the dialogs must outlive the object.
    ExamFieldChecks(SettingsForm& rows, Dialogs& dialogs);

    // The checks of exam row 1..4, as the boxes' focus losses run them.
    // Start box: a refused text keeps the box's text and leaves the focus where the operator
    // moved it.
    void normaliseStartTime(int row);
    // Duration box: a refused text stays and the box gets the focus back.
    void normaliseDuration(int row);
    // Subject box: an empty one gets the focus back.
    void checkSubject(int row);

  private:
    // Runs one check of exam row 1..4 unless another is under way (see the .cpp).
    template <typename Check>
    void guarded(int row, Check check);
    void show(std::string_view message);

    SettingsForm& rows_;
    Dialogs& dialogs_;
    bool checking_ = false;
};

}  // namespace exambell
