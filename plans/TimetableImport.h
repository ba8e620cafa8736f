#pragma once
// The import of the timetable an exam office already has: an .xlsx workbook (its first sheet,
// read with libzip and Qt's XML stream reader) or a CSV file (GBK or UTF-8, comma or tab). The
// columns are found by their Chinese headings in the first row that has them (rows above it, a
// title merged across the sheet for one, are not data): 日期, 科目, 开始时间 (or 开始, 开考时间),
// and 时长 (minutes) or 结束时间. Every row below is checked; a row that fails is listed with its
// row number and reason, and only the rows that pass are offered. Nothing is written here.

#include <vector>

#include "plans/ExamPlan.h"

namespace exambell {

// One cell of a table as read: its text (GBK) or number, and what makes it unusable.
struct TableCell {
    Text text;
    bool isNumber = false;
    double number = 0;  // spreadsheets keep dates as days since 1899-12-30, times as day parts
    bool formula = false;
    Text unusable;  // non-empty: the reason the cell cannot be read (a character GBK lacks)
};
struct TableRow {
    int number = 0;  // the row number the operator sees in the spreadsheet or the file's record
    std::vector<TableCell> cells;
};

struct BadRow {
    int row = 0;
    Text reason;  // GBK
};

struct TimetableImport {
    std::vector<PlanSitting> sittings;  // the rows that passed, in file order
    std::vector<int> sittingRows;       // their row numbers
    std::vector<BadRow> bad;
    Text error;  // the file as a whole cannot be read (then nothing else is set)
};

// Files larger than this are refused before reading (an exam week's timetable is small).
inline constexpr std::size_t kMaxTimetableBytes = 8 * 1024 * 1024;
// Tables with more rows below their headings are refused whole, so that an import, which runs
// while the window waits, stays short.
inline constexpr std::size_t kMaxTimetableRows = 5000;

// Reads the table of a CSV file's bytes, or of an .xlsx workbook's first sheet; the error is
// set when the file is no such table.
std::vector<TableRow> readCsvTable(std::string_view bytes);
std::vector<TableRow> readXlsxTable(std::string_view path, Text& error);

// Checks the rows of a table. existing: the plan's sittings, which an imported one may not
// overlap; cues: the switches of the main window's cues each sitting gets.
TimetableImport checkTimetable(const std::vector<TableRow>& table,
                               const std::vector<PlanSitting>& existing,
                               const std::array<bool, kCueCount>& cues);

// The whole import of a file, .xlsx by its name, else CSV.
TimetableImport importTimetable(std::string_view path, const std::vector<PlanSitting>& existing,
                                const std::array<bool, kCueCount>& cues);

// What the operator is shown before accepting: how many rows pass, and the bad ones (at most
// maxListed, then how many more).
Text importSummary(const TimetableImport& import, std::size_t maxListed = 30);

}  // namespace exambell
