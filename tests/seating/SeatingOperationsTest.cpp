// The seating window's operations over a plain view: no window and no QApplication.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "seating/DrawCode.h"
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

class SeatingOperationsTest : public ::testing::Test {
  protected:
    test::TempFolder folder;
    Text configFile = joinPath(folder.text(), "config.ini");
    test::FakeSeatingView view;
    test::FakeDialogs dialogs{test::FakeDialogs::Mode::Strict};
    test::RecordingSpreadsheet spreadsheet;
    test::FakeClock clock;
    test::RecordingChartOutput output;
    SeatingController operations{view, dialogs, spreadsheet, clock, output, configFile, {}};
};

TEST_F(SeatingOperationsTest, ImportListChooseAndGenerateWithNames) {
    operations.windowCreated();
    EXPECT_EQ(view.grid.rowCount(), 9);
    EXPECT_EQ(view.grid.columnCount(), 7);

    view.import = {.className = g("二班"), .separator = ",", .roster = g("张三,李四,王五")};
    dialogs.answer(kOk);
    operations.roster().importClass();
    EXPECT_EQ(dialogs.texts().back(), "保存成功");
    EXPECT_EQ(dialogs.messages().back().owner, &view);

    operations.roster().listClasses();
    ASSERT_TRUE(view.choose(g("二班")));
    view.import = {};
    operations.roster().chooseClass();
    EXPECT_EQ(view.chart.count, "3");
    EXPECT_EQ(view.import.roster, g("张三,李四,王五"));
    EXPECT_EQ(view.import.className, g("二班"));

    view.chart.rows = "2";
    view.chart.columns = "2";
    operations.chart().generate();
    EXPECT_TRUE(view.exportEnabled);
    std::vector<Text> seats = {view.grid.cell(2, 1), view.grid.cell(2, 2), view.grid.cell(3, 1)};
    std::sort(seats.begin(), seats.end());
    std::vector<Text> names = {g("张三"), g("李四"), g("王五")};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(seats, names);
    EXPECT_EQ(view.grid.cell(3, 2), "");
}

TEST_F(SeatingOperationsTest, TooFewSeatsLeavesTheGridAlone) {
    operations.windowCreated();
    view.chart.count = "49";
    operations.chart().generate();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"座位不够容纳 49 人"}));
    EXPECT_EQ(view.grid.rowCount(), 9);
    EXPECT_FALSE(view.exportEnabled);
}

TEST_F(SeatingOperationsTest, ExportReadsTheGridAsItIsNow) {
    operations.chart().generate();
    view.grid.setCell(0, 0, "x");
    operations.exporter().exportToSpreadsheet();
    EXPECT_EQ(spreadsheet.addresses.size(), 70u);
    EXPECT_TRUE(dialogs.texts().empty());
}

TEST_F(SeatingOperationsTest, TheShownCodeDrawsTheSameChartAgain) {
    view.chart.classText = g("二班");
    operations.chart().generate();
    const SeatTable first = view.grid;
    const Text code = view.chart.shownCode;
    ASSERT_TRUE(DrawCode::parse(code));
    EXPECT_EQ(view.chart.typedCode, code);
    EXPECT_EQ(view.chart.shownFingerprint.size(), 6u);

    operations.chart().generate();  // a fresh code, almost surely another order
    EXPECT_NE(view.chart.shownCode, code);
    view.chart.typedCode = code;
    operations.chart().generateFromCode();
    EXPECT_EQ(view.chart.shownCode, code);
    for (int r = 0; r < first.rowCount(); ++r) {
        for (int j = 0; j < first.columnCount(); ++j) {
            EXPECT_EQ(view.grid.cell(r, j), first.cell(r, j));
        }
    }
    EXPECT_TRUE(dialogs.texts().empty());

    view.chart.typedCode = "2222-2222-223";
    operations.chart().generateFromCode();
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(view.chart.shownCode, code);
}

