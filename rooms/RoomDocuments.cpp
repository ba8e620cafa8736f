#include "rooms/RoomDocuments.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <set>
#include <system_error>

#include "text/Encoding.h"

namespace exambell {

namespace {

const Text kOrdinalPrefix = utf8ToGbk("第");
const Text kRowSuffix = utf8ToGbk("行");
const Text kColumnSuffix = utf8ToGbk("列");
const Text kClosed = utf8ToGbk("停用");
const Text kChartHeading = utf8ToGbk("考试座位表");
const Text kYear = utf8ToGbk("年");
const Text kMonth = utf8ToGbk("月");
const Text kDay = utf8ToGbk("日");
const Text kDoor = utf8ToGbk("门贴");
const Text kSignIn = utf8ToGbk("签到表");
const Text kNumbers = utf8ToGbk("考号：");
const Text kCount = utf8ToGbk("人数：");
const Text kDate = utf8ToGbk("日期：");
const Text kCode = utf8ToGbk("抽签码：");
const Text kFingerprint = utf8ToGbk("名单指纹：");
const Text kGap = utf8ToGbk("　　");
const Text kAll = utf8ToGbk("全部考生");
const Text kExamNumber = utf8ToGbk("考号");
const Text kName = utf8ToGbk("姓名");
const Text kClass = utf8ToGbk("班级");
const Text kRoom = utf8ToGbk("考场");
const Text kSeat = utf8ToGbk("座号");
const Text kPosition = utf8ToGbk("位置");

Text ordinal(int number, const Text& suffix) {
    return kOrdinalPrefix + toText(number) + suffix;
}

Text seatText(int seat) {
    Text text = toText(seat);
    return text.size() < 2 ? "0" + text : text;
}

// A worksheet name Excel takes: no []:*?/\, at most 31 characters, unique in the workbook
// (names differing only in case are the same name there).
std::string sheetName(const Text& room, std::set<std::string>& taken) {
    std::u16string name = gbkToUtf16(room);
    for (char16_t& c : name) {
        if (std::u16string_view(u"[]:*?/\\").find(c) != std::u16string_view::npos) {
            c = u'_';
        }
    }
    if (name.empty() || name.front() == u'\'' || name.back() == u'\'') {
        name.insert(name.begin(), u'_');
    }
    name.resize(std::min<std::size_t>(name.size(), 26));
    const std::string base = gbkToUtf8(utf16ToGbk(name));
    const auto folded = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        return text;
    };
    std::string unique = base;
    for (int n = 2; !taken.insert(folded(unique)).second; ++n) {
        unique = base + "~" + std::to_string(n);
    }
    return unique;
}

bool writeRow(lxw_worksheet* sheet, int row, const std::vector<Text>& cells, lxw_format* format) {
    for (std::size_t j = 0; j < cells.size(); ++j) {
        if (cells[j].empty()) {
            continue;
        }
        const std::string utf8 = gbkToUtf8(cells[j]);
        if (worksheet_write_string(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(j),
                                   utf8.c_str(), format) != LXW_NO_ERROR) {
            return false;
        }
    }
    return true;
}

bool writeWorkbook(const std::filesystem::path& file, const ArrangementDocument& document) {
    lxw_workbook* workbook = workbook_new(file.string().c_str());
    if (workbook == nullptr) {
        return false;
    }
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    // Exam numbers are texts: a leading zero or a prefix must survive, and Excel would show
    // ten digits as a number in scientific notation.
    std::set<std::string> taken;
    const std::string allName = sheetName(kAll, taken);
    lxw_worksheet* all = workbook_add_worksheet(workbook, allName.c_str());
    bool ok = all != nullptr && writeRow(all, 0, {kExamNumber, kName, kClass, kRoom, kSeat}, bold);
    int row = 1;
    for (const RoomPages& room : document.rooms) {
        for (const CandidateLine& c : room.candidates) {
            ok = ok && writeRow(all, row++, {c.examNumber, c.name, c.className, room.room, c.seat},
                                nullptr);
        }
    }
    if (ok) {
        worksheet_set_column(all, 0, 0, 14, nullptr);
        worksheet_set_column(all, 1, 3, 12, nullptr);
        worksheet_autofilter(all, 0, 0, static_cast<lxw_row_t>(std::max(row - 1, 0)), 4);
        worksheet_freeze_panes(all, 1, 0);
    }
    for (const RoomPages& room : document.rooms) {
        if (!ok) {
            break;
        }
        const std::string name = sheetName(room.room, taken);
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, name.c_str());
        ok = sheet != nullptr &&
             writeRow(sheet, 0, {kExamNumber, kName, kClass, kSeat, kPosition}, bold);
        int r = 1;
        for (const CandidateLine& c : room.candidates) {
            ok = ok && writeRow(sheet, r++, {c.examNumber, c.name, c.className, c.seat, c.position},
                                nullptr);
        }
        if (ok) {
            worksheet_set_column(sheet, 0, 0, 14, nullptr);
            worksheet_set_column(sheet, 1, 4, 12, nullptr);
        }
    }
    // Closing writes the file and frees the workbook whatever happened before.
    const bool closed = workbook_close(workbook) == LXW_NO_ERROR;
    return ok && closed;
}

}  // namespace

