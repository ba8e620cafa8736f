#include "ui/Grid.h"

#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>

#include "ui/QtText.h"

namespace exambell {

Grid::Grid(QWidget* parent, const Text& designName)
    : Control(new QTableWidget(parent), designName) {
    QTableWidget* grid = table();
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setDefaultSectionSize(80);
    // Tab leaves the grid for the next control; the arrow keys move between its cells.
    grid->setTabKeyNavigation(false);
}

QTableWidget* Grid::table() const {
    return static_cast<QTableWidget*>(widget());
}

int Grid::rowCount() const {
    return table()->rowCount();
}

int Grid::columnCount() const {
    return table()->columnCount();
}

void Grid::setRowCount(int rows) {
    table()->setRowCount(std::max(rows, 0));
}

void Grid::setColumnCount(int columns) {
    table()->setColumnCount(std::max(columns, 0));
}

Text Grid::cell(int row, int column) const {
    QTableWidgetItem* item = table()->item(row, column);
    return item ? fromQString(item->text()) : Text();
}

void Grid::setCell(int row, int column, const Text& text) {
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) {
        return;
    }
    auto* item = new QTableWidgetItem(toQString(text));
    item->setTextAlignment(Qt::AlignCenter);
    table()->setItem(row, column, item);
}

void Grid::reset() {
    table()->clearContents();
    table()->clearSpans();
}

}  // namespace exambell
