#include "schedule/ExamFieldChecks.h"

#include "schedule/ExamFields.h"

namespace exambell {

ExamFieldChecks::ExamFieldChecks(MainWindow& main, Dialogs& dialogs)
    : main_(main), dialogs_(dialogs) {
    for (int row = 1; row <= kExamCount; ++row) {
        connect(main.examStart[row], &EditBox::focusLost, this,
                [this, row] { normaliseStartTime(row); });
        connect(main.examDuration[row], &EditBox::focusLost, this,
                [this, row] { normaliseDuration(row); });
        connect(main.examSubject[row], &EditBox::focusLost, this,
                [this, row] { checkSubject(row); });
    }
}

// While a check runs, further focus losses are not checked. A message box takes the focus from
// the control that has just received it (the focus had already moved on when the check started),
// and giving the focus back to a refused box takes it from that control again; both would run
// that control's own check nested inside this one and could stack a second message box on the
// first, or bounce the focus between two refused boxes. That control is checked when the
// operator leaves it later.
template <typename Check>
void ExamFieldChecks::guarded(Check check) {
    if (checking_) {
        return;
    }
    checking_ = true;
    check();
    checking_ = false;
}

void ExamFieldChecks::show(std::string_view message) {
    dialogs_.message(Text(message), MessageButtons::Ok, MessageIcon::None, &main_);
}

void ExamFieldChecks::normaliseStartTime(int row) {
    guarded([&] {
        EditBox& box = *main_.examStart[row];
        const Text before = box.text();
        FieldCheck result = normaliseStartTimeText(before);
        if (result.text != before) {
            box.setText(result.text);
        }
        if (result.refused) {
            show(kStartTimeFormatMessage);
        }
    });
}

void ExamFieldChecks::normaliseDuration(int row) {
    guarded([&] {
        EditBox& box = *main_.examDuration[row];
        const Text before = box.text();
        FieldCheck result = normaliseDurationText(before);
        if (result.refused) {
            show(kDurationMissingMessage);
            box.setFocus();
            return;
        }
        if (result.text != before) {
            box.setText(result.text);
        }
    });
}

void ExamFieldChecks::checkSubject(int row) {
    guarded([&] {
        EditBox& box = *main_.examSubject[row];
        if (checkSubjectText(box.text()).refused) {
            show(kSubjectMissingMessage);
            box.setFocus();
        }
    });
}

}  // namespace exambell
