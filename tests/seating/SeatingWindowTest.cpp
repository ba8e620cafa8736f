// The seating-chart window driven through its controls: classes imported, listed and chosen,
// charts generated and exported, with config.ini in a temporary program folder.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <map>
#include <set>

#include "platform/Clock.h"
#include "seating/ClassStore.h"
#include "seating/DrawCode.h"
#include "seating/XlsxSpreadsheet.h"
#include "settings/ProfileStore.h"
#include "tests/seating/XlsxReader.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/RecordingSpreadsheet.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/DesktopWorkbookOpener.h"
#include "ui/SeatingWindow.h"
#include "ui/SeatingWindowBinder.h"

namespace exambell {
namespace {

using namespace Qt::StringLiterals;

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}
QString q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

class FixedClock : public Clock {
  public:
    LocalTime time{.year = 2019, .month = 12, .day = 28, .hour = 18};
    LocalTime now() const override { return time; }
    std::int64_t wallMilliseconds() const override { return 0; }
    std::int64_t tickCount() const override { return 0; }
    TimerId callAt(std::int64_t, std::function<void()>) override { return 0; }
    void cancel(TimerId) override {}
};

class SeatingWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        configFile = joinPath(folder.text(), "config.ini");
        window = std::make_unique<SeatingWindow>(nullptr);
        controller = new SeatingWindowBinder(*window, dialogs, spreadsheet, clock, configFile,
                                             [this] { ++firstSaves; });
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    template <typename T>
    T* control(std::string_view designName) {
        T* widget = window->findChild<T*>(q(designName));
        EXPECT_NE(widget, nullptr) << designName;
        return widget;
    }
    QComboBox* classBox() { return control<QComboBox>("班级组合框"); }
    QTableWidget* grid() { return control<QTableWidget>("高级表格1"); }
    void click(std::string_view button) {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }
    // Types over a field's whole text, as the operator would; every key raises content changed.
    void type(std::string_view field, const char* keys) {
        QLineEdit* edit = control<QLineEdit>(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(keys));
    }
    void clickArrow(std::string_view arrow, int times) {
        for (int i = 0; i < times; ++i) {
            QTest::mouseClick(control<QAbstractButton>(arrow), Qt::LeftButton);
        }
    }
    // The class box's list as it drops down: texts and values.
    std::vector<ClassEntry> dropDown() {
        QComboBox* box = classBox();
        box->showPopup();
        std::vector<ClassEntry> entries;
        for (int i = 0; i < box->count(); ++i) {
            entries.push_back(
                {utf16ToGbk(box->itemText(i).toStdU16String()), box->itemData(i).toInt()});
        }
        return entries;
    }
    // Drops the list down and clicks the entry with that text.
    void choose(std::string_view utf8) {
        QComboBox* box = classBox();
        box->showPopup();
        const int index = box->findText(q(utf8));
        ASSERT_GE(index, 0) << utf8;
        QAbstractItemView* view = box->view();
        const QRect rect = view->visualRect(view->model()->index(index, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTRY_VERIFY(!view->isVisible());
    }
    void setRoster(std::string_view className, std::string_view roster,
                   std::string_view separator = ",") {
        window->classNameEdit->setText(g(className));
        window->rosterEdit->setText(g(roster));
        window->separatorBox->setText(g(separator));
    }
    Text store() { return ProfileStore::read(configFile, "Class_", "Student", "<none>"); }
    void writeStore(std::string_view utf8) {
        ASSERT_TRUE(ProfileStore::write(configFile, "Class_", "Student", g(utf8)));
    }
    Text cell(int row, int column) { return window->grid->cell(row, column); }
    std::vector<Text> seatTexts() {
        std::vector<Text> seats;
        for (int r = 2; r < grid()->rowCount(); ++r) {
            for (int j = 1; j < grid()->columnCount(); ++j) {
                if (!cell(r, j).empty()) {
                    seats.push_back(cell(r, j));
                }
            }
        }
        std::sort(seats.begin(), seats.end());
        return seats;
    }
    void generate(const char* count, const char* rows = "8", const char* columns = "6") {
        type("人数编辑", count);
        type("横排编辑", rows);
        type("竖列编辑", columns);
        click("生成座位按钮");
    }

    test::TempFolder folder;
    Text configFile;
    test::FakeDialogs dialogs{test::FakeDialogs::Mode::Strict};
    test::RecordingSpreadsheet spreadsheet;
    FixedClock clock;
    std::unique_ptr<SeatingWindow> window;
    SeatingWindowBinder* controller = nullptr;
    int firstSaves = 0;
};

// ---- the class store ----

TEST_F(SeatingWindowTest, FirstClassGoesIntoAnEmptyStore) {
    setRoster("18软件5班", "张三,李四");
    dialogs.answer(kOk);
    click("一键导入按钮");
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{
                                   "请确认班级信息\r\n班级：18软件5班\r\n人数：2", "保存成功"}));
    EXPECT_EQ(dialogs.messages()[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(firstSaves, 1);  // config.ini was missing: the cue settings are written first
    EXPECT_EQ(store(), g("%class%18软件5班,张三,李四"));
    EXPECT_EQ(dropDown(), (std::vector<ClassEntry>{{g("18软件5班"), 2}}));
}

TEST_F(SeatingWindowTest, CancelAtTheConfirmationSavesNothing) {
    setRoster("A", "x");
    dialogs.answer(kCancel);
    click("一键导入按钮");
    EXPECT_EQ(dialogs.messages().size(), 1u);
    EXPECT_FALSE(fileExists(configFile));
    EXPECT_EQ(firstSaves, 0);
}

TEST_F(SeatingWindowTest, ReplacingAClassAsksAndKeepsItsPlace) {
    writeStore("%class%A,x,y%class%B,z");
    setRoster("A", "p,q");
    dialogs.answer(kOk);
    dialogs.answer(kNo);
    click("一键导入按钮");
    EXPECT_EQ(dialogs.texts().back(), "班级： A 已存在，是否覆盖？");
    EXPECT_EQ(dialogs.messages().back().buttons, MessageButtons::YesNo);
    EXPECT_EQ(dialogs.messages().size(), 2u);  // No: nothing follows
    EXPECT_EQ(store(), "%class%A,x,y%class%B,z");

    dialogs.clear();
    dialogs.answer(kOk);
    dialogs.answer(kYes);
    click("一键导入按钮");
    EXPECT_EQ(dialogs.texts().back(), "保存成功");
    EXPECT_EQ(store(), "A,p,q%class%B,z");
    EXPECT_EQ(firstSaves, 0);
}

TEST_F(SeatingWindowTest, ClassNameInsideAnotherIsAddedAtTheEnd) {
    writeStore("%class%18软件5班,x");
    setRoster("5班", "p,q");
    dialogs.answer(kOk);
    click("一键导入按钮");
    EXPECT_EQ(dialogs.texts().back(), "保存成功");
    EXPECT_EQ(store(), g("18软件5班,x%class%5班,p,q"));
    // Sorted by pinyin-free digits first, each entry keeping its own value.
    EXPECT_EQ(dropDown(), (std::vector<ClassEntry>{{g("18软件5班"), 1}, {g("5班"), 2}}));
}

TEST_F(SeatingWindowTest, NamesOfTwelveBytesPassAndLongerOnesAreRefused) {
    setRoster("A", "ABCDEFGHIJKL,六个中文字符");
    dialogs.answer(kOk);
    click("一键导入按钮");
    EXPECT_EQ(store(), g("%class%A,ABCDEFGHIJKL,六个中文字符"));

    for (const char* roster : {"ABCDEFGHIJKLM", "张三,七个中文字符啊"}) {
        dialogs.clear();
        setRoster("B", roster);
        click("一键导入按钮");
        ASSERT_EQ(dialogs.messages().size(), 1u) << roster;
        EXPECT_EQ(dialogs.messages()[0].text,
                  g("有学生的名字超过12个字符，请检查分隔符是否填写正确"));
        EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::Error);
    }
    EXPECT_EQ(store(), g("%class%A,ABCDEFGHIJKL,六个中文字符"));
}

TEST_F(SeatingWindowTest, LineBreakSeparatorSplitsAtCrLf) {
    setRoster("A", "张三\r\n李四\r\n王五");
    QComboBox* separators = control<QComboBox>("分割符列表");
    separators->setCurrentIndex(separators->findText(u"换行"_s));
    dialogs.answer(kOk);
    click("一键导入按钮");
    EXPECT_EQ(dialogs.texts().front(), "请确认班级信息\r\n班级：A\r\n人数：3");
    EXPECT_EQ(store(), g("%class%A,张三,李四,王五"));
}

TEST_F(SeatingWindowTest, EmptyPartsAreSkippedAndAnEmptyRosterIsStored) {
    setRoster("A", ",,张三,,李四,");
    dialogs.answer(kOk);
    click("一键导入按钮");
    EXPECT_EQ(dialogs.texts().front(), "请确认班级信息\r\n班级：A\r\n人数：2");
    EXPECT_EQ(store(), g("%class%A,张三,李四"));

    dialogs.clear();
    setRoster("B", "");
    dialogs.answer(kOk);
    click("一键导入按钮");
    EXPECT_EQ(dialogs.texts().front(), "请确认班级信息\r\n班级：B\r\n人数：0");
    EXPECT_EQ(store(), g("%class%A,张三,李四%class%B,"));
}

TEST_F(SeatingWindowTest, NamesThatWouldBreakTheStoreAreRefused) {
    setRoster("A", "张三，李四,王五", "，");
    click("一键导入按钮");
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, g("学生名字“李四,王五”含有逗号、换行或“%class%"
                                            "”，会破坏班级信息的保存格式，请修改后再导入"));
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::Error);

    dialogs.clear();
    setRoster("1班%class%2班", "张三");
    click("一键导入按钮");
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, g("班级名称“1班%class%2班”含有逗号、换行或“%class%"
                                            "”，会破坏班级信息的保存格式，请修改后再导入"));
    EXPECT_FALSE(fileExists(configFile));
}

