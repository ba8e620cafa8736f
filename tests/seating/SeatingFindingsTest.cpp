// What an exam office ran into: re-imported classes, grids cut after a draw, exports naming the
// wrong class, mixed rooms with spare seats, class names that look alike, exam numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "seating/ChartDocument.h"
#include "seating/DrawCode.h"
#include "seating/MixedSeating.h"
#include "seating/SeatingController.h"
#include "settings/ProfileStore.h"
#include "tests/seating/FakeSeatingView.h"
#include "tests/seating/XlsxReader.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/RecordingSpreadsheet.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

const std::string kDrawAgain =
    "排数或列数在生成座位后改过，表格里的座位表已不完整；请重新生成座位（或按抽签码重现）后再导出";

class SeatingFindingsTest : public ::testing::Test {
  protected:
    Text store() { return ProfileStore::read(configFile, "Class_", "Student", "<none>"); }
    void writeStore(const Text& text) {
        ASSERT_TRUE(ProfileStore::write(configFile, "Class_", "Student", text));
    }
    void choose(std::string_view utf8) {
        operations.roster().listClasses();
        ASSERT_TRUE(view.choose(g(utf8)));
        operations.roster().chooseClass();
    }
    // Classes with sizes; student names are the class name and a number ("A7").
    void storeClasses(const std::vector<std::pair<std::string, int>>& classes) {
        Text text;
        for (const auto& [name, size] : classes) {
            text += "%class%" + name;
            for (int i = 1; i <= size; ++i) {
                text += "," + name + std::to_string(i);
            }
        }
        writeStore(text);
    }
    std::vector<Text> seats() const {
        std::vector<Text> found;
        for (int r = 2; r < view.grid.rowCount(); ++r) {
            for (int j = 1; j < view.grid.columnCount(); ++j) {
                if (!view.grid.cell(r, j).empty()) {
                    found.push_back(view.grid.cell(r, j));
                }
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    test::TempFolder folder;
    Text configFile = joinPath(folder.text(), "config.ini");
    test::FakeSeatingView view;
    test::FakeDialogs dialogs{test::FakeDialogs::Mode::Strict};
    test::RecordingSpreadsheet spreadsheet;
    test::FakeClock clock;
    test::RecordingChartOutput output;
    SeatingController operations{view, dialogs, spreadsheet, clock, output, configFile, {}};
};

// ---- a re-imported class ----

TEST_F(SeatingFindingsTest, ReimportingTheChosenClassRefreshesTheCountAndEveryoneIsSeated) {
    writeStore(g("%class%一班,张三,李四,王五"));
    choose("一班");
    EXPECT_EQ(view.chart.count, "3");
    Text twelve;
    for (int i = 1; i <= 12; ++i) {
        twelve += (twelve.empty() ? "" : ",") + g("学生") + toText(i);
    }
    view.import = {.className = g("一班"), .separator = ",", .roster = twelve};
    dialogs.answer(kOk);
    dialogs.answer(kYes);
    operations.roster().importClass();
    EXPECT_EQ(view.chart.count, "12");
    operations.chart().generate();
    std::vector<Text> expected = splitText(twelve, ",");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seats(), expected);

    // Shrunk to two: the count follows, and no seat shows a bare number.
    dialogs.clear();
    view.import.roster = g("张三,李四");
    dialogs.answer(kOk);
    dialogs.answer(kYes);
    operations.roster().importClass();
    EXPECT_EQ(view.chart.count, "2");
    operations.chart().generate();
    EXPECT_EQ(seats(), (std::vector<Text>{g("李四"), g("张三")}));  // in byte order
}

TEST_F(SeatingFindingsTest, ACountThatIsNotTheClassSizeIsRefused) {
    writeStore(g("%class%一班,张三,李四,王五"));
    choose("一班");
    operations.chart().generate();
    const SeatTable drawn = view.grid;
    view.chart.count = "2";
    operations.chart().generate();
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{
                  "考试人数是 2，班级“一班”有 3 人：请把考试人数改为 3，或重新选择班级"}));
    EXPECT_EQ(view.grid.cell(2, 1), drawn.cell(2, 1));
}

// ---- the grid cut after a draw ----

