#include "ui/SeatingWindowAdapter.h"

#include <QTableWidget>
#include "text/Encoding.h"

#include "ui/SeatingWindow.h"

namespace exambell {

namespace {

const Text kCodeCaption = utf8ToGbk("抽签码：");
const Text kFingerprintCaption = utf8ToGbk("名单指纹：");

// A label's text after its caption, "" when the label shows nothing of that form.
Text afterCaption(const Text& shown, const Text& caption) {
    return shown.starts_with(caption) ? shown.substr(caption.size()) : Text();
}

// The entries of 考号顺序列表 in their order.
ExamNumbering numberingOf(int index) {
    switch (index) {
        case 1:
            return ExamNumbering::Rows;
        case 2:
            return ExamNumbering::Serpentine;
        default:
            return ExamNumbering::None;
    }
}

}  // namespace

ChartFields SeatingWindowAdapter::chartFields() const {
    return {
        .classText = window_.classBox->text(),
        .classValue = window_.classBox->currentValue(),
        .count = window_.countEdit->text(),
        .rows = window_.rowsEdit->text(),
        .columns = window_.columnsEdit->text(),
        .typedCode = window_.codeEdit->text(),
        .room = window_.roomEdit->text(),
        .exam = window_.examEdit->text(),
        .shownCode = afterCaption(window_.codeLabel->caption(), kCodeCaption),
        .shownFingerprint = afterCaption(window_.fingerprintLabel->caption(), kFingerprintCaption),
        .mixedClasses = window_.mixedEdit->text(),
        .numberPrefix = window_.numberPrefixEdit->text(),
        .numbering = numberingOf(window_.numberingBox->currentIndex())};
}

ImportFields SeatingWindowAdapter::importFields() const {
    std::optional<char32_t> lost = window_.classNameEdit->nonGbkCharacter();
    if (!lost) {
        lost = window_.rosterEdit->nonGbkCharacter();
    }
    return {.className = window_.classNameEdit->text(),
            .separator = window_.separatorBox->text(),
            .roster = window_.rosterEdit->text(),
            .lostCharacter = lost};
}

void SeatingWindowAdapter::setCount(const Text& count) {
    window_.countEdit->setText(count);
}

void SeatingWindowAdapter::setClassName(const Text& className) {
    window_.classNameEdit->setText(className);
}

void SeatingWindowAdapter::setRoster(const Text& roster) {
    window_.rosterEdit->setText(roster);
}

void SeatingWindowAdapter::setClassEntries(const std::vector<ClassEntry>& entries) {
    ComboBox& box = *window_.classBox;
    box.clear();
    for (const ClassEntry& entry : entries) {
        box.addItem(entry.name, entry.value);
    }
}

void SeatingWindowAdapter::setGridRowCount(int rows) {
    window_.grid->setRowCount(rows);
}

void SeatingWindowAdapter::setGridColumnCount(int columns) {
    window_.grid->setColumnCount(columns);
}

void SeatingWindowAdapter::showTable(const SeatTable& table) {
    Grid& grid = *window_.grid;
    grid.reset();
    grid.setColumnCount(table.columnCount());
    grid.setRowCount(table.rowCount());
    bool twoLines = false;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int j = 0; j < table.columnCount(); ++j) {
            if (!table.cell(r, j).empty()) {
                grid.setCell(r, j, table.cell(r, j));
                twoLines = twoLines || table.cell(r, j).find('\n') != Text::npos;
            }
        }
    }
    // A seat with its exam number shows it above the name.
    if (twoLines) {
        grid.table()->resizeRowsToContents();
    }
}

SeatTable SeatingWindowAdapter::table() const {
    const Grid& grid = *window_.grid;
    SeatTable table(grid.rowCount(), grid.columnCount());
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int j = 0; j < table.columnCount(); ++j) {
            table.setCell(r, j, grid.cell(r, j));
        }
    }
    return table;
}

void SeatingWindowAdapter::setDrawInfo(const Text& code, const Text& fingerprint) {
    window_.codeLabel->setCaption(kCodeCaption + code);
    window_.fingerprintLabel->setCaption(kFingerprintCaption + fingerprint);
    window_.codeEdit->setText(code);
}

void SeatingWindowAdapter::setExportEnabled(bool enabled) {
    for (Button* button : {window_.exportButton, window_.pdfButton, window_.printButton,
                           window_.saveWorkbookButton}) {
        button->setDisabled(!enabled);
    }
}

const DialogOwner* SeatingWindowAdapter::owner() const {
    return &window_;
}

}  // namespace exambell