TEST_F(SeatingWindowTest, StoreThatCouldNotBeReadBackWholeIsRefused) {
    Text names;
    for (int i = 0; i < 1100; ++i) {
        names += (names.empty() ? "" : ",") + std::string("n") + std::to_string(i % 1000);
    }
    writeStore("%class%A," + gbkToUtf8(names.substr(0, 5000)));
    const Text before = store();
    setRoster("B", gbkToUtf8(names));
    dialogs.answer(kOk);
    click("一键导入按钮");
    EXPECT_EQ(dialogs.texts().back(),
              "班级信息将超过10239字节，配置文件无法完整保存，请删减班级或学生后再试");
    EXPECT_EQ(store(), before);
}

TEST_F(SeatingWindowTest, FailedWriteIsNoSuccess) {
    delete controller;
    const Text unwritable = joinPath(joinPath(folder.text(), "missing"), "config.ini");
    controller = new SeatingWindowBinder(*window, dialogs, spreadsheet, clock, unwritable, {});
    setRoster("A", "x");
    dialogs.answer(kOk);
    click("一键导入按钮");
    EXPECT_EQ(dialogs.texts().back(), "保存失败：无法写入配置文件，原有的班级信息没有改动");
}

TEST_F(SeatingWindowTest, StoreOfOnlyTheMarkerListsNoClass) {
    writeStore("%class%");
    EXPECT_TRUE(dropDown().empty());
    classBox()->hidePopup();
}