SeatTable roomGrid(const ArrangementRequest& request, const RoomResult& result) {
    const RoomSpec& room = request.rooms[result.room];
    SeatTable table(room.rows + 1, room.columns + 1);
    for (int j = 1; j <= room.columns; ++j) {
        table.setCell(0, j, ordinal(room.columns + 1 - j, kColumnSuffix));
    }
    for (int i = 1; i <= room.rows; ++i) {
        table.setCell(i, 0, ordinal(i, kRowSuffix));
    }
    for (const auto& [row, column] : room.closed) {
        table.setCell(row, column, kClosed);
    }
    for (const SeatedCandidate& s : result.seated) {
        table.setCell(s.row, s.column,
                      s.examNumber + "\n" + request.classes[s.classIndex].names[s.student]);
    }
    return table;
}

Text ArrangementDocument::doorHeading(const RoomPages& room) const {
    return exam + room.room + kDoor;
}

Text ArrangementDocument::signInHeading(const RoomPages& room) const {
    return exam + room.room + kSignIn;
}

Text ArrangementDocument::roomDetails(const RoomPages& room) const {
    return kNumbers + room.numberRange + kGap + kCount +
           toText(static_cast<std::int64_t>(room.candidates.size())) + kGap + kDate + date;
}

Text ArrangementDocument::footer() const {
    return kCode + code + kGap + kFingerprint + fingerprint;
}

ArrangementDocument ArrangementDocument::of(const ArrangementRequest& request,
                                            const Arrangement& arrangement, const Text& code,
                                            const Text& fingerprint, const LocalTime& date) {
    ArrangementDocument document;
    document.exam = request.exam;
    document.date =
        toText(date.year) + kYear + toText(date.month) + kMonth + toText(date.day) + kDay;
    document.code = code;
    document.fingerprint = fingerprint;
    for (const RoomResult& result : arrangement.rooms) {
        if (result.seated.empty()) {
            continue;
        }
        const RoomSpec& room = request.rooms[result.room];
        RoomPages pages;
        pages.room = room.name;
        pages.numberRange =
            result.seated.front().examNumber + " - " + result.seated.back().examNumber;
        // The chart as a room's chart prints, every seat row shown, empty ones too: the
        // invigilator checks the room against it.
        pages.chart.heading = request.exam + kChartHeading;
        pages.chart.date = document.date;
        pages.chart.room = room.name;
        pages.chart.exam = request.exam;
        pages.chart.code = code;
        pages.chart.fingerprint = fingerprint;
        pages.chart.table = roomGrid(request, result);
        for (const SeatedCandidate& s : result.seated) {
            const GradeClass& grade = request.classes[s.classIndex];
            pages.candidates.push_back(
                {s.examNumber, grade.names[s.student], grade.name, seatText(s.seat),
                 ordinal(s.row, kRowSuffix) + ordinal(room.columns + 1 - s.column, kColumnSuffix)});
        }
        document.rooms.push_back(std::move(pages));
    }
    return document;
}

bool saveArrangementWorkbook(const std::filesystem::path& file,
                             const ArrangementDocument& document) {
    std::filesystem::path part = file;
    part += ".part";
    std::error_code error;
    if (!writeWorkbook(part, document)) {
        std::filesystem::remove(part, error);
        return false;
    }
    std::filesystem::rename(part, file, error);
    if (error) {
        std::filesystem::remove(part, error);
        return false;
    }
    return true;
}

}  // namespace exambell