TEST_F(SeatingFindingsTest, ExportsRefuseAGridCutAfterTheDraw) {
    operations.windowCreated();
    operations.chart().generate();
    view.chart.columns = "5";  // one click on the lower arrow
    operations.chart().resizeColumns();
    dialogs.choose(joinPath(folder.text(), "chart.pdf"));
    operations.exporter().exportPdf();
    operations.exporter().printChart();
    operations.exporter().saveWorkbook();
    operations.exporter().exportToSpreadsheet();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>(4, kDrawAgain));
    EXPECT_TRUE(output.written.empty());
    EXPECT_TRUE(output.printed.empty());
    EXPECT_TRUE(spreadsheet.calls.empty());

    // Widening drops nothing: the chart is still whole and is printed as drawn.
    dialogs.clear();
    view.chart.columns = "6";
    operations.chart().generate();
    view.chart.columns = "9";
    operations.chart().resizeColumns();
    operations.exporter().printChart();
    ASSERT_EQ(output.printed.size(), 1u);
    EXPECT_EQ(output.printed[0].table.columnCount(), 7);
    EXPECT_EQ(output.printed[0].code, view.chart.shownCode);
    EXPECT_TRUE(dialogs.texts().empty());

    // An edited seat is printed as edited.
    view.grid.setCell(2, 1, g("换座"));
    operations.exporter().printChart();
    EXPECT_EQ(output.printed.back().table.cell(1, 1), g("换座"));

    // A column dropped and brought back comes back empty: still not whole.
    view.chart.columns = "5";
    operations.chart().resizeColumns();
    view.chart.columns = "6";
    operations.chart().resizeColumns();
    operations.exporter().printChart();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{kDrawAgain});
    dialogs.clear();
    operations.chart().generate();

    // Emptied by typing a 0: nothing to export until the next draw.
    view.chart.rows = "0";
    operations.chart().resizeRows();
    operations.exporter().printChart();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{kDrawAgain});
}

// ---- the class the exports name ----

TEST_F(SeatingFindingsTest, ExportsNameTheClassThatWasDrawn) {
    storeClasses({{"A", 3}, {"B", 2}});
    choose("A");
    operations.chart().generate();
    choose("B");  // chosen after the draw, not drawn

    dialogs.choose(joinPath(folder.text(), "chart.pdf"));
    operations.exporter().exportPdf();
    ASSERT_EQ(output.written.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests().back().fileName, g("202612_A考试座位表.pdf"));
    EXPECT_EQ(output.written[0].second.classes, "A");

    const Text workbook = joinPath(folder.text(), "seats.xlsx");
    dialogs.choose(workbook);
    operations.exporter().saveWorkbook();
    EXPECT_EQ(dialogs.fileRequests().back().fileName, g("202612_A考试座位表.xlsx"));
    EXPECT_EQ(test::readTitle(nativePath(workbook)), "202612_A考试座位表");

    operations.exporter().exportToSpreadsheet();
    EXPECT_EQ(spreadsheet.caption, g("202612_A考试座位表"));

    // A mixed room is named by its classes, whatever the class box shows.
    view.chart.mixedClasses = g("A，B");
    view.chart.count = "5";
    operations.chart().generate();
    operations.exporter().printChart();
    EXPECT_EQ(output.printed.back().classes, g("A、B"));
}

TEST(ChartDocumentTest, AnExamNamedWithItsWordIsNotSaidTwice) {
    const DrawnChart drawn{.table = SeatTable(3, 2)};
    const LocalTime date{.year = 2026, .month = 1, .day = 2};
    ChartFields fields{.exam = g("模拟考试")};
    EXPECT_EQ(ChartDocument::of(drawn, fields, date).heading, g("模拟考试座位表"));
    fields.exam = g("期中");
    EXPECT_EQ(ChartDocument::of(drawn, fields, date).heading, g("期中考试座位表"));
    fields.exam = "";
    EXPECT_EQ(ChartDocument::of(drawn, fields, date).heading, g("考试座位表"));
}

// ---- mixed rooms ----

TEST_F(SeatingFindingsTest, SpareSeatsKeepElevenAndNineApart) {
    storeClasses({{"A", 11}, {"B", 9}});
    view.chart.mixedClasses = "A,B";
    view.chart.rows = "8";
    view.chart.columns = "5";
    for (int draw = 0; draw < 5; ++draw) {
        operations.chart().generate();
        EXPECT_TRUE(dialogs.texts().empty()) << dialogs.texts().front();
        EXPECT_EQ(view.chart.count, "20");
        const std::vector<Text> seated = seats();
        EXPECT_EQ(std::set<Text>(seated.begin(), seated.end()).size(), 20u);
        for (int i = 1; i <= 8; ++i) {
            for (int j = 1; j <= 5; ++j) {
                const Text here = view.grid.cell(i + 1, j);
                if (here.empty()) {
                    continue;
                }
                EXPECT_FALSE(j < 5 && !view.grid.cell(i + 1, j + 1).empty() &&
                             view.grid.cell(i + 1, j + 1)[0] == here[0]);
                EXPECT_FALSE(i < 8 && !view.grid.cell(i + 2, j).empty() &&
                             view.grid.cell(i + 2, j)[0] == here[0]);
            }
        }
    }
}

TEST(MixedSeatingFindingsTest, ArrangementsUseTheWholeRoomAndKnowTheLeastPairs) {
    SeatingChart::Generator generator(11);
    const MixedArrangement a = MixedSeating::arrange(8, 5, {11, 9}, generator);
    ASSERT_EQ(a.seatStudent.size(), 40u);
    EXPECT_EQ(std::count(a.seatStudent.begin(), a.seatStudent.end(), -1), 20);
    EXPECT_EQ(a.sameClassNeighbours, 0);
    EXPECT_EQ(a.unavoidable, 0);
    // 30 of 40 in one class: the 10 other seats touch at most 39 of the 67 pairs.
    EXPECT_EQ(MixedSeating::unavoidablePairs(8, 5, {30, 5, 5}), 28);
    EXPECT_EQ(MixedSeating::unavoidablePairs(8, 5, {20, 20}), 0);
    EXPECT_EQ(MixedSeating::unavoidablePairs(2, 2, {3}), 2);
    EXPECT_EQ(MixedSeating::unavoidablePairs(1, 3, {2, 1}), 0);
}

