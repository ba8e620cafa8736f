#include "ui/ArrangementWindowAdapter.h"

#include <QTableWidget>

#include "text/Encoding.h"
#include "ui/ArrangementWindow.h"

namespace exambell {

namespace {

const Text kCodeCaption = utf8ToGbk("抽签码：");
const Text kFingerprintCaption = utf8ToGbk("名单指纹：");

}  // namespace

ArrangementFields ArrangementWindowAdapter::fields() const {
    const ArrangementWindow& w = window_;
    ArrangementFields fields{
        .className = w.classNameEdit->text(),
        .separator = w.separatorBox->text(),
        .roster = w.rosterEdit->text(),
        .chosenClass = w.classList->currentValue(),
        .batchCount = w.batchCountEdit->text(),
        .batchRows = w.batchRowsEdit->text(),
        .batchColumns = w.batchColumnsEdit->text(),
        .batchSpacing = static_cast<Spacing>(std::max(w.batchSpacingBox->currentIndex(), 0)),
        .rooms = w.roomsEdit->text(),
        .order = static_cast<CandidateOrder>(std::max(w.orderBox->currentIndex(), 0)),
        .mixed = w.mixedBox->checked(),
        .prefix = w.prefixEdit->text(),
        .roomDigits = w.roomDigitsEdit->text(),
        .seatDigits = w.seatDigitsEdit->text(),
        .exam = w.examEdit->text(),
        .typedCode = w.codeEdit->text()};
    for (const EditBox* box : {w.classNameEdit, w.rosterEdit}) {
        if (!fields.importLost) {
            fields.importLost = box->nonGbkCharacter();
        }
    }
    for (const EditBox* box : {w.roomsEdit, w.prefixEdit, w.examEdit}) {
        if (!fields.arrangeLost) {
            fields.arrangeLost = box->nonGbkCharacter();
        }
    }
    return fields;
}

void ArrangementWindowAdapter::setClassName(const Text& name) {
    window_.classNameEdit->setText(name);
}

void ArrangementWindowAdapter::setRoster(const Text& roster) {
    window_.rosterEdit->setText(roster);
}

void ArrangementWindowAdapter::setClassEntries(const std::vector<Text>& entries) {
    ComboBox& box = *window_.classList;
    box.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        box.addItem(entries[i], static_cast<int>(i) + 1);
    }
}

void ArrangementWindowAdapter::setRooms(const Text& rooms) {
    window_.roomsEdit->setText(rooms);
}

void ArrangementWindowAdapter::showSettings(const ArrangementSettings& settings) {
    ArrangementWindow& w = window_;
    w.orderBox->setCurrentIndex(static_cast<int>(settings.order));
    w.mixedBox->setChecked(settings.mixed);
    w.prefixEdit->setText(settings.format.prefix);
    w.roomDigitsEdit->setText(toText(settings.format.roomDigits));
    w.seatDigitsEdit->setText(toText(settings.format.seatDigits));
    w.examEdit->setText(settings.exam);
    w.codeEdit->setText(settings.code);
    if (!settings.rooms.empty()) {
        Text rooms;
        for (std::size_t i = 0; i < settings.rooms.size(); ++i) {
            rooms += (i == 0 ? "" : "\r\n") + settings.rooms[i];
        }
        w.roomsEdit->setText(rooms);
    }
}

void ArrangementWindowAdapter::showSummary(const SeatTable& summary) {
    Grid& grid = *window_.summary;
    grid.reset();
    grid.setColumnCount(summary.columnCount());
    grid.setRowCount(summary.rowCount());
    for (int r = 0; r < summary.rowCount(); ++r) {
        for (int j = 0; j < summary.columnCount(); ++j) {
            if (!summary.cell(r, j).empty()) {
                grid.setCell(r, j, summary.cell(r, j));
            }
        }
    }
    // Exam numbers are read whole or not at all.
    grid.table()->resizeColumnsToContents();
}

void ArrangementWindowAdapter::setDrawInfo(const Text& code, const Text& fingerprint,
                                           const Text& note) {
    window_.codeLabel->setCaption(kCodeCaption + code);
    window_.fingerprintLabel->setCaption(kFingerprintCaption + fingerprint);
    window_.noteLabel->setCaption(note);
    window_.codeEdit->setText(code);
}

void ArrangementWindowAdapter::setOutputsEnabled(bool enabled) {
    for (Button* button : {window_.pdfButton, window_.labelsButton, window_.workbookButton}) {
        button->setDisabled(!enabled);
    }
}

const DialogOwner* ArrangementWindowAdapter::owner() const {
    return &window_;
}

}  // namespace exambell
