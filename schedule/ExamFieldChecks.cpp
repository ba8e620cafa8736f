#include "schedule/ExamFieldChecks.h"

#include "schedule/ExamFields.h"

namespace exambell {

ExamFieldChecks::ExamFieldChecks(SettingsForm& rows, Dialogs& dialogs)
    : rows_(rows), dialogs_(dialogs) {}

// While a check runs, further focus losses are not checked. A message box takes the focus from
// the control that has just received it (the focus had already moved on when the check started),
// and giving the focus back to a refused box takes it from that control again; both would run
// that control's own check nested inside this one and could stack a second message box on the
// first, or bounce the focus between two refused boxes. That control is checked when the
// operator leaves it later.
template <typename Check>
void ExamFieldChecks::guarded(int row, Check check) {
    if (checking_ || row < 1 || row > kExamCount) {
        return;
    }
    checking_ = true;
    check();
    checking_ = false;
}

void ExamFieldChecks::show(std::string_view message) {
    dialogs_.message(Text(message), MessageButtons::Ok, MessageIcon::None, rows_.dialogOwner());
}

void ExamFieldChecks::normaliseStartTime(int row) {
    guarded(row, [&] {
        ExamSettings exams = rows_.exams();
        Text& start = exams[static_cast<std::size_t>(row - 1)].start;
        const FieldCheck result = normaliseStartTimeText(start);
        start = result.text;
        rows_.setExams(exams);
        if (result.refused) {
            show(kStartTimeFormatMessage);
        }
    });
}

void ExamFieldChecks::normaliseDuration(int row) {
    guarded(row, [&] {
        ExamSettings exams = rows_.exams();
        Text& duration = exams[static_cast<std::size_t>(row - 1)].duration;
        const FieldCheck result = normaliseDurationText(duration);
        if (result.refused) {
            show(kDurationMissingMessage);
            rows_.focusExamField(row, ExamField::Duration);
            return;
        }
        duration = result.text;
        rows_.setExams(exams);
    });
}

void ExamFieldChecks::checkSubject(int row) {
    guarded(row, [&] {
        if (checkSubjectText(rows_.exams()[static_cast<std::size_t>(row - 1)].subject).refused) {
            show(kSubjectMissingMessage);
            rows_.focusExamField(row, ExamField::Subject);
        }
    });
}

}  // namespace exambell
