#include "plans/TimetableImport.h"

#include <zip.h>

#include <QString>
#include <QXmlStreamReader>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>

#include "schedule/ExamFields.h"
#include "text/Paths.h"

namespace exambell {
namespace {

// Largest part of a workbook read (a sheet, the shared strings): a zip bomb stops here.
constexpr zip_uint64_t kMaxPartBytes = 64ULL * 1024 * 1024;

const Text kNoHeadings =
    utf8ToGbk("找不到表头：需要“日期”“科目”“开始时间”和“时长”或“结束时间”几列");
const Text kUnreadable = utf8ToGbk("无法读取这个文件");
const Text kNotWorkbook = utf8ToGbk("这个文件不是 Excel 工作簿（.xlsx）");
const Text kTooLarge = utf8ToGbk("文件太大，不像一份考试时间表");
const Text kTooManyRows = utf8ToGbk("表格行数太多，不像一份考试时间表");
const Text kEmptyRow = utf8ToGbk("空行");
const Text kFormula = utf8ToGbk("单元格含有公式，请先改为数值");
const Text kReasonJoin = utf8ToGbk("：");
const Text kEndNotAfterStart = utf8ToGbk("结束时间不晚于开始时间");
const Text kDuplicateBefore = utf8ToGbk("与第");
const Text kDuplicateAfter = utf8ToGbk("行重复");
const Text kRowBefore = utf8ToGbk("（第");
const Text kRowAfter = utf8ToGbk("行）");
const Text kCanImport = utf8ToGbk("可以导入 ");
const Text kSittings = utf8ToGbk(" 场考试。");
const Text kBadHeading = utf8ToGbk("以下 ");
const Text kBadHeadingEnd = utf8ToGbk(" 行有问题，不会导入：");
const Text kRowPrefix = utf8ToGbk("第");
const Text kRowSuffix = utf8ToGbk("行：");
const Text kMoreBefore = utf8ToGbk("……另有 ");
const Text kMoreAfter = utf8ToGbk(" 行");
const Text kYear = utf8ToGbk("年");
const Text kMonth = utf8ToGbk("月");
const Text kDay = utf8ToGbk("日");

enum Column { kDate, kSubject, kStart, kDuration, kEnd, kColumns };

// The headings each column is known by (blanks dropped before comparing).
const std::array<std::vector<Text>, kColumns> kHeadings = {{
    {utf8ToGbk("日期"), utf8ToGbk("考试日期")},
    {utf8ToGbk("科目"), utf8ToGbk("考试科目")},
    {utf8ToGbk("开始时间"), utf8ToGbk("开始"), utf8ToGbk("开考时间")},
    {utf8ToGbk("时长"), utf8ToGbk("考试时长"), utf8ToGbk("时长(分钟)"), utf8ToGbk("时长（分钟）")},
    {utf8ToGbk("结束时间"), utf8ToGbk("结束")},
}};

Text trimmed(std::string_view text) {
    Text t(text);
    for (;;) {
        if (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r')) {
            t.pop_back();
        } else if (t.size() >= 2 && std::string_view(t).substr(t.size() - 2) == kWideBlank) {
            t.resize(t.size() - 2);
        } else {
            break;
        }
    }
    return deleteLeadingBlanks(t);
}

Text withoutBlanks(std::string_view text) {
    Text out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = gbkCharLength(text, i);
        const std::string_view c = text.substr(i, length);
        if (c != " " && c != "\t" && c != kWideBlank) {
            out += c;
        }
        i += length;
    }
    return out;
}

// A cell of UTF-8 text as GBK, or the reason it cannot be.
TableCell utf8Cell(const QString& text) {
    TableCell cell;
    const std::u16string u16 = text.toStdU16String();
    if (const auto missing = firstNonGbkCharacter(u16)) {
        cell.unusable = nonGbkSaveMessage(*missing);
        return cell;
    }
    cell.text = utf16ToGbk(u16);
    return cell;
}

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
        } else {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += extra + 1;
    }
    return true;
}

std::optional<PlanDate> cellDate(const TableCell& cell) {
    if (cell.isNumber) {
        if (cell.number < 1 || cell.number > 2958465) {
            return std::nullopt;
        }
        // Day 0 of the spreadsheets' calendar is 1899-12-30 (their 1900 leap day included).
        return dateOfDay(dayNumber(PlanDate{1899, 12, 30}) +
                         static_cast<std::int64_t>(std::floor(cell.number)));
    }
    Text t = trimmed(cell.text);
    // "2026年1月12日".
    if (findText(t, kYear) > 0) {
        Text out;
        for (std::size_t i = 0; i < t.size();) {
            const std::size_t length = gbkCharLength(t, i);
            const std::string_view c = std::string_view(t).substr(i, length);
            out += (c == kYear || c == kMonth) ? Text("-") : (c == kDay ? Text() : Text(c));
            i += length;
        }
        t = out;
    }
    return parseDate(t);
}

