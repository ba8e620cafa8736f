#include "ui/SeatingWindowAdapter.h"

#include "ui/SeatingWindow.h"

namespace exambell {

ChartFields SeatingWindowAdapter::chartFields() const {
    return {.classText = window_.classBox->text(),
            .classValue = window_.classBox->currentValue(),
            .count = window_.countEdit->text(),
            .rows = window_.rowsEdit->text(),
            .columns = window_.columnsEdit->text()};
}

ImportFields SeatingWindowAdapter::importFields() const {
    return {.className = window_.classNameEdit->text(),
            .separator = window_.separatorBox->text(),
            .roster = window_.rosterEdit->text()};
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
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int j = 0; j < table.columnCount(); ++j) {
            if (!table.cell(r, j).empty()) {
                grid.setCell(r, j, table.cell(r, j));
            }
        }
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

void SeatingWindowAdapter::setExportEnabled(bool enabled) {
    window_.exportButton->setDisabled(!enabled);
}

const DialogOwner* SeatingWindowAdapter::owner() const {
    return &window_;
}

}  // namespace exambell