TEST_F(SeatingWindowTest, TheListStartsWithTheCommonEntryUntilItIsRebuilt) {
    EXPECT_EQ(classBox()->currentText(), u""_s);
    ASSERT_EQ(classBox()->count(), 1);
    EXPECT_EQ(classBox()->itemText(0), u"通用班级"_s);
    EXPECT_EQ(dropDown(), (std::vector<ClassEntry>{{"", 0}}));  // empty store
    classBox()->hidePopup();
}

TEST_F(SeatingWindowTest, ChoosingAClassLoadsItIntoTheWindow) {
    writeStore("%class%18软件5班,张三,李四,王五%class%二班,赵六");
    choose("18软件5班");
    EXPECT_EQ(window->countEdit->text(), "3");
    EXPECT_EQ(window->rosterEdit->text(), g("张三,李四,王五"));
    EXPECT_EQ(window->classNameEdit->text(), g("18软件5班"));
    EXPECT_EQ(controller->roster().chosenNames(), g("张三,李四,王五"));
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(SeatingWindowTest, EntryOfValueZeroLoadsNothing) {
    choose("");  // the empty store's one entry
    EXPECT_EQ(window->countEdit->text(), "42");
    EXPECT_EQ(window->rosterEdit->text(), "");
    EXPECT_EQ(window->classNameEdit->text(), "");
}

TEST_F(SeatingWindowTest, LongStoredNameStopsTheLoading) {
    writeStore("%class%A,x,七个中文字符啊,y");
    window->rosterEdit->setText("keep");
    choose("A");
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(window->countEdit->text(), "3");
    EXPECT_EQ(controller->roster().chosenNames(), "x");
    EXPECT_EQ(window->rosterEdit->text(), "keep");
    EXPECT_EQ(window->classNameEdit->text(), g("18软件5班"));
}

TEST_F(SeatingWindowTest, ChoiceFromAnOutdatedListReloadsIt) {
    writeStore("%class%A,x%class%B,y");
    dropDown();
    classBox()->hidePopup();
    writeStore("B,y");  // rebuilt elsewhere: B moved from element 3 to element 1
    window->rosterEdit->setText("keep");
    classBox()->setCurrentIndex(classBox()->findText(u"B"_s));  // chosen with the list closed
    controller->roster().chooseClass();
    EXPECT_EQ(controller->roster().chosenNames(), "");
    EXPECT_EQ(window->rosterEdit->text(), "keep");
    ASSERT_EQ(classBox()->count(), 1);
    EXPECT_EQ(classBox()->itemData(0).toInt(), 1);
    EXPECT_EQ(classBox()->currentIndex(), -1);
}

// ---- the seat grid ----

TEST_F(SeatingWindowTest, NewWindowSizesTheGridFromTheFields) {
    EXPECT_EQ(grid()->rowCount(), 9);
    EXPECT_EQ(grid()->columnCount(), 7);
    EXPECT_FALSE(control<QPushButton>("导出Excel按钮")->isEnabled());
    EXPECT_EQ(window->rowsEdit->text(), "8");
    EXPECT_EQ(window->columnsEdit->text(), "6");
}

TEST_F(SeatingWindowTest, FortyTwoInEightBySix) {
    generate("42");
    ASSERT_EQ(grid()->rowCount(), 10);
    ASSERT_EQ(grid()->columnCount(), 7);
    EXPECT_TRUE(control<QPushButton>("导出Excel按钮")->isEnabled());
    for (int j = 1; j <= 6; ++j) {
        EXPECT_EQ(cell(1, j), g("第" + std::to_string(7 - j) + "列"));
    }
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(cell(i + 1, 0), g("第" + std::to_string(i) + "行"));
    }
    for (int j = 0; j < 7; ++j) {
        EXPECT_EQ(cell(0, j), "");
        EXPECT_EQ(cell(9, j == 0 ? 1 : j), "");
    }
    std::vector<Text> expected;
    for (int k = 1; k <= 42; ++k) {
        expected.push_back(toText(k));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seatTexts(), expected);  // numbers mode: exactly 1..42, each once
    for (int j = 1; j <= 6; ++j) {
        EXPECT_NE(cell(8, j), "");
    }
}