std::optional<int> cellClock(const TableCell& cell) {
    if (cell.isNumber) {
        const double part = cell.number - std::floor(cell.number);
        const auto minutes = static_cast<int>(std::llround(part * 1440.0));
        return minutes >= 1440 ? std::nullopt : std::optional<int>(minutes);
    }
    return parseClock(trimmed(cell.text));
}

Text cellShown(const TableCell& cell) {
    return cell.isNumber ? toText(cell.number) : trimmed(cell.text);
}

// ---- CSV ----------------------------------------------------------------------------------------

std::vector<std::vector<std::string>> csvRecords(std::string_view bytes, char separator) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        any = true;
        if (quoted) {
            if (c == '"') {
                if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == '"' && field.empty()) {
            quoted = true;
        } else if (c == separator) {
            record.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
            record.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
            any = false;
        } else {
            field += c;
        }
    }
    if (any) {
        record.push_back(std::move(field));
        records.push_back(std::move(record));
    }
    return records;
}

// ---- xlsx ---------------------------------------------------------------------------------------

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

std::optional<std::string> zipPart(zip_t* z, const std::string& name) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(z, name.c_str(), 0, &st) != 0 || (st.valid & ZIP_STAT_SIZE) == 0 ||
        st.size > kMaxPartBytes) {
        return std::nullopt;
    }
    std::unique_ptr<zip_file_t, ZipFileCloser> f(zip_fopen(z, name.c_str(), 0));
    if (!f) {
        return std::nullopt;
    }
    std::string data(static_cast<std::size_t>(st.size), '\0');
    zip_int64_t got = 0;
    while (got < static_cast<zip_int64_t>(st.size)) {
        const zip_int64_t n =
            zip_fread(f.get(), data.data() + got, st.size - static_cast<zip_uint64_t>(got));
        if (n <= 0) {
            return std::nullopt;
        }
        got += n;
    }
    return data;
}

QString attribute(const QXmlStreamReader& xml, QStringView name) {
    return xml.attributes().value(name.toString()).toString();
}

// The first sheet's part name, from the workbook and its relationships.
std::optional<std::string> firstSheetPart(zip_t* z) {
    const auto workbook = zipPart(z, "xl/workbook.xml");
    const auto rels = zipPart(z, "xl/_rels/workbook.xml.rels");
    if (!workbook || !rels) {
        return std::nullopt;
    }
    QString id;
    QXmlStreamReader xml(
        QByteArray::fromRawData(workbook->data(), static_cast<qsizetype>(workbook->size())));
    while (!xml.atEnd() && id.isEmpty()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet") {
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                if (a.name() == u"id") {
                    id = a.value().toString();
                }
            }
        }
    }
    if (id.isEmpty()) {
        return std::nullopt;
    }
    QXmlStreamReader relXml(
        QByteArray::fromRawData(rels->data(), static_cast<qsizetype>(rels->size())));
    while (!relXml.atEnd()) {
        if (relXml.readNext() == QXmlStreamReader::StartElement &&
            relXml.name() == u"Relationship" && attribute(relXml, u"Id") == id) {
            const QString target = attribute(relXml, u"Target");
            const std::string t = target.toStdString();
            return t.starts_with('/') ? t.substr(1) : "xl/" + t;
        }
    }
    return std::nullopt;
}

std::vector<QString> sharedStrings(zip_t* z) {
    std::vector<QString> strings;
    const auto part = zipPart(z, "xl/sharedStrings.xml");
    if (!part) {
        return strings;
    }
    QXmlStreamReader xml(
        QByteArray::fromRawData(part->data(), static_cast<qsizetype>(part->size())));
    QString current;
    int phonetic = 0;  // inside <rPh>: the reading aid, not the text
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"si") {
                current.clear();
            } else if (xml.name() == u"rPh") {
                ++phonetic;
            } else if (xml.name() == u"t" && phonetic == 0) {
                current += xml.readElementText();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == u"si") {
                strings.push_back(current);
            } else if (xml.name() == u"rPh") {
                --phonetic;
            }
        }
    }
    return strings;
}

