#include "seating/SeatingExport.h"

#include <algorithm>

#include "platform/Dialogs.h"
#include "ui/SeatingWindow.h"

namespace exambell {

namespace {

constexpr std::string_view kTitleSuffix = "\xBF\xBC\xCA\xD4\xD7\xF9\xCE\xBB\xB1\xED";  // 考试座位表

constexpr std::string_view kNoSpreadsheet =
    "Excel\xB3\xCC\xD0\xF2\xB4\xB4\xBD\xA8\xCA\xA7\xB0\xDC\xA3\xA1\xC7\xEB\xBC\xEC\xB2\xE9\xCA\xC7"
    "\xB7\xF1\xD3\xD0\xB0\xB2\xD7\xB0"
    "Excel 2000\xD2\xD4\xC9\xCF\xB0\xE6\xB1\xBE";  // Excel程序创建失败！请检查是否有安装Excel
                                                   // 2000以上版本
// 座位表未能写入或未能在电子表格程序中打开，请检查临时文件夹是否可写
constexpr std::string_view kNotHandedOver =
    "\xD7\xF9\xCE\xBB\xB1\xED\xCE\xB4\xC4\xDC\xD0\xB4\xC8\xEB\xBB\xF2\xCE\xB4\xC4\xDC\xD4\xDA\xB5"
    "\xE7\xD7\xD3\xB1\xED\xB8\xF1\xB3\xCC\xD0\xF2\xD6\xD0\xB4\xF2\xBF\xAA\xA3\xAC\xC7\xEB\xBC\xEC"
    "\xB2\xE9\xC1\xD9\xCA\xB1\xCE\xC4\xBC\xFE\xBC\xD0\xCA\xC7\xB7\xF1\xBF\xC9\xD0\xB4";

class WindowGrid : public GridCells {
  public:
    explicit WindowGrid(const Grid& grid) : grid_(grid) {}
    int rowCount() const override { return grid_.rowCount(); }
    int columnCount() const override { return grid_.columnCount(); }
    Text cell(int row, int column) const override { return grid_.cell(row, column); }

  private:
    const Grid& grid_;
};

}  // namespace

SeatingExport::SeatingExport(SeatingWindow& window, Spreadsheet& spreadsheet, const Clock& clock,
                             Dialogs& dialogs)
    : window_(window), spreadsheet_(spreadsheet), clock_(clock), dialogs_(dialogs) {}

void SeatingExport::exportToSpreadsheet() {
    const Text caption = title(clock_.now(), window_.classBox->text());
    switch (copyGrid(spreadsheet_, caption, WindowGrid(*window_.grid))) {
        case Outcome::Done:
            break;
        case Outcome::NotStarted:
            dialogs_.message(Text(kNoSpreadsheet), MessageButtons::Ok, MessageIcon::None, &window_);
            break;
        case Outcome::NotHandedOver:
            dialogs_.message(Text(kNotHandedOver), MessageButtons::Ok, MessageIcon::None, &window_);
            break;
    }
}

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