TEST_F(SeatingWindowTest, FortyLeaveTheLastRowsOpen) {
    generate("40");
    EXPECT_NE(cell(8, 4), "");
    EXPECT_EQ(cell(8, 5), "");
    EXPECT_EQ(cell(8, 0), g("第7行"));
    EXPECT_EQ(cell(9, 0), "");
    EXPECT_EQ(seatTexts().size(), 40u);

    generate("48");
    EXPECT_EQ(cell(9, 0), g("第8行"));
    EXPECT_EQ(seatTexts().size(), 48u);
}

TEST_F(SeatingWindowTest, TooFewSeatsLeavesTheGridAlone) {
    generate("42");
    const Text before = cell(2, 1);
    type("人数编辑", "49");
    click("生成座位按钮");
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"座位不够容纳 49 人"});
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::None);
    EXPECT_EQ(cell(2, 1), before);
    EXPECT_EQ(grid()->rowCount(), 10);
}

TEST_F(SeatingWindowTest, NoStudentsGivesLabelsOnly) {
    generate("0");
    EXPECT_EQ(cell(1, 1), g("第6列"));
    EXPECT_EQ(cell(2, 0), g("第1行"));
    EXPECT_EQ(cell(3, 0), "");
    EXPECT_TRUE(seatTexts().empty());
}