// "BC12" -> column 54 (0-based), row 12.
std::pair<int, int> cellPosition(QStringView ref) {
    int column = 0;
    int row = 0;
    for (QChar c : ref) {
        if (c.isLetter()) {
            column = column * 26 + (c.toUpper().unicode() - u'A' + 1);
        } else if (c.isDigit()) {
            row = row * 10 + c.digitValue();
        }
        if (column > 16384 || row > 1048576) {
            return {-1, -1};
        }
    }
    return {column - 1, row};
}

}  // namespace

std::vector<TableRow> readCsvTable(std::string_view bytes) {
    bool utf8 = false;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        utf8 = true;
    } else {
        utf8 = validUtf8(bytes);
    }
    // Tab-separated when tabs outnumber commas near the start (a title line above the headings
    // may have neither; a subject may hold a comma).
    const std::string_view head = bytes.substr(0, 4096);
    const char separator =
        std::count(head.begin(), head.end(), '\t') > std::count(head.begin(), head.end(), ',')
            ? '\t'
            : ',';
    std::vector<TableRow> table;
    int number = 0;
    for (const auto& record : csvRecords(bytes, separator)) {
        TableRow row;
        row.number = ++number;
        for (const std::string& field : record) {
            row.cells.push_back(utf8 ? utf8Cell(QString::fromUtf8(
                                           field.data(), static_cast<qsizetype>(field.size())))
                                     : TableCell{field, false, 0, false, Text()});
        }
        table.push_back(std::move(row));
    }
    return table;
}

std::vector<TableRow> readXlsxTable(std::string_view path, Text& error) {
    int code = 0;
    std::unique_ptr<zip_t, ZipCloser> z(zip_open(nativePath(path).c_str(), ZIP_RDONLY, &code));
    if (!z) {
        error = kNotWorkbook;
        return {};
    }
    const auto sheetName = firstSheetPart(z.get());
    const auto sheet = sheetName ? zipPart(z.get(), *sheetName) : std::nullopt;
    if (!sheet) {
        error = kNotWorkbook;
        return {};
    }
    const std::vector<QString> strings = sharedStrings(z.get());
    std::map<int, std::map<int, TableCell>> cells;  // row -> column -> cell
    struct Merge {
        int firstColumn, firstRow, lastColumn, lastRow;
    };
    std::vector<Merge> merges;
    QXmlStreamReader xml(
        QByteArray::fromRawData(sheet->data(), static_cast<qsizetype>(sheet->size())));
    int row = 0;
    int nextColumn = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == u"row") {
            const QString r = attribute(xml, u"r");
            row = r.isEmpty() ? row + 1 : r.toInt();
            nextColumn = 0;
        } else if (xml.name() == u"c") {
            const QString ref = attribute(xml, u"r");
            const auto [column, refRow] =
                ref.isEmpty() ? std::pair{nextColumn, row} : cellPosition(ref);
            nextColumn = column + 1;
            const QString type = attribute(xml, u"t");
            TableCell cell;
            QString value;
            bool hasValue = false;
            while (!xml.atEnd()) {
                const auto token = xml.readNext();
                if (token == QXmlStreamReader::EndElement && xml.name() == u"c") {
                    break;
                }
                if (token != QXmlStreamReader::StartElement) {
                    continue;
                }
                if (xml.name() == u"f") {
                    cell.formula = true;
                } else if (xml.name() == u"v") {
                    value = xml.readElementText();
                    hasValue = true;
                } else if (xml.name() == u"t") {  // an inline string's text
                    value += xml.readElementText();
                    hasValue = true;
                }
            }
            if (column < 0 || refRow <= 0 || !hasValue) {
                if (cell.formula && column >= 0 && refRow > 0) {
                    cells[refRow][column] = cell;
                }
                continue;
            }
            if (type == u"s") {
                const auto index = static_cast<std::size_t>(value.toLongLong());
                const TableCell text =
                    utf8Cell(index < strings.size() ? strings[index] : QString());
                cell.text = text.text;
                cell.unusable = text.unusable;
            } else if (type == u"str" || type == u"inlineStr" || type == u"e") {
                const TableCell text = utf8Cell(value);
                cell.text = text.text;
                cell.unusable = text.unusable;
            } else if (type == u"b") {
                cell.text = value.toStdString();
            } else {
                bool ok = false;
                cell.number = value.toDouble(&ok);
                cell.isNumber = ok;
                cell.text = value.toStdString();
            }
            cells[refRow][column] = cell;
        } else if (xml.name() == u"mergeCell") {
            const QString ref = attribute(xml, u"ref");
            const auto colon = ref.indexOf(u':');
            if (colon > 0) {
                const auto [c1, r1] = cellPosition(QStringView(ref).left(colon));
                const auto [c2, r2] = cellPosition(QStringView(ref).mid(colon + 1));
                if (c1 >= 0 && r1 > 0 && c2 >= c1 && r2 >= r1 &&
                    (r2 - r1) * (c2 - c1 + 1) < 100000) {
                    merges.push_back(Merge{c1, r1, c2, r2});
                }
            }
        }
    }
    if (xml.hasError()) {
        error = kNotWorkbook;
        return {};
    }
    // A merged range shows its first cell's value everywhere in it: a date merged down over the
    // day's sittings belongs to each of them.
    for (const Merge& m : merges) {
        const auto first = cells.find(m.firstRow);
        if (first == cells.end() || first->second.find(m.firstColumn) == first->second.end()) {
            continue;
        }
        const TableCell value = first->second[m.firstColumn];
        for (int r = m.firstRow; r <= m.lastRow; ++r) {
            for (int c = m.firstColumn; c <= m.lastColumn; ++c) {
                cells[r][c] = value;
            }
        }
    }
    std::vector<TableRow> table;
    if (cells.empty()) {
        return table;
    }
    const int lastRow = cells.rbegin()->first;
    for (int r = 1; r <= lastRow; ++r) {
        TableRow tableRow;
        tableRow.number = r;
        const auto found = cells.find(r);
        if (found != cells.end() && !found->second.empty()) {
            const int width = std::min(found->second.rbegin()->first + 1, 256);
            tableRow.cells.resize(static_cast<std::size_t>(width));
            for (const auto& [c, cell] : found->second) {
                if (c < width) {
                    tableRow.cells[static_cast<std::size_t>(c)] = cell;
                }
            }
        }
        table.push_back(std::move(tableRow));
    }
    return table;
}

