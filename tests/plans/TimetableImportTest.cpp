// The timetable import over the files in tests/data: .xlsx workbooks written by LibreOffice (a
// title merged across, dates merged down a day's sittings, shared strings in rich-text runs) and
// CSV in UTF-8 and GBK; every kind of bad row listed with its row number and reason.
#include <gtest/gtest.h>

#include <fstream>

#include "plans/TimetableImport.h"
#include "tests/plans/PlanTestSupport.h"
#include "tests/support/TempFolder.h"

namespace exambell::test {
namespace {

Text data(const std::string& name) {
    return std::string(EXAMBELL_TEST_DATA) + "/" + name;
}

const std::array<bool, kCueCount> kCues = {false, false, false, true, true, true, false};

std::vector<std::string> shown(const TimetableImport& import) {
    std::vector<std::string> out;
    for (const PlanSitting& s : import.sittings) {
        out.push_back(s.date + " " + u(s.subject) + " " + s.start + " " +
                      std::to_string(s.duration));
    }
    return out;
}

std::vector<std::string> badRows(const TimetableImport& import) {
    std::vector<std::string> out;
    for (const BadRow& b : import.bad) {
        out.push_back(std::to_string(b.row) + " " + u(b.reason));
    }
    return out;
}

const std::vector<std::string> kClean = {"2026-01-12 语文 08:00 150", "2026-01-12 物理 10:50 90",
                                         "2026-01-12 数学 14:30 120", "2026-01-13 英语 08:00 120",
                                         "2026-01-13 化学 14:30 90",  "2026-01-14 生物 09:00 90",
                                         "2026-01-14 历史 14:00 90"};

TEST(TimetableImport, ACleanTimetableReadsTheSameFromEachFile) {
    for (const char* name :
         {"timetable-clean.xlsx", "timetable-clean-utf8.csv", "timetable-clean-gbk.csv"}) {
        const TimetableImport import = importTimetable(data(name), {}, kCues);
        EXPECT_EQ(import.error, "") << name;
        EXPECT_EQ(shown(import), kClean) << name;
        EXPECT_TRUE(import.bad.empty()) << name << " " << badRows(import)[0];
        ASSERT_FALSE(import.sittings.empty());
        EXPECT_EQ(import.sittings[0].cues, kCues);
    }
    // Row numbers are the sheet's: the title row and the headings come first.
    EXPECT_EQ(importTimetable(data("timetable-clean.xlsx"), {}, kCues).sittingRows.front(), 3);
}

TEST(TimetableImport, EveryBadRowIsListedWithItsNumberAndReason) {
    const TimetableImport import = importTimetable(data("timetable-bad.xlsx"), {}, kCues);
    EXPECT_EQ(import.error, "");
    EXPECT_EQ(shown(import),
              (std::vector<std::string>{"2026-01-12 语文 08:00 150", "2026-01-14 生物 09:00 90"}));
    EXPECT_EQ(import.sittingRows, (std::vector<int>{3, 11}));
    EXPECT_EQ(
        badRows(import),
        (std::vector<std::string>{
            "4 时间格式错误：25:00",
            "5 日期格式错误：2026-02-30",
            "6 与第3行重复",
            "7 语文 08:00-10:30 与 政治 10:00-11:00 时间重叠（第3行）",
            "8 “U+D55C”是 GBK 字符集里没有的字，无法保存。请改用其他写法，原有的内容没有改动。",
            "9 空行",
            "10 单元格含有公式，请先改为数值",
        }));
    const std::string summary = u(importSummary(import, 2));
    EXPECT_EQ(summary,
              "可以导入 2 场考试。\r\n以下 7 行有问题，不会导入：\r\n第4行：时间格式错误：25:00\r\n"
              "第5行：日期格式错误：2026-02-30\r\n……另有 5 行");
}

TEST(TimetableImport, SittingsAlreadyInThePlanAreNotOverlapped) {
    const std::vector<PlanSitting> plan = {sitting("2026-01-13", "政治", "09:00", 60)};
    const TimetableImport import = importTimetable(data("timetable-clean-utf8.csv"), plan, kCues);
    ASSERT_EQ(import.bad.size(), 1U);
    EXPECT_EQ(import.bad[0].row, 5);
    EXPECT_EQ(u(import.bad[0].reason), "英语 08:00-10:00 与 政治 09:00-10:00 时间重叠");
    EXPECT_EQ(import.sittings.size(), 6U);
}

TEST(TimetableImport, CsvRowsOfTheirOwnKind) {
    // Quoted fields with the separator and a doubled quote, a fifth sitting on one day, a
    // sitting ending before it starts, blank lines at the end.
    const std::string csv =
        "\xEF\xBB\xBF日期,科目,开始时间,结束时间\n"
        "2026-03-02,\"语文,作文\",08:00,10:30\n"
        "2026/3/2,\"数\"\"学\",11:00,12:00\n"
        "2026年3月2日,英语,13:00,14:00\n"
        "2026-03-02,物理,14:30,15:30\n"
        "2026-03-02,化学,16:00,17:00\n"
        "2026-03-03,生物,10:00,09:00\n"
        "\n\n";
    const TimetableImport import = checkTimetable(readCsvTable(csv), {}, kCues);
    EXPECT_EQ(shown(import), (std::vector<std::string>{
                                 "2026-03-02 语文,作文 08:00 150", "2026-03-02 数\"学 11:00 60",
                                 "2026-03-02 英语 13:00 60", "2026-03-02 物理 14:30 60"}));
    EXPECT_EQ(badRows(import), (std::vector<std::string>{"6 2026-03-02 一天最多四场考试",
                                                         "7 结束时间不晚于开始时间"}));
}

TEST(TimetableImport, FilesThatAreNoTimetableSaySo) {
    TempFolder folder;
    folder.write("notes.csv", "a,b,c\n1,2,3\n");
    folder.write("broken.xlsx", "PK\x03\x04 not really");
    EXPECT_EQ(u(importTimetable(folder.text() + "/notes.csv", {}, kCues).error),
              "找不到表头：需要“日期”“科目”“开始时间”和“时长”或“结束时间”几列");
    EXPECT_EQ(u(importTimetable(folder.text() + "/broken.xlsx", {}, kCues).error),
              "这个文件不是 Excel 工作簿（.xlsx）");
    EXPECT_EQ(u(importTimetable(folder.text() + "/missing.csv", {}, kCues).error),
              "无法读取这个文件");
    // A sheet of thousands of rows is no timetable: refused before any row is checked.
    std::string many = "日期,科目,开始时间,时长\n";
    for (int i = 0; i < 6000; ++i) {
        many += "2026-01-12,A,08:00,60\n";
    }
    EXPECT_EQ(u(checkTimetable(readCsvTable(many), {}, kCues).error),
              "表格行数太多，不像一份考试时间表");
}

}  // namespace
}  // namespace exambell::test
