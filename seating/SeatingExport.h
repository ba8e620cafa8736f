#pragma once
// Copying the seat grid into a new workbook of the spreadsheet application.

#include <optional>
#include <string_view>

#include "platform/Clock.h"
#include "seating/ChartDocument.h"
#include "seating/Spreadsheet.h"
#include "text/Text.h"

namespace exambell {

class Dialogs;
class SeatingChart;
class SeatingView;

// What the export reads of the grid.
class GridCells {
  public:
    virtual ~GridCells() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual Text cell(int row, int column) const = 0;
};

class SeatingExport {
  public:
    // chart: whose last draw the exports print.
    SeatingExport(SeatingView& view, Spreadsheet& spreadsheet, const Clock& clock, Dialogs& dialogs,
                  ChartOutput& output, const SeatingChart& chart);

    // Every export takes only a chart the grid shows whole: after the row or column field has
    // cut the grid, the operator is told to draw again and nothing is written.

    // When the export button is clicked: copies the grid as it is now into a new workbook of the
    // spreadsheet application, titled with today's date and the class that was drawn, and leaves
    // it open there. Nothing an earlier export opened is touched.
    void exportToSpreadsheet();
    // The PDF button: the chart on an A4 landscape page, saved where the operator chooses.
    void exportPdf();
    // The print button: the same page on a printer chosen in the print dialog.
    void printChart();
    // The save-workbook button: the grid as a workbook, saved where the operator chooses.
    void saveWorkbook();

    // The worksheet address of grid cell (row, column), both 0-based: the column name of
    // worksheet column column + 1 in lower case ("a" .. "z", "aa" .. "az", "ba", ..., "zz",
    // "aaa", ...) followed by the row number row + 1.
    static Text cellAddress(int row, int column);
    // The spreadsheet window's title: year, month and day without leading zeros, "_", the class
    // and "考试座位表" (20191228_18软件5班考试座位表; 202015_... on 5 January 2020).
    static Text title(const LocalTime& date, std::string_view className);

    enum class Outcome { Done, NotStarted, NotHandedOver };
    // Starts the application, opens a new workbook under the caption and writes every cell of
    // the grid, empty ones too, one one-cell range at a time; then releases the application.
    static Outcome copyGrid(Spreadsheet& spreadsheet, const Text& caption, const GridCells& grid);

  private:
    // The last draw with the grid's texts (the operator's edits kept) when the grid still shows
    // it whole; otherwise nothing, after a message.
    std::optional<DrawnChart> wholeChart();
    void tell(const Text& text);

    SeatingView& view_;
    Spreadsheet& spreadsheet_;
    const SeatingChart& chart_;

    const Clock& clock_;
    Dialogs& dialogs_;
    ChartOutput& output_;
};

}  // namespace exambell