TimetableImport checkTimetable(const std::vector<TableRow>& table,
                               const std::vector<PlanSitting>& existing,
                               const std::array<bool, kCueCount>& cues) {
    TimetableImport result;
    // The heading row: the first with a date, a subject, a start and a duration or end column.
    std::array<int, kColumns> column{};
    std::size_t first = 0;
    bool found = false;
    for (std::size_t r = 0; r < table.size() && !found; ++r) {
        column.fill(-1);
        for (std::size_t c = 0; c < table[r].cells.size(); ++c) {
            const Text heading = withoutBlanks(table[r].cells[c].text);
            for (int k = 0; k < kColumns; ++k) {
                const auto& names = kHeadings[static_cast<std::size_t>(k)];
                if (column[static_cast<std::size_t>(k)] < 0 &&
                    std::find(names.begin(), names.end(), heading) != names.end()) {
                    column[static_cast<std::size_t>(k)] = static_cast<int>(c);
                }
            }
        }
        if (column[kDate] >= 0 && column[kSubject] >= 0 && column[kStart] >= 0 &&
            (column[kDuration] >= 0 || column[kEnd] >= 0)) {
            first = r + 1;
            found = true;
        }
    }
    if (!found) {
        result.error = kNoHeadings;
        return result;
    }
    // Empty rows at the end are no rows of the timetable.
    std::size_t last = table.size();
    const auto blank = [](const TableRow& row) {
        return std::all_of(row.cells.begin(), row.cells.end(), [](const TableCell& c) {
            return !c.formula && c.unusable.empty() && !c.isNumber && trimmed(c.text).empty();
        });
    };
    while (last > first && blank(table[last - 1])) {
        --last;
    }
    if (last - first > kMaxTimetableRows) {
        result.error = kTooManyRows;
        return result;
    }
    std::vector<PlanSitting> accepted = existing;
    const std::size_t existingCount = existing.size();
    // The sittings accepted so far by date (indices into accepted): a row is compared with its
    // day's only, so that a long file costs no more than its rows.
    std::map<Text, std::vector<std::size_t>> byDate;
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        byDate[accepted[i].date].push_back(i);
    }
    for (std::size_t r = first; r < last; ++r) {
        const TableRow& row = table[r];
        const auto cell = [&row, &column](int k) {
            const int c = column[static_cast<std::size_t>(k)];
            return c >= 0 && static_cast<std::size_t>(c) < row.cells.size()
                       ? row.cells[static_cast<std::size_t>(c)]
                       : TableCell{};
        };
        const auto refuse = [&result, &row](const Text& reason) {
            result.bad.push_back(BadRow{row.number, reason});
        };
        if (blank(row)) {
            refuse(kEmptyRow);
            continue;
        }
        Text problem;
        for (int k = 0; k < kColumns && problem.empty(); ++k) {
            if (column[static_cast<std::size_t>(k)] < 0) {
                continue;
            }
            const TableCell c = cell(k);
            if (c.formula) {
                problem = kFormula;
            } else if (!c.unusable.empty()) {
                problem = c.unusable;
            }
        }
        if (!problem.empty()) {
            refuse(problem);
            continue;
        }
        PlanSitting s;
        s.cues = cues;
        const auto date = cellDate(cell(kDate));
        if (!date) {
            refuse(kDateWrongMessage + kReasonJoin + cellShown(cell(kDate)));
            continue;
        }
        s.date = dateText(*date);
        s.subject = trimmed(cell(kSubject).text);
        if (s.subject.empty()) {
            refuse(kSubjectMissingMessage);
            continue;
        }
        const auto start = cellClock(cell(kStart));
        if (!start) {
            refuse(kStartTimeFormatMessage + kReasonJoin + cellShown(cell(kStart)));
            continue;
        }
        s.start = clockText(*start);
        if (column[kDuration] >= 0) {
            const TableCell d = cell(kDuration);
            const std::int64_t minutes =
                d.isNumber ? std::llround(d.number) : toInteger(trimmed(d.text));
            s.duration =
                minutes < 0 || minutes > kMaxSittingMinutes ? 0 : static_cast<int>(minutes);
        } else {
            const auto end = cellClock(cell(kEnd));
            if (!end) {
                refuse(kStartTimeFormatMessage + kReasonJoin + cellShown(cell(kEnd)));
                continue;
            }
            if (*end <= *start) {
                refuse(kEndNotAfterStart);
                continue;
            }
            s.duration = *end - *start;
        }
        if (Text check = checkSitting(s); !check.empty()) {
            refuse(check);
            continue;
        }
        // The same sitting twice, then an overlap with one before it (in the plan or the file).
        Text clash;
        std::vector<std::size_t>& day = byDate[s.date];
        for (std::size_t k = 0; k < day.size() && clash.empty(); ++k) {
            const std::size_t i = day[k];
            const PlanSitting& other = accepted[i];
            const bool fromFile = i >= existingCount;
            const Text where = fromFile ? toText(result.sittingRows[i - existingCount]) : Text();
            if (other.date == s.date && other.start == s.start && other.subject == s.subject) {
                clash = fromFile ? kDuplicateBefore + where + kDuplicateAfter
                                 : overlapMessage(other, s);
            } else if (Text overlap = overlapMessage(other, s); !overlap.empty()) {
                clash = overlap + (fromFile ? kRowBefore + where + kRowAfter : Text());
            }
        }
        if (clash.empty() && day.size() >= kSittingsPerDay) {
            clash = s.date + " " + kTooManySittingsMessage;
        }
        if (!clash.empty()) {
            refuse(clash);
            continue;
        }
        day.push_back(accepted.size());
        accepted.push_back(s);
        result.sittings.push_back(s);
        result.sittingRows.push_back(row.number);
    }
    return result;
}

