#include "seating/XlsxSpreadsheet.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>

#include "tests/seating/XlsxReader.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

TEST(XlsxSpreadsheetTest, WritesTheCellsIntoAFileNamedByTheCaption) {
    test::TempFolder temp;
    test::RecordingOpener opener;
    XlsxSpreadsheet sheet(opener, temp.path());
    ASSERT_TRUE(sheet.start());
    sheet.newWorkbook();
    sheet.selectSheet(1);
    sheet.setCaption(g("20191228_18软件5班考试座位表"));
    sheet.setVisible();
    sheet.setRange("a1", "a1", "");
    sheet.setRange("b2", "b2", g("第6列"));
    sheet.setRange("a3", "a3", g("第1行"));
    sheet.setRange("g10", "g10", "42");
    sheet.setRange("ad3", "ad3", g("张三"));
    ASSERT_TRUE(sheet.release());

    const std::filesystem::path file = sheet.lastWorkbook();
    EXPECT_EQ(file.filename().string(), "20191228_18软件5班考试座位表.xlsx");
    EXPECT_EQ(file.parent_path().parent_path(), temp.path());
    ASSERT_EQ(opener.opened, std::vector<std::filesystem::path>{file});
    EXPECT_EQ(test::readCells(file),
              (std::map<std::string, std::string>{
                  {"B2", "第6列"}, {"A3", "第1行"}, {"G10", "42"}, {"AD3", "张三"}}));
    EXPECT_NE(test::unzipMember(file, "docProps/core.xml").find("20191228_18软件5班考试座位表"),
              std::string::npos);
}

TEST(XlsxSpreadsheetTest, EveryExportGetsItsOwnFolder) {
    test::TempFolder temp;
    test::RecordingOpener opener;
    XlsxSpreadsheet sheet(opener, temp.path());
    std::vector<std::filesystem::path> files;
    for (const char* value : {"first", "second"}) {
        ASSERT_TRUE(sheet.start());
        sheet.newWorkbook();
        sheet.setCaption("same");
        sheet.setVisible();
        sheet.setRange("a1", "a1", value);
        ASSERT_TRUE(sheet.release());
        files.push_back(sheet.lastWorkbook());
    }
    EXPECT_NE(files[0].parent_path(), files[1].parent_path());
    EXPECT_EQ(test::readCells(files[0]).at("A1"), "first");
    EXPECT_EQ(test::readCells(files[1]).at("A1"), "second");
}

TEST(XlsxSpreadsheetTest, ReportsAMissingOrFailingApplication) {
    test::TempFolder temp;
    test::RecordingOpener opener;
    opener.available = false;
    XlsxSpreadsheet sheet(opener, temp.path());
    EXPECT_FALSE(sheet.start());
    EXPECT_FALSE(sheet.release());
    EXPECT_TRUE(std::filesystem::is_empty(temp.path()));

    opener.available = true;
    opener.opens = false;
    ASSERT_TRUE(sheet.start());
    sheet.newWorkbook();
    sheet.setVisible();
    EXPECT_FALSE(sheet.release());
}

TEST(XlsxSpreadsheetTest, UnwritableFolderIsReported) {
    test::RecordingOpener opener;
    XlsxSpreadsheet sheet(opener, "/nonexistent/folder");
    ASSERT_TRUE(sheet.start());
    sheet.newWorkbook();
    sheet.setVisible();
    EXPECT_FALSE(sheet.release());
    EXPECT_TRUE(opener.opened.empty());
}

TEST(XlsxSpreadsheetTest, AddressesAndFileNames) {
    using Cell = std::pair<int, int>;
    EXPECT_EQ(XlsxSpreadsheet::parseAddress("a1"), Cell(0, 0));
    EXPECT_EQ(XlsxSpreadsheet::parseAddress("AD3"), Cell(2, 29));
    EXPECT_EQ(XlsxSpreadsheet::parseAddress("ba10"), Cell(9, 52));
    EXPECT_FALSE(XlsxSpreadsheet::parseAddress(""));
    EXPECT_FALSE(XlsxSpreadsheet::parseAddress("a"));
    EXPECT_FALSE(XlsxSpreadsheet::parseAddress("12"));
    EXPECT_FALSE(XlsxSpreadsheet::parseAddress("a0"));
    EXPECT_FALSE(XlsxSpreadsheet::parseAddress("a1b"));
    EXPECT_FALSE(XlsxSpreadsheet::parseAddress("xfe1"));
    EXPECT_FALSE(XlsxSpreadsheet::parseAddress("a99999999999"));

    EXPECT_EQ(XlsxSpreadsheet::fileNameFor(g("2019_1/2班考试座位表")), "2019_1_2班考试座位表.xlsx");
    // 刓 and 億 end in the bytes of "\" and "|" in GBK; they are no separators.
    EXPECT_EQ(XlsxSpreadsheet::fileNameFor(g("刓億")), "刓億.xlsx");
    const std::string longName = XlsxSpreadsheet::fileNameFor(Text(300, 'x'));
    EXPECT_EQ(longName.size(), 205u);
    EXPECT_EQ(XlsxSpreadsheet::fileNameFor(""), "_.xlsx");
}

}  // namespace
}  // namespace exambell