TEST_F(SeatingOperationsTest, PdfPrintAndWorkbookGoWhereTheOperatorSays) {
    view.chart.classText = g("二班");
    view.chart.room = g("301");
    operations.chart().generate();

    dialogs.choose(joinPath(folder.text(), "chart"));
    operations.exporter().exportPdf();
    ASSERT_EQ(output.written.size(), 1u);
    EXPECT_EQ(output.written[0].first, joinPath(folder.text(), "chart.pdf"));
    EXPECT_EQ(dialogs.fileRequests().back().fileName, g("202612_二班考试座位表.pdf"));
    const ChartDocument& pdf = output.written[0].second;
    EXPECT_EQ(pdf.room, "301");
    EXPECT_EQ(pdf.code, view.chart.shownCode);
    EXPECT_EQ(pdf.table.rowCount(), 9);  // the grid's empty first row is left out
    EXPECT_EQ(pdf.table.cell(0, 1), g("第6列"));

    dialogs.chooseNothing();
    operations.exporter().exportPdf();
    EXPECT_EQ(output.written.size(), 1u);

    output.writeSucceeds = false;
    dialogs.choose(joinPath(folder.text(), "x.PDF"));
    operations.exporter().exportPdf();
    EXPECT_EQ(output.written.back().first, joinPath(folder.text(), "x.PDF"));
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0], "PDF文件未能写入，请换一个位置或文件名再试；原有的文件没有改动");

    operations.exporter().printChart();
    EXPECT_EQ(output.printed.size(), 1u);
    output.printResult = ChartOutput::PrintResult::Cancelled;
    operations.exporter().printChart();
    EXPECT_EQ(dialogs.texts().size(), 1u);
    output.printResult = ChartOutput::PrintResult::Failed;
    operations.exporter().printChart();
    EXPECT_EQ(dialogs.texts().back(), "打印失败：打印机没有接受这份座位表");

    const Text workbook = joinPath(folder.text(), "seats.xlsx");
    dialogs.choose(joinPath(folder.text(), "seats"));
    operations.exporter().saveWorkbook();
    EXPECT_TRUE(fileExists(workbook));
    const auto cells = test::readCells(nativePath(workbook));
    EXPECT_EQ(cells.at("B2"), "第6列");
    EXPECT_FALSE(fileExists(workbook + ".part"));
    dialogs.choose(joinPath(folder.text(), "missing/seats.xlsx"));
    operations.exporter().saveWorkbook();
    EXPECT_EQ(dialogs.texts().back(),
              "工作簿未能写入，请换一个位置或文件名再试；原有的文件没有改动");
}

class ClassManagementTest : public SeatingOperationsTest {
  protected:
    Text store() { return ProfileStore::read(configFile, "Class_", "Student", "<none>"); }
    void writeStore(const Text& text) {
        ASSERT_TRUE(ProfileStore::write(configFile, "Class_", "Student", text));
    }
    void choose(std::string_view utf8) {
        operations.roster().listClasses();
        ASSERT_TRUE(view.choose(g(utf8)));
    }
};

TEST_F(ClassManagementTest, RenameKeepsTheOrderAndTheNames) {
    writeStore(g("%class%一班,张三,李四%class%二班,王五%class%三班,赵六"));
    choose("二班");
    view.import.className = g("二班（理）");
    dialogs.answer(kOk);
    operations.roster().renameClass();
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"把班级 二班 改名为 二班（理） 吗？", "改名成功"}));
    EXPECT_EQ(store(), g("一班,张三,李四%class%二班（理）,王五%class%三班,赵六"));
    EXPECT_EQ(view.chart.classText, "");  // the list was rebuilt: nothing chosen

    dialogs.clear();
    choose("一班");
    view.import.className = g("三班");
    operations.roster().renameClass();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"已有名为 三班 的班级，请换一个名称"}));

    dialogs.clear();
    view.import.className = g("四,班");
    operations.roster().renameClass();
    EXPECT_EQ(dialogs.messages().back().icon, MessageIcon::Error);

    dialogs.clear();
    view.import.className = g("四班");
    dialogs.answer(kCancel);
    operations.roster().renameClass();
    EXPECT_EQ(store(), g("一班,张三,李四%class%二班（理）,王五%class%三班,赵六"));
}

TEST_F(ClassManagementTest, RenameThatWouldOutgrowTheStoreIsRefused) {
    // 10,239 bytes in all: one byte more would be cut when read back.
    const Text full = "B,y%class%A," + Text(ProfileStore::kMaxValueBytes - 12, 'x');
    ASSERT_EQ(full.size(), 10239u);
    writeStore(full);
    choose("A");
    view.import.className = "AB";
    operations.roster().renameClass();
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{
                  "班级信息将超过10239字节，配置文件无法完整保存，请删减班级或学生后再试"}));
    EXPECT_EQ(store(), full);

    // A name of the same length fits, and the classes keep their order.
    dialogs.clear();
    view.import.className = "C";
    dialogs.answer(kOk);
    operations.roster().renameClass();
    EXPECT_EQ(store(), "B,y%class%C," + Text(ProfileStore::kMaxValueBytes - 12, 'x'));

    // Deleting shrinks it.
    dialogs.clear();
    choose("B");
    dialogs.answer(kYes);
    operations.roster().deleteClass();
    EXPECT_EQ(store(), "C," + Text(ProfileStore::kMaxValueBytes - 12, 'x'));
}

TEST_F(ClassManagementTest, DeleteAsksFirstAndKeepsTheOthers) {
    writeStore(g("%class%一班,张三%class%二班,王五%class%三班,赵六"));
    operations.roster().deleteClass();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"请先在班级列表中选择一个已保存的班级"}));

    dialogs.clear();
    choose("二班");
    operations.roster().chooseClass();
    dialogs.answer(kNo);
    operations.roster().deleteClass();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"确定删除班级 二班 吗？删除后不能恢复"}));
    EXPECT_EQ(dialogs.messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(store(), g("%class%一班,张三%class%二班,王五%class%三班,赵六"));

    dialogs.clear();
    dialogs.answer(kYes);
    operations.roster().deleteClass();
    EXPECT_EQ(dialogs.texts().back(), "已删除");
    EXPECT_EQ(store(), g("一班,张三%class%三班,赵六"));
    EXPECT_EQ(operations.roster().chosenNames(), "");
    EXPECT_EQ(view.entries, (std::vector<ClassEntry>{{g("一班"), 1}, {g("三班"), 2}}));
}