TimetableImport importTimetable(std::string_view path, const std::vector<PlanSitting>& existing,
                                const std::array<bool, kCueCount>& cues) {
    TimetableImport result;
    std::error_code ec;
    const auto size = std::filesystem::file_size(nativePath(path), ec);
    if (ec) {
        result.error = kUnreadable;
        return result;
    }
    if (size > kMaxTimetableBytes) {
        result.error = kTooLarge;
        return result;
    }
    const Text name = fileNamePart(path);
    const bool workbook =
        name.size() >= 5 &&
        sameIgnoringAsciiCase(std::string_view(name).substr(name.size() - 5), ".xlsx");
    std::vector<TableRow> table;
    if (workbook) {
        table = readXlsxTable(path, result.error);
        if (!result.error.empty()) {
            return result;
        }
    } else {
        std::ifstream in(nativePath(path), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in && !in.eof()) {
            result.error = kUnreadable;
            return result;
        }
        table = readCsvTable(bytes);
    }
    return checkTimetable(table, existing, cues);
}

Text importSummary(const TimetableImport& import, std::size_t maxListed) {
    Text text = kCanImport + toText(static_cast<std::int64_t>(import.sittings.size())) + kSittings;
    if (!import.bad.empty()) {
        text += "\r\n" + kBadHeading + toText(static_cast<std::int64_t>(import.bad.size())) +
                kBadHeadingEnd;
        for (std::size_t i = 0; i < import.bad.size() && i < maxListed; ++i) {
            text +=
                "\r\n" + kRowPrefix + toText(import.bad[i].row) + kRowSuffix + import.bad[i].reason;
        }
        if (import.bad.size() > maxListed) {
            text += "\r\n" + kMoreBefore +
                    toText(static_cast<std::int64_t>(import.bad.size() - maxListed)) + kMoreAfter;
        }
    }
    return text;
}

}  // namespace exambell
