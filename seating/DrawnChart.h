#pragma once
// The chart the last draw put into the grid, as the draw made it: what the exports print under
// its code. The grid itself can change after the draw (the row and column fields resize it), so
// the exports compare it with this before they trust it.

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

    // Whether grid still holds every text the draw wrote, each in its cell.
    bool isWholeIn(const SeatTable& grid) const {
        for (int r = 0; r < table.rowCount(); ++r) {
            for (int j = 0; j < table.columnCount(); ++j) {
                const Text& text = table.cell(r, j);
                if (!text.empty() &&
                    (r >= grid.rowCount() || j >= grid.columnCount() || grid.cell(r, j) != text)) {
                    return false;
                }
            }
        }
        return true;
    }
};

}  // namespace exambell