TEST_F(ClassManagementTest, AStaleChoiceIsNotActedOn) {
    writeStore(g("%class%一班,张三%class%二班,王五"));
    choose("二班");
    writeStore(g("%class%二班,王五"));  // changed behind the window's back
    operations.roster().deleteClass();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"班级信息已被修改，请重新选择班级"}));
    EXPECT_EQ(store(), g("%class%二班,王五"));
}

TEST_F(ClassManagementTest, ReimportingTheChosenClassRefreshesItsNames) {
    writeStore(g("%class%一班,张三,李四"));
    choose("一班");
    operations.roster().chooseClass();
    EXPECT_EQ(operations.roster().chosenNames(), g("张三,李四"));
    view.import = {.className = g("一班"), .separator = ",", .roster = g("张三,李四,王五")};
    dialogs.answer(kOk);
    dialogs.answer(kYes);
    operations.roster().importClass();
    EXPECT_EQ(operations.roster().chosenNames(), g("张三,李四,王五"));
}

class MixedRoomTest : public ClassManagementTest {
  protected:
    // Classes A, B, C with sizes; student names are the class letter and a number ("A7").
    void storeClasses(const std::vector<std::pair<std::string, int>>& classes) {
        Text store;
        for (const auto& [name, size] : classes) {
            store += "%class%" + name;
            for (int i = 1; i <= size; ++i) {
                store += "," + name + std::to_string(i);
            }
        }
        writeStore(store);
    }
    // The class letter on each seat, by seat row and column (1-based); ' ' for an empty seat.
    char classAt(int row, int column) {
        const Text& text = view.grid.cell(row + 1, column);
        return text.empty() ? ' ' : text[0];
    }
    int sameClassNeighbours(int rows, int columns) {
        int pairs = 0;
        for (int i = 1; i <= rows; ++i) {
            for (int j = 1; j <= columns; ++j) {
                const char c = classAt(i, j);
                pairs += c != ' ' && j < columns && classAt(i, j + 1) == c;
                pairs += c != ' ' && i < rows && classAt(i + 1, j) == c;
            }
        }
        return pairs;
    }
};

TEST_F(MixedRoomTest, TwoClassesOfTwentyInEightByFiveNeverSitTogether) {
    storeClasses({{"A", 20}, {"B", 20}});
    view.chart.mixedClasses = "A, B";
    view.chart.rows = "8";
    view.chart.columns = "5";
    for (int draw = 0; draw < 5; ++draw) {
        operations.chart().generate();
        EXPECT_TRUE(dialogs.texts().empty());
        EXPECT_EQ(view.chart.count, "40");
        EXPECT_EQ(sameClassNeighbours(8, 5), 0);
        std::set<Text> seats;
        for (int i = 1; i <= 8; ++i) {
            for (int j = 1; j <= 5; ++j) {
                seats.insert(view.grid.cell(i + 1, j));
            }
        }
        EXPECT_EQ(seats.size(), 40u);
    }
    // The code draws the same mixed chart again.
    const SeatTable shown = view.grid;
    const Text code = view.chart.shownCode;
    operations.chart().generate();
    view.chart.typedCode = code;
    operations.chart().generateFromCode();
    for (int i = 0; i < shown.rowCount(); ++i) {
        for (int j = 0; j < shown.columnCount(); ++j) {
            EXPECT_EQ(view.grid.cell(i, j), shown.cell(i, j));
        }
    }
}

TEST_F(MixedRoomTest, UnevenClassesDoTheBestPossibleAndSaySo) {
    storeClasses({{"A", 30}, {"B", 5}, {"C", 5}});
    view.chart.mixedClasses = g("A，B，C");
    view.chart.rows = "8";
    view.chart.columns = "5";
    operations.chart().generate();
    EXPECT_EQ(sameClassNeighbours(8, 5), 28);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"各班人数相差太大，无法让同班同学全部不相邻；已尽量分开，"
                                        "仍有 28 对同班同学前后或左右相邻"}));
}

TEST_F(MixedRoomTest, UnknownClassOrTooFewSeats) {
    storeClasses({{"A", 3}});
    view.chart.mixedClasses = "A,Z";
    operations.chart().generate();
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"找不到班级：Z，请先导入该班级或检查混排班级的名称"}));
    dialogs.clear();
    storeClasses({{"A", 3}, {"B", 2}});
    view.chart.mixedClasses = "A,B";
    view.chart.rows = "2";
    view.chart.columns = "2";
    operations.chart().generate();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"座位不够容纳 5 人"}));
}

}  // namespace
}  // namespace exambell