TEST_F(SeatingFindingsTest, ARefusedMixedDrawLeavesTheCountAlone) {
    storeClasses({{"A", 3}, {"B", 2}});
    view.chart.count = "42";
    view.chart.mixedClasses = "A,B";
    view.chart.rows = "2";
    view.chart.columns = "2";
    operations.chart().generate();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"座位不够容纳 5 人"}));
    EXPECT_EQ(view.chart.count, "42");
}

TEST_F(SeatingFindingsTest, AMixedDrawRefusesAClassWithANameTooLongToLoad) {
    writeStore(g("%class%A,a1,七个中文字符啊,a3%class%B,b1,b2"));
    view.chart.mixedClasses = "A,B";
    operations.chart().generate();
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0],
              "班级 A 中有学生的名字超过12个字符，混排会漏掉其后的学生；"
              "请重新导入该班级后再生成");
    EXPECT_EQ(view.chart.shownCode, "");
}

// ---- class names ----

TEST_F(SeatingFindingsTest, RenameRefusesACharacterGbkLacks) {
    writeStore(g("%class%一班,张三"));
    choose("一班");
    view.import.className = g("一班?");  // what the box makes of "一班ë"
    view.import.lostCharacter = U'\u00EB';
    operations.roster().renameClass();
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_NE(dialogs.texts()[0].find("U+00EB"), std::string::npos);
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(store(), g("%class%一班,张三"));
}

TEST_F(SeatingFindingsTest, ClassNamesDifferingOnlyInBlanksAreOneClass) {
    writeStore(g("%class%一班,张三%class%二班,李四"));
    view.import = {.className = g("一班 "), .separator = ",", .roster = g("王五")};
    dialogs.answer(kOk);
    dialogs.answer(kNo);
    operations.roster().importClass();
    EXPECT_EQ(dialogs.texts().back(), "班级： 一班 已存在，是否覆盖？");
    EXPECT_EQ(store(), g("%class%一班,张三%class%二班,李四"));

    dialogs.clear();
    view.import.className = g("　一班\t");
    dialogs.answer(kOk);
    dialogs.answer(kYes);
    operations.roster().importClass();
    EXPECT_EQ(store(), g("一班,王五%class%二班,李四"));

    dialogs.clear();
    choose("一班");
    view.import.className = g("二班 ");
    operations.roster().renameClass();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"已有名为 二班 的班级，请换一个名称"}));
    EXPECT_EQ(store(), g("一班,王五%class%二班,李四"));
}

// ---- exam numbers ----

TEST(ExamNumberFindingsTest, NumberOneSitsUnderTheFirstColumn) {
    // 3 columns: grid column 3 is "第1列".
    SeatTable rows = SeatingChart::layout(3, 3, {1, 2, 3, 4, 5, 6, 7}, nullptr);
    SeatingChart::numberSeats(rows, "K", ExamNumbering::Rows);
    EXPECT_EQ(rows.cell(1, 3), g("第1列"));
    EXPECT_EQ(rows.cell(2, 3), "K01\n3");
    EXPECT_EQ(rows.cell(2, 1), "K03\n1");
    EXPECT_EQ(rows.cell(3, 3), "K04\n6");
    EXPECT_EQ(rows.cell(4, 1), "K07\n7");  // the last row holds one seat, at the left

    SeatTable snake = SeatingChart::layout(3, 3, {1, 2, 3, 4, 5, 6, 7}, nullptr);
    SeatingChart::numberSeats(snake, "", ExamNumbering::Serpentine);
    EXPECT_EQ(snake.cell(2, 3), "01\n3");
    EXPECT_EQ(snake.cell(2, 1), "03\n1");
    EXPECT_EQ(snake.cell(3, 1), "04\n4");  // the second row comes back from 第3列
    EXPECT_EQ(snake.cell(3, 3), "06\n6");
    EXPECT_EQ(snake.cell(4, 1), "07\n7");

    // Empty seats of a mixed room get no number.
    SeatTable gaps = SeatingChart::layout(1, 3, {2, 0, 1}, nullptr);
    SeatingChart::numberSeats(gaps, "", ExamNumbering::Rows);
    EXPECT_EQ(gaps.cell(2, 3), "01\n1");
    EXPECT_EQ(gaps.cell(2, 2), "");
    EXPECT_EQ(gaps.cell(2, 1), "02\n2");

    SeatTable none = SeatingChart::layout(1, 2, {2, 1}, nullptr);
    SeatingChart::numberSeats(none, "K", ExamNumbering::None);
    EXPECT_EQ(none.cell(2, 1), "2");
}

}  // namespace
}  // namespace exambell
