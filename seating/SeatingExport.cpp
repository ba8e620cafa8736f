#include "seating/SeatingExport.h"

#include <algorithm>
#include <cctype>

#include "platform/Dialogs.h"
#include "seating/SeatingChart.h"
#include "seating/SeatingView.h"
#include "seating/XlsxSpreadsheet.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {

namespace {

const Text kTitleSuffix = utf8ToGbk("考试座位表");

const Text kNoSpreadsheet = utf8ToGbk("Excel程序创建失败！请检查是否有安装Excel 2000以上版本");
const Text kNotHandedOver =
    utf8ToGbk("座位表未能写入或未能在电子表格程序中打开，请检查临时文件夹是否可写");

const Text kDrawAgain = utf8ToGbk(
    "排数或列数在生成座位后改过，表格里的座位表已不完整；请重新生成座位（或按抽签码重现）后再导出");

const Text kPdfFilter = utf8ToGbk("PDF文件(*.pdf)|*.pdf");
const Text kPdfExtension = ".pdf";
const Text kPdfFailed = utf8ToGbk("PDF文件未能写入，请换一个位置或文件名再试；原有的文件没有改动");
const Text kPrintFailed = utf8ToGbk("打印失败：打印机没有接受这份座位表");
const Text kWorkbookExtension = ".xlsx";
const Text kWorkbookFilter = utf8ToGbk("Excel工作簿(*.xlsx)|*.xlsx");
const Text kWorkbookFailed =
    utf8ToGbk("工作簿未能写入，请换一个位置或文件名再试；原有的文件没有改动");

// A chosen name without the extension gets it, as the save dialogs of most desktops do.
Text withExtension(Text path, const Text& extension) {
    const bool has =
        path.size() >= extension.size() &&
        std::equal(extension.begin(), extension.end(),
                   path.end() - static_cast<std::ptrdiff_t>(extension.size()), [](char a, char b) {
                       return std::tolower(static_cast<unsigned char>(a)) ==
                              std::tolower(static_cast<unsigned char>(b));
                   });
    if (!has) {
        path += extension;
    }
    return path;
}

// A file name for the caption that every file system takes, with extension instead of ".xlsx".
Text fileNameFor(const Text& caption, const Text& extension) {
    Text name = utf8ToGbk(XlsxSpreadsheet::fileNameFor(caption));
    name.resize(name.size() - std::string_view(".xlsx").size());
    return name + extension;
}

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
                             Dialogs& dialogs, ChartOutput& output, const SeatingChart& chart)
    : view_(view),
      spreadsheet_(spreadsheet),
      chart_(chart),
      clock_(clock),
      dialogs_(dialogs),
      output_(output) {}

std::optional<DrawnChart> SeatingExport::wholeChart() {
    const std::optional<DrawnChart>& drawn = chart_.drawn();
    const SeatTable grid = view_.table();
    if (!drawn || !drawn->isWholeIn(grid)) {
        tell(kDrawAgain);
        return std::nullopt;
    }
    DrawnChart shown = *drawn;
    shown.table = drawn->shownIn(grid);
    return shown;
}

void SeatingExport::tell(const Text& text) {
    dialogs_.message(text, MessageButtons::Ok, MessageIcon::Error, view_.owner());
}

void SeatingExport::exportPdf() {
    const std::optional<DrawnChart> drawn = wholeChart();
    if (!drawn) {
        return;
    }
    const LocalTime now = clock_.now();
    const ChartDocument chart = ChartDocument::of(*drawn, view_.chartFields(), now);
    const Text name = fileNameFor(title(now, drawn->classes), kPdfExtension);
    const std::optional<Text> path = dialogs_.saveFile(kPdfFilter, Text(), name, view_.owner());
    if (!path) {
        return;
    }
    if (!output_.writePdf(chart, withExtension(*path, kPdfExtension))) {
        tell(kPdfFailed);
    }
}

void SeatingExport::printChart() {
    const std::optional<DrawnChart> drawn = wholeChart();
    if (!drawn) {
        return;
    }
    const ChartDocument chart = ChartDocument::of(*drawn, view_.chartFields(), clock_.now());
    if (output_.print(chart, view_.owner()) == ChartOutput::PrintResult::Failed) {
        tell(kPrintFailed);
    }
}

void SeatingExport::saveWorkbook() {
    const std::optional<DrawnChart> drawn = wholeChart();
    if (!drawn) {
        return;
    }
    const Text caption = title(clock_.now(), drawn->classes);
    const Text name = fileNameFor(caption, kWorkbookExtension);
    const std::optional<Text> path =
        dialogs_.saveFile(kWorkbookFilter, Text(), name, view_.owner());
    if (!path) {
        return;
    }
    if (!XlsxSpreadsheet::saveTable(nativePath(withExtension(*path, kWorkbookExtension)), caption,
                                    drawn->table)) {
        tell(kWorkbookFailed);
    }
}

void SeatingExport::exportToSpreadsheet() {
    const std::optional<DrawnChart> drawn = wholeChart();
    if (!drawn) {
        return;
    }
    const Text caption = title(clock_.now(), drawn->classes);
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
