#pragma once
// Report list: rows of text cells under titled columns. Rows and columns are 0-based.

#include <utility>
#include <vector>

#include "text/Text.h"
#include "ui/Control.h"

class QTreeWidget;

namespace exambell {

class ReportList : public Control {
    Q_OBJECT
  public:
    struct Column {
        Text title;
        int width;
    };
    // How a row stands out: plain, highlighted (what comes next), done (greyed), alert (red).
    enum class Tone { Plain, Highlight, Done, Alert };

    ReportList(QWidget* parent, const Text& designName, const std::vector<Column>& columns);

    int rowCount() const;
    int columnCount() const;
    // Appends an empty row and returns its index.
    int addRow();
    Text cell(int row, int column) const;
    // A cell outside the rows and columns is ignored.
    void setCell(int row, int column, const Text& text);
    void deleteAllRows();
    // Colours every cell of a row; a row outside the rows is ignored.
    void setRowTone(int row, Tone tone);
    Tone rowTone(int row) const;
    QTreeWidget* tree() const;
};

}  // namespace exambell