TEST_F(SeatingWindowTest, ResizingAfterAGenerationRewritesNothing) {
    generate("42");
    const Text seat = cell(8, 6);
    clickArrow("竖列编辑_up", 4);
    EXPECT_EQ(window->columnsEdit->text(), "10");
    EXPECT_EQ(grid()->columnCount(), 11);
    EXPECT_EQ(cell(1, 1), g("第6列"));
    EXPECT_EQ(cell(8, 6), seat);
    EXPECT_EQ(cell(1, 7), "");
    EXPECT_EQ(grid()->rowCount(), 10);

    type("横排编辑", "8");  // even retyping the same number drops the last seat row
    EXPECT_EQ(grid()->rowCount(), 9);
    EXPECT_EQ(cell(8, 0), g("第7行"));
}

TEST_F(SeatingWindowTest, NamesModeSeatsEveryNameOnce) {
    writeStore("%class%A,张三,李四,王五,赵六,钱七");
    choose("A");
    generate("5", "2", "3");
    std::vector<Text> expected = {g("张三"), g("李四"), g("王五"), g("赵六"), g("钱七")};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seatTexts(), expected);
}

TEST_F(SeatingWindowTest, NamesModeTakesNoCountButTheClassSize) {
    writeStore("%class%A,张三,李四");
    choose("A");
    generate("4", "2", "2");
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{
                  "考试人数是 4，班级“A”有 2 人：请把考试人数改为 2，或重新选择班级"}));
    EXPECT_TRUE(seatTexts().empty());
}

TEST_F(SeatingWindowTest, CountsAndSizesOutsideTheFieldsAreRefused) {
    generate("1000", "99", "99");
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"考试人数须在0到999之间"});
    dialogs.clear();
    generate("42", "100", "6");
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"排数和列数须在0到99之间"});
    EXPECT_FALSE(control<QPushButton>("导出Excel按钮")->isEnabled());
    type("横排编辑", "99999999");
    EXPECT_EQ(grid()->rowCount(), 100);
}

TEST_F(SeatingWindowTest, TwoGenerationsDrawDifferentOrders) {
    generate("42");
    std::vector<Text> first;
    for (int j = 1; j <= 6; ++j) {
        first.push_back(cell(2, j) + cell(3, j) + cell(4, j));
    }
    click("生成座位按钮");
    std::vector<Text> second;
    for (int j = 1; j <= 6; ++j) {
        second.push_back(cell(2, j) + cell(3, j) + cell(4, j));
    }
    EXPECT_NE(first, second);
}

