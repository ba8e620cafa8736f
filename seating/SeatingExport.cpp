#include "seating/SeatingExport.h"

#include <algorithm>

namespace exambell {

namespace {

constexpr std::string_view kTitleSuffix = "\xBF\xBC\xCA\xD4\xD7\xF9\xCE\xBB\xB1\xED";  // 考试座位表

}  // namespace

Text SeatingExport::cellAddress(int row, int column) {
    // Bijective base 26: 1 = "a", 26 = "z", 27 = "aa", 53 = "ba".
    Text name;
    for (long long n = static_cast<long long>(column) + 1; n > 0; n = (n - 1) / 26) {
        name += static_cast<char>('a' + (n - 1) % 26);
    }
    std::reverse(name.begin(), name.end());
    return name + toText(static_cast<std::int64_t>(row) + 1);
}

Text SeatingExport::title(const LocalTime& date, std::string_view className) {
    Text text = toText(date.year) + toText(date.month) + toText(date.day);
    text += '_';
    text += className;
    text += kTitleSuffix;
    return text;
}

SeatingExport::Outcome SeatingExport::copyGrid(Spreadsheet& spreadsheet, const Text& caption,
                                               const GridCells& grid) {
    if (!spreadsheet.start()) {
        return Outcome::NotStarted;
    }
    spreadsheet.newWorkbook();
    spreadsheet.selectSheet(1);
    spreadsheet.setCaption(caption);
    spreadsheet.setVisible();
    const int rows = grid.rowCount();
    for (int r = 0; r < rows; ++r) {
        const int columns = grid.columnCount();
        for (int j = 0; j < columns; ++j) {
            const Text address = cellAddress(r, j);
            spreadsheet.setRange(address, address, grid.cell(r, j));
        }
    }
    return spreadsheet.release() ? Outcome::Done : Outcome::NotHandedOver;
}

}  // namespace exambell
