#include "seating/SeatingExport.h"

#include <gtest/gtest.h>

#include "seating/SeatTable.h"
#include "tests/support/RecordingSpreadsheet.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

class TableCells : public GridCells {
  public:
    explicit TableCells(SeatTable table) : table_(std::move(table)) {}
    int rowCount() const override { return table_.rowCount(); }
    int columnCount() const override { return table_.columnCount(); }
    Text cell(int row, int column) const override { return table_.cell(row, column); }

  private:
    SeatTable table_;
};

TEST(SeatingExportTest, CellAddressesFollowTheSpreadsheetColumnNames) {
    EXPECT_EQ(SeatingExport::cellAddress(0, 0), "a1");
    EXPECT_EQ(SeatingExport::cellAddress(9, 6), "g10");
    EXPECT_EQ(SeatingExport::cellAddress(1, 25), "z2");
    EXPECT_EQ(SeatingExport::cellAddress(2, 26), "aa3");
    EXPECT_EQ(SeatingExport::cellAddress(2, 29), "ad3");
    EXPECT_EQ(SeatingExport::cellAddress(0, 51), "az1");
    EXPECT_EQ(SeatingExport::cellAddress(0, 52), "ba1");
    EXPECT_EQ(SeatingExport::cellAddress(0, 53), "bb1");
    EXPECT_EQ(SeatingExport::cellAddress(0, 701), "zz1");
    EXPECT_EQ(SeatingExport::cellAddress(0, 702), "aaa1");
    EXPECT_EQ(SeatingExport::cellAddress(100, 16383), "xfd101");
}

TEST(SeatingExportTest, TitleHasNoLeadingZeros) {
    EXPECT_EQ(SeatingExport::title({.year = 2019, .month = 12, .day = 28}, g("18软件5班")),
              g("20191228_18软件5班考试座位表"));
    EXPECT_EQ(SeatingExport::title({.year = 2020, .month = 1, .day = 5}, g("18软件5班")),
              g("202015_18软件5班考试座位表"));
    EXPECT_EQ(SeatingExport::title({.year = 2019, .month = 12, .day = 28}, ""),
              g("20191228_考试座位表"));
}

TEST(SeatingExportTest, CopiesEveryCellInOrderThroughTheSeam) {
    SeatTable table(10, 7);
    table.setCell(1, 1, g("第6列"));
    table.setCell(1, 6, g("第1列"));
    table.setCell(2, 0, g("第1行"));
    table.setCell(9, 6, "48");
    test::RecordingSpreadsheet sheet;
    const Text caption = g("20191228_18软件5班考试座位表");
    EXPECT_EQ(SeatingExport::copyGrid(sheet, caption, TableCells(table)),
              SeatingExport::Outcome::Done);

    EXPECT_EQ(sheet.calls,
              (std::vector<std::string>{"start", "newWorkbook", "selectSheet 1", "setCaption",
                                        "setVisible", "setRange", "release"}));
    EXPECT_EQ(sheet.caption, caption);
    ASSERT_EQ(sheet.addresses.size(), 70u);
    EXPECT_EQ(sheet.addresses.front(), "a1");
    EXPECT_EQ(sheet.addresses[1], "b1");
    EXPECT_EQ(sheet.addresses[7], "a2");
    EXPECT_EQ(sheet.addresses.back(), "g10");
    EXPECT_EQ(sheet.cells.at("a1"), "");  // empty cells are written too
    EXPECT_EQ(sheet.cells.at("b2"), g("第6列"));
    EXPECT_EQ(sheet.cells.at("g2"), g("第1列"));
    EXPECT_EQ(sheet.cells.at("a3"), g("第1行"));
    EXPECT_EQ(sheet.cells.at("g10"), "48");
}

TEST(SeatingExportTest, WideGridsGoPastColumnZ) {
    SeatTable table(3, 30);
    for (int j = 26; j < 30; ++j) {
        table.setCell(2, j, toText(j));
    }
    test::RecordingSpreadsheet sheet;
    SeatingExport::copyGrid(sheet, "t", TableCells(table));
    EXPECT_EQ(sheet.cells.at("aa3"), "26");
    EXPECT_EQ(sheet.cells.at("ad3"), "29");
    EXPECT_EQ(sheet.addresses.back(), "ad3");
}

TEST(SeatingExportTest, StopsWhenTheApplicationCannotStart) {
    test::RecordingSpreadsheet sheet;
    sheet.startSucceeds = false;
    EXPECT_EQ(SeatingExport::copyGrid(sheet, "t", TableCells(SeatTable(2, 2))),
              SeatingExport::Outcome::NotStarted);
    EXPECT_EQ(sheet.calls, std::vector<std::string>{"start"});

    sheet.startSucceeds = true;
    sheet.releaseSucceeds = false;
    EXPECT_EQ(SeatingExport::copyGrid(sheet, "t", TableCells(SeatTable(2, 2))),
              SeatingExport::Outcome::NotHandedOver);
}

}  // namespace
}  // namespace exambell
