#pragma once
// The texts of a seat grid as plain values: what a generation writes into the grid control.

#include <vector>

#include "text/Text.h"

namespace exambell {

class SeatTable {
  public:
    SeatTable() = default;
    SeatTable(int rows, int columns)
        : rows_(rows), columns_(columns), cells_(static_cast<std::size_t>(rows) * columns) {}

    int rowCount() const { return rows_; }
    int columnCount() const { return columns_; }
    const Text& cell(int row, int column) const { return cells_[index(row, column)]; }
    void setCell(int row, int column, Text text) { cells_[index(row, column)] = std::move(text); }

  private:
    std::size_t index(int row, int column) const {
        return static_cast<std::size_t>(row) * columns_ + column;
    }

    int rows_ = 0;
    int columns_ = 0;
    std::vector<Text> cells_;
};

}  // namespace exambell
