#include "ui/RunProgressAdapter.h"

namespace exambell {

RunProgressAdapter::RunProgressAdapter(MainWindow& window) : window_(window) {
    setShiftChoices({});
}

void RunProgressAdapter::setReminderMark(int row, const Text& mark, RowState state) {
    ReportList& list = *window_.reminderList;
    list.setCell(row, kMarkColumn, mark);
    ReportList::Tone tone = ReportList::Tone::Plain;
    switch (state) {
        case RowState::Next:
        case RowState::WaitingForDevice:
            tone = ReportList::Tone::Highlight;
            break;
        case RowState::Played:
            tone = ReportList::Tone::Done;
            break;
        case RowState::Missed:
            tone = ReportList::Tone::Alert;
            break;
        case RowState::Ahead:
            break;
    }
    list.setRowTone(row, tone);
}

void RunProgressAdapter::setCountdown(const Text& text) {
    window_.countdownLabel->setCaption(text);
    window_.countdownLabel->setVisible(!text.empty());
}

void RunProgressAdapter::addNotice(const Text& text) {
    window_.missNotice->addNotice(text);
    // Also after the run has ended (a cue that waited for a device in vain): a notice must be
    // seen, and it lies in the wide part of the window.
    window_.setWindowWidth(MainWindow::kWideWidth);
}

void RunProgressAdapter::setEditNote(const Text& text) {
    window_.editNote->setCaption(text);
    window_.editNote->setVisible(!text.empty());
}

void RunProgressAdapter::setShiftChoices(const std::vector<ExamChoice>& choices) {
    ComboBox& box = *window_.shiftExam;
    const int chosen = box.currentIndex() >= 0 ? box.currentValue() : 0;
    box.clear();
    int keep = choices.empty() ? -1 : 0;
    for (const ExamChoice& c : choices) {
        const int index = box.addItem(c.subject, c.exam);
        if (c.exam == chosen) {
            keep = index;
        }
    }
    box.setCurrentIndex(keep);
    const bool enabled = !choices.empty();
    box.setDisabled(!enabled);
    window_.shiftMinutes->setDisabled(!enabled);
    window_.shiftButton->setDisabled(!enabled);
}

int RunProgressAdapter::shiftChoice() const {
    const ComboBox& box = *window_.shiftExam;
    return box.currentIndex() >= 0 ? box.currentValue() : 0;
}

std::optional<int> RunProgressAdapter::shiftMinutes() const {
    return window_.shiftMinutes->value();
}

}  // namespace exambell
