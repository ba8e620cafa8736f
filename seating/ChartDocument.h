#pragma once
// The printed seating chart as plain values: its title block, the grid's seat rows and columns
// with their labels, and the footer with the draw code. ChartOutput (ui/QtChartOutput) lays it out
// on an A4 landscape page; nothing here knows about painting.

#include "platform/Clock.h"
#include "seating/DrawnChart.h"
#include "seating/SeatTable.h"
#include "seating/SeatingView.h"
#include "text/Text.h"

namespace exambell {

struct ChartDocument {
    Text heading;      // "考试座位表", with the exam in front of it when one is typed
    Text date;         // "2026年1月2日"
    Text classes;      // the class the chart was drawn for, "" in numbers mode
    Text room;         // as typed, "" when none
    Text exam;         // as typed, "" when none
    Text code;         // the draw code of the chart shown, "" before a draw
    Text fingerprint;  // the roster fingerprint of that draw
    // The labelled part of the grid: row 0 holds the column labels (column 0 empty), column 0
    // the row labels; the grid's always-empty first row and the empty rows after the last
    // labelled one are left out. A seat's text may hold its exam number and name on two lines
    // ("\n" between them).
    SeatTable table;
    // Another sheet on the same page (an exam plan's week): when set, the second line and the
    // footer as they stand, and no front of the room above the table.
    Text detailsLine;
    Text footerLine;
    bool roomFront = true;

    // The title block's second line: date, classes, room and exam, each with its caption, the
    // empty ones left out.
    Text details() const;
    // The footer: the draw code and the fingerprint, or a note that the chart has none.
    Text footer() const;

    // The document of a drawn chart, with the room and exam as typed now, on date.
    static ChartDocument of(const DrawnChart& drawn, const ChartFields& fields,
                            const LocalTime& date);
};

// Writing the chart as a PDF file and printing it: the platform's part.
class ChartOutput {
  public:
    virtual ~ChartOutput() = default;
    // Writes the PDF over path (GBK) as a whole: false leaves a file that was there as it was.
    virtual bool writePdf(const ChartDocument& document, const Text& path) = 0;
    enum class PrintResult { Printed, Cancelled, Failed };
    // Shows the print dialog over owner and prints on the printer chosen there.
    virtual PrintResult print(const ChartDocument& document, const DialogOwner* owner) = 0;
};

}  // namespace exambell
