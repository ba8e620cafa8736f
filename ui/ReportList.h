#pragma once
// Report list: rows of text cells under titled columns. Rows and columns are 0-based.
// The columns fit the list's width: each gets at least its design width where there is room,
// never less than its title and texts need while they fit, and the last takes what is left, so
// that no sideways scroll bar appears in the normal case. A text still too long for its column
// is shortened in the middle and shown whole as the cell's tooltip.

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
    // Fits the columns now (it also happens by itself after changes and resizes).
    void fitColumns();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void scheduleFit();

    std::vector<int> designWidths_;
    bool fitPending_ = false;
    // The list's viewport, whose resizes fit the columns. Compared by address only: the filter
    // also sees the events of the list's destruction, when the list is no tree any more.
    const QObject* viewport_ = nullptr;
};

}  // namespace exambell
