#include "ui/MainWindowAdapter.h"

#include "ui/MainWindow.h"

namespace exambell {
namespace {

// Row n (1..4 or 1..7) of a record: index n - 1.
template <typename Rows>
auto& rowOf(Rows& rows, int n) {
    return rows[static_cast<std::size_t>(n - 1)];
}

void setIfDifferent(EditBox& box, const Text& text) {
    if (box.text() != text) {
        box.setText(text);
    }
}

void setIfDifferent(CheckBox& box, bool checked) {
    if (box.checked() != checked) {
        box.setChecked(checked);
    }
}

bool isExam(int n) {
    return n >= 1 && n <= kExamCount;
}

bool isCue(int n) {
    return n >= 1 && n <= kCueCount;
}

}  // namespace

ExamSettings MainWindowAdapter::exams() const {
    ExamSettings exams;
    for (int n = 1; n <= kExamCount; ++n) {
        ExamSetting& exam = rowOf(exams, n);
        exam.enabled = window_.examEnabled[n]->checked();
        exam.subject = window_.examSubject[n]->text();
        exam.start = window_.examStart[n]->text();
        exam.duration = window_.examDuration[n]->text();
    }
    return exams;
}

CueSettings MainWindowAdapter::cues() const {
    CueSettings cues;
    for (int n = 1; n <= kCueCount; ++n) {
        CueSetting& cue = rowOf(cues, n);
        cue.enabled = window_.cueEnabled[n]->checked();
        cue.caption = window_.cueEnabled[n]->caption();
        cue.path = window_.cuePath[n]->text();
    }
    return cues;
}

void MainWindowAdapter::setExams(const ExamSettings& exams) {
    for (int n = 1; n <= kExamCount; ++n) {
        const ExamSetting& exam = rowOf(exams, n);
        setIfDifferent(*window_.examEnabled[n], exam.enabled);
        setIfDifferent(*window_.examSubject[n], exam.subject);
        setIfDifferent(*window_.examStart[n], exam.start);
        setIfDifferent(*window_.examDuration[n], exam.duration);
    }
}

void MainWindowAdapter::setCues(const CueSettings& cues) {
    for (int n = 1; n <= kCueCount; ++n) {
        const CueSetting& cue = rowOf(cues, n);
        setIfDifferent(*window_.cueEnabled[n], cue.enabled);
        setIfDifferent(*window_.cuePath[n], cue.path);
    }
}

void MainWindowAdapter::setExamEnd(int exam, const Text& caption) {
    if (isExam(exam)) {
        window_.examEnd[exam]->setCaption(caption);
    }
}

void MainWindowAdapter::focusExamField(int exam, ExamField field) {
    if (!isExam(exam)) {
        return;
    }
    switch (field) {
        case ExamField::Subject:
            window_.examSubject[exam]->setFocus();
            break;
        case ExamField::Start:
            window_.examStart[exam]->setFocus();
            break;
        case ExamField::Duration:
            window_.examDuration[exam]->setFocus();
            break;
    }
}

void MainWindowAdapter::focusCuePath(int cue) {
    if (isCue(cue)) {
        window_.cuePath[cue]->setFocus();
    }
}

bool MainWindowAdapter::runChecked() const {
    return window_.runButton->checked();
}

void MainWindowAdapter::setRunChecked(bool checked) {
    window_.runButton->setChecked(checked);
}

void MainWindowAdapter::setRunEnabled(bool enabled) {
    window_.runButton->setDisabled(!enabled);
}

void MainWindowAdapter::setRunTooltip(const Text& tooltip) {
    window_.runButton->setTooltip(tooltip);
}

int MainWindowAdapter::runButtonLeft() const {
    return window_.runButton->left();
}

void MainWindowAdapter::setRunButtonLeft(int left) {
    window_.runButton->setLeft(left);
}

int MainWindowAdapter::runButtonRestingLeft(bool running) const {
    return running ? MainWindow::kRunButtonRunningLeft : MainWindow::kRunButtonIdleLeft;
}

void MainWindowAdapter::setWide(bool wide) {
    // The notice of cues that did not play lies over the foot of the list: while one stands the
    // window stays wide, so that it and the rows it names stay in sight until dismissed.
    const bool notice = window_.missNotice->noticeCount() > 0;
    window_.setWindowWidth(wide || notice ? MainWindow::kWideWidth : MainWindow::kNarrowWidth);
}

void MainWindowAdapter::clearReminders() {
    window_.reminderList->deleteAllRows();
}

void MainWindowAdapter::addReminder(const ReminderRow& row) {
    ReportList& list = *window_.reminderList;
    const int r = list.addRow();
    list.setCell(r, 0, row.number);
    list.setCell(r, 1, row.subject);
    list.setCell(r, 2, row.time);
    list.setCell(r, 3, row.caption);
    list.setCell(r, 4, row.fileName);
}

std::vector<ReminderRow> MainWindowAdapter::reminders() const {
    const ReportList& list = *window_.reminderList;
    std::vector<ReminderRow> rows;
    for (int r = 0; r < list.rowCount(); ++r) {
        rows.push_back(ReminderRow{list.cell(r, 0), list.cell(r, 1), list.cell(r, 2),
                                   list.cell(r, 3), list.cell(r, 4)});
    }
    return rows;
}

void MainWindowAdapter::setClockCaption(const Text& caption) {
    window_.clockLabel->setCaption(caption);
}

void MainWindowAdapter::setClockVisible(bool visible) {
    window_.clockLabel->setVisible(visible);
}

const DialogOwner* MainWindowAdapter::dialogOwner() const {
    return &window_;
}

}  // namespace exambell