// ---- the export ----

TEST_F(SeatingWindowTest, ExportCopiesTheGridUnderTheTitle) {
    writeStore("%class%18软件5班,张三,李四");
    choose("18软件5班");
    generate("2", "8", "6");
    click("导出Excel按钮");
    EXPECT_EQ(spreadsheet.calls,
              (std::vector<std::string>{"start", "newWorkbook", "selectSheet 1", "setCaption",
                                        "setVisible", "setRange", "release"}));
    EXPECT_EQ(spreadsheet.caption, g("20191228_18软件5班考试座位表"));
    ASSERT_EQ(spreadsheet.addresses.size(), 70u);
    EXPECT_EQ(spreadsheet.addresses.front(), "a1");
    EXPECT_EQ(spreadsheet.addresses.back(), "g10");
    EXPECT_EQ(spreadsheet.cells.at("b2"), g("第6列"));
    EXPECT_EQ(spreadsheet.cells.at("g2"), g("第1列"));
    EXPECT_EQ(spreadsheet.cells.at("a3"), g("第1行"));
    EXPECT_EQ(spreadsheet.cells.at("a4"), "");  // no student on the second row
    const std::set<Text> seats = {spreadsheet.cells.at("b3"), spreadsheet.cells.at("c3")};
    EXPECT_EQ(seats, (std::set<Text>{g("张三"), g("李四")}));
    EXPECT_TRUE(dialogs.messages().empty());

    clock.time = {.year = 2020, .month = 1, .day = 5};
    spreadsheet.calls.clear();
    click("导出Excel按钮");
    EXPECT_EQ(spreadsheet.calls.front(), "start");  // every export starts afresh
    EXPECT_EQ(spreadsheet.caption, g("202015_18软件5班考试座位表"));
}

TEST_F(SeatingWindowTest, ExportWithoutASpreadsheetProgramSaysSo) {
    generate("42");
    spreadsheet.startSucceeds = false;
    click("导出Excel按钮");
    EXPECT_EQ(dialogs.texts(),
              std::vector<std::string>{"Excel程序创建失败！请检查是否有安装Excel 2000以上版本"});
    EXPECT_EQ(spreadsheet.calls, std::vector<std::string>{"start"});
}

TEST_F(SeatingWindowTest, WideGridsExportPastColumnZ) {
    generate("42", "8", "29");
    click("导出Excel按钮");
    EXPECT_EQ(spreadsheet.caption, g("20191228_考试座位表"));
    EXPECT_EQ(spreadsheet.addresses.back(), "ad10");
    EXPECT_EQ(spreadsheet.cells.at("aa2"), g("第4列"));
    EXPECT_EQ(spreadsheet.cells.at("ad2"), g("第1列"));
    EXPECT_NE(spreadsheet.cells.at("ad3"), "");
}

TEST_F(SeatingWindowTest, RealWorkbookHoldsTheGrid) {
    test::TempFolder temporary;
    test::RecordingOpener opener;
    XlsxSpreadsheet workbook(opener, temporary.path());
    delete controller;
    controller = new SeatingWindowBinder(*window, dialogs, workbook, clock, configFile, {});
    writeStore("%class%18软件5班,张三,李四,王五");
    choose("18软件5班");
    generate("3", "2", "2");
    click("导出Excel按钮");
    EXPECT_TRUE(dialogs.messages().empty());
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0].filename().string(), "20191228_18软件5班考试座位表.xlsx");

    std::map<std::string, std::string> expected;
    for (int r = 0; r < grid()->rowCount(); ++r) {
        for (int j = 0; j < grid()->columnCount(); ++j) {
            if (!cell(r, j).empty()) {
                Text address = SeatingExport::cellAddress(r, j);
                std::transform(address.begin(), address.end(), address.begin(), ::toupper);
                expected[address] = gbkToUtf8(cell(r, j));
            }
        }
    }
    EXPECT_EQ(expected.size(), 2u + 2u + 3u);
    EXPECT_EQ(expected.at("B2"), "第2列");
    EXPECT_EQ(test::readCells(opener.opened[0]), expected);
}

