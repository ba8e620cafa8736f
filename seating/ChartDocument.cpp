#include "seating/ChartDocument.h"

#include "text/Encoding.h"

namespace exambell {

namespace {

const Text kHeading = utf8ToGbk("考试座位表");
const Text kExamWord = utf8ToGbk("考试");
const Text kSeatingChart = utf8ToGbk("座位表");
const Text kYear = utf8ToGbk("年");
const Text kMonth = utf8ToGbk("月");
const Text kDay = utf8ToGbk("日");
const Text kDateCaption = utf8ToGbk("日期：");
const Text kClassCaption = utf8ToGbk("班级：");
const Text kRoomCaption = utf8ToGbk("考场：");
const Text kExamCaption = utf8ToGbk("考试：");
const Text kCodeCaption = utf8ToGbk("抽签码：");
const Text kFingerprintCaption = utf8ToGbk("名单指纹：");
const Text kNoCode = utf8ToGbk("本表没有抽签码");
const Text kGap = utf8ToGbk("　　");  // two wide blanks between the parts of a line

// Whether text ends with the whole characters of tail (a GBK trail byte is no character start).
bool endsWithCharacters(const Text& text, const Text& tail) {
    if (!text.ends_with(tail)) {
        return false;
    }
    std::size_t at = 0;
    const std::size_t start = text.size() - tail.size();
    while (at < start) {
        at += static_cast<unsigned char>(text[at]) >= 0x81 ? 2 : 1;
    }
    return at == start;
}

void addPart(Text& line, const Text& caption, const Text& value) {
    if (value.empty()) {
        return;
    }
    if (!line.empty()) {
        line += kGap;
    }
    line += caption;
    line += value;
}

}  // namespace

Text ChartDocument::details() const {
    if (!detailsLine.empty()) {
        return detailsLine;
    }
    Text line;
    addPart(line, kDateCaption, date);
    addPart(line, kClassCaption, classes);
    addPart(line, kRoomCaption, room);
    addPart(line, kExamCaption, exam);
    return line;
}

Text ChartDocument::footer() const {
    if (!footerLine.empty()) {
        return footerLine;
    }
    if (code.empty()) {
        return kNoCode;
    }
    Text line;
    addPart(line, kCodeCaption, code);
    addPart(line, kFingerprintCaption, fingerprint);
    return line;
}

ChartDocument ChartDocument::of(const DrawnChart& drawn, const ChartFields& fields,
                                const LocalTime& date) {
    ChartDocument document;
    // "期中考试" + "座位表", not "期中考试考试座位表".
    const bool namesExam = endsWithCharacters(fields.exam, kExamWord);
    document.heading = fields.exam.empty() ? kHeading
                       : namesExam         ? fields.exam + kSeatingChart
                                           : fields.exam + kHeading;
    document.date =
        toText(date.year) + kYear + toText(date.month) + kMonth + toText(date.day) + kDay;
    document.classes = drawn.classes;
    document.room = fields.room;
    document.exam = fields.exam;
    document.code = drawn.code;
    document.fingerprint = drawn.fingerprint;
    const SeatTable& grid = drawn.table;
    // Rows below the last one with a label or a seat are left off: they would only shrink the
    // seats on the page.
    int rows = std::max(grid.rowCount() - 1, 0);
    const auto emptyRow = [&grid](int r) {
        for (int j = 0; j < grid.columnCount(); ++j) {
            if (!grid.cell(r, j).empty()) {
                return false;
            }
        }
        return true;
    };
    while (rows > 1 && emptyRow(rows)) {
        --rows;
    }
    document.table = SeatTable(rows, grid.columnCount());
    for (int r = 0; r < rows; ++r) {
        for (int j = 0; j < grid.columnCount(); ++j) {
            document.table.setCell(r, j, grid.cell(r + 1, j));
        }
    }
    return document;
}

}  // namespace exambell
