#pragma once
// Grid: a table of text cells addressed by 0-based row and column, without header bars (the
// program writes its own labels into row 1 and column 0).

#include "text/Text.h"
#include "ui/Control.h"

class QTableWidget;

namespace exambell {

class Grid : public Control {
    Q_OBJECT
  public:
    Grid(QWidget* parent, const Text& designName);

    int rowCount() const;
    int columnCount() const;
    // A negative count is taken as 0.
    void setRowCount(int rows);
    void setColumnCount(int columns);
    Text cell(int row, int column) const;
    // A write outside the current rows and columns has no effect.
    void setCell(int row, int column, const Text& text);
    // Back to the initial look: every cell empty.
    void reset();
    QTableWidget* table() const;
};

}  // namespace exambell