TEST_F(SeatingWindowTest, RealWorkbookWithoutASpreadsheetProgram) {
    test::TempFolder temporary;
    test::RecordingOpener opener;
    opener.available = false;
    XlsxSpreadsheet workbook(opener, temporary.path());
    delete controller;
    controller = new SeatingWindowBinder(*window, dialogs, workbook, clock, configFile, {});
    generate("3");
    click("导出Excel按钮");
    EXPECT_EQ(dialogs.texts(),
              std::vector<std::string>{"Excel程序创建失败！请检查是否有安装Excel 2000以上版本"});
    EXPECT_TRUE(std::filesystem::is_empty(temporary.path()));
}

// The desktop opener finds a spreadsheet program on the search path and hands it the file.
TEST(DesktopWorkbookOpenerTest, StartsTheSpreadsheetProgramWithTheFile) {
    test::TempFolder bin;
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", bin.path().c_str(), 1);
    DesktopWorkbookOpener opener;
    EXPECT_FALSE(opener.canOpenWorkbooks());

    const std::filesystem::path program =
        bin.write("localc", "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.args\"\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    EXPECT_TRUE(opener.canOpenWorkbooks());
    const std::filesystem::path file = bin.path() / "20191228_18软件5班考试座位表.xlsx";
    EXPECT_TRUE(opener.openWorkbook(file));
    setenv("PATH", savedPath.c_str(), 1);
    // The program runs detached; nothing but its output tells when it is done.
    QTRY_VERIFY_WITH_TIMEOUT(bin.read("localc.args") == file.string(), 10000);
}

// ---- the printed chart and the draw code ----

TEST_F(SeatingWindowTest, NewControlsSitBelowTheDesignedOnes) {
    EXPECT_EQ(window->grid->widget()->geometry(), QRect(8, 160, 913, 344));
    EXPECT_EQ(window->width(), 928);
    for (const char* name : {"导出PDF按钮", "打印按钮", "另存Excel按钮"}) {
        EXPECT_FALSE(control<QPushButton>(name)->isEnabled()) << name;
    }
    for (const char* name :
         {"抽签码编辑", "按码生成按钮", "考场编辑框", "考试编辑框", "导出PDF按钮", "打印按钮",
          "另存Excel按钮", "改名班级按钮", "删除班级按钮"}) {
        QWidget* widget = control<QWidget>(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_GE(widget->y(), 160 + 344) << name;
        EXPECT_LE(widget->geometry().bottom(), window->height()) << name;
    }
}

TEST_F(SeatingWindowTest, TheCodeBelowTheGridDrawsTheChartAgain) {
    generate("42");
    for (const char* name : {"导出PDF按钮", "打印按钮", "另存Excel按钮"}) {
        EXPECT_TRUE(control<QPushButton>(name)->isEnabled()) << name;
    }
    const Text code = window->codeEdit->text();
    EXPECT_TRUE(DrawCode::parse(code));
    EXPECT_EQ(window->codeLabel->caption(), g("抽签码：") + code);
    std::vector<Text> first;
    for (int r = 0; r < grid()->rowCount(); ++r) {
        for (int j = 0; j < grid()->columnCount(); ++j) {
            first.push_back(cell(r, j));
        }
    }
    click("生成座位按钮");
    window->codeEdit->setText(code);
    click("按码生成按钮");
    std::vector<Text> again;
    for (int r = 0; r < grid()->rowCount(); ++r) {
        for (int j = 0; j < grid()->columnCount(); ++j) {
            again.push_back(cell(r, j));
        }
    }
    EXPECT_EQ(again, first);
    EXPECT_EQ(window->codeLabel->caption(), g("抽签码：") + code);
}

}  // namespace
}  // namespace exambell
