#include "seating/SeatingExport.h"

#include <algorithm>

#include "platform/Dialogs.h"
#include "seating/SeatingView.h"
#include "text/Encoding.h"

namespace exambell {

namespace {

const Text kTitleSuffix = utf8ToGbk("考试座位表");

const Text kNoSpreadsheet = utf8ToGbk("Excel程序创建失败！请检查是否有安装Excel 2000以上版本");
const Text kNotHandedOver =
    utf8ToGbk("座位表未能写入或未能在电子表格程序中打开，请检查临时文件夹是否可写");

class TableCells : public GridCells {
  public:
    explicit TableCells(const SeatTable& table) : table_(table) {}
    int rowCount() const override { return table_.rowCount(); }
    int columnCount() const override { return table_.columnCount(); }
    Text cell(int row, int column) const override { return table_.cell(row, column); }

  private:
    const SeatTable& table_;
};

}  // namespace

SeatingExport::SeatingExport(SeatingView& view, Spreadsheet& spreadsheet, const Clock& clock,
                             Dialogs& dialogs)
    : view_(view), spreadsheet_(spreadsheet), clock_(clock), dialogs_(dialogs) {}

void SeatingExport::exportToSpreadsheet() {
    const Text caption = title(clock_.now(), view_.chartFields().classText);
    const SeatTable table = view_.table();
    switch (copyGrid(spreadsheet_, caption, TableCells(table))) {
        case Outcome::Done:
            break;
        case Outcome::NotStarted:
            dialogs_.message(kNoSpreadsheet, MessageButtons::Ok, MessageIcon::None, view_.owner());
            break;
        case Outcome::NotHandedOver:
            dialogs_.message(kNotHandedOver, MessageButtons::Ok, MessageIcon::None, view_.owner());
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
