#pragma once
// The chart the last draw put into the grid, as the draw made it: what the exports print under
// its code. The grid itself can change after the draw (the row and column fields resize it), so
// the exports compare it with this before they trust it.

#include <algorithm>

#include "seating/SeatTable.h"
#include "text/Text.h"

namespace exambell {

struct DrawnChart {
    SeatTable table{};  // the grid as the draw filled it (its first row empty)
    Text code{};        // the draw code
    Text fingerprint{};
    // The class the chart seats: the class box's text when the draw was made ("" in numbers
    // mode), or the classes of a mixed room joined by "、".
    Text classes{};

    // Whether grid still holds a text in every cell the draw wrote one into. A cell the operator
    // edited counts; one the row or column field cut off (and perhaps brought back empty) does
    // not.
    bool isWholeIn(const SeatTable& grid) const {
        for (int r = 0; r < table.rowCount(); ++r) {
            for (int j = 0; j < table.columnCount(); ++j) {
                if (!table.cell(r, j).empty() &&
                    (r >= grid.rowCount() || j >= grid.columnCount() || grid.cell(r, j).empty())) {
                    return false;
                }
            }
        }
        return true;
    }
    // The grid's texts over the drawn chart's rows and columns (edits kept, cells the grid has
    // grown by left out).
    SeatTable shownIn(const SeatTable& grid) const {
        SeatTable shown(table.rowCount(), table.columnCount());
        for (int r = 0; r < std::min(table.rowCount(), grid.rowCount()); ++r) {
            for (int j = 0; j < std::min(table.columnCount(), grid.columnCount()); ++j) {
                shown.setCell(r, j, grid.cell(r, j));
            }
        }
        return shown;
    }
};

}  // namespace exambell
