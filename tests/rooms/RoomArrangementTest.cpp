// The arrangement window's operations over a plain fake of the window.
#include <gtest/gtest.h>

#include "rooms/RoomArrangement.h"
#include "settings/ProfileStore.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

struct FakeView : ArrangementView {
    ArrangementFields typed{.separator = ",", .roomDigits = "2", .seatDigits = "2"};
    std::vector<Text> entries;
    ArrangementSettings shownSettings;
    SeatTable summary;
    Text code, fingerprint, note;
    bool outputs = false;

    ArrangementFields fields() const override { return typed; }
    void setClassName(const Text& name) override { typed.className = name; }
    void setRoster(const Text& roster) override { typed.roster = roster; }
    void setClassEntries(const std::vector<Text>& list) override { entries = list; }
    void setRooms(const Text& rooms) override { typed.rooms = rooms; }
    // As the window does: the stored fields into the boxes.
    void showSettings(const ArrangementSettings& settings) override {
        shownSettings = settings;
        typed.typedCode = settings.code;
        typed.order = settings.order;
        typed.mixed = settings.mixed;
        typed.prefix = settings.format.prefix;
        typed.roomDigits = toText(settings.format.roomDigits);
        typed.seatDigits = toText(settings.format.seatDigits);
        typed.exam = settings.exam;
        if (!settings.rooms.empty()) {
            typed.rooms.clear();
            for (const Text& line : settings.rooms) {
                typed.rooms += (typed.rooms.empty() ? "" : "\r\n") + line;
            }
        }
    }
    void showSummary(const SeatTable& table) override { summary = table; }
    void setDrawInfo(const Text& c, const Text& f, const Text& n) override {
        code = c, fingerprint = f, note = n;
    }
    void setOutputsEnabled(bool enabled) override { outputs = enabled; }
    const DialogOwner* owner() const override { return nullptr; }
};

struct FailingOutput : RoomOutput {
    bool writeRoomsPdf(const ArrangementDocument&, const Text&) override { return false; }
    bool writeLabelsPdf(const ArrangementDocument&, const Text&, int, int) override {
        return false;
    }
};

class RoomArrangementTest : public ::testing::Test {
  protected:
    Text config() const { return joinPath(pathText(folder.path()), "config.ini"); }
    void importClass(const std::string& name, const std::string& roster) {
        view.typed.className = g(name);
        view.typed.roster = g(roster);
        dialogs.answer(kOk);
        operations.importClass();
    }
    test::TempFolder folder;
    FakeView view;
    test::FakeDialogs dialogs;
    test::FakeClock clock;
    FailingOutput output;
    RoomArrangement operations{view, dialogs, clock, output, config()};
};

TEST_F(RoomArrangementTest, ImportRefusesWhatCannotBeStoredAndAsksBeforeReplacing) {
    view.typed.className = g("一班");
    view.typed.roster = g("张三,李四");
    view.typed.importLost = U'\u4DAE';
    operations.importClass();
    view.typed.importLost.reset();
    view.typed.roster = g("张三,欧阳司马诸葛亮");  // 18 bytes
    operations.importClass();
    EXPECT_EQ(dialogs.texts().size(), 2u);
    EXPECT_EQ(dialogs.texts()[1], "有学生的名字超过12个字符，请检查分隔符是否填写正确");
    EXPECT_FALSE(fileExists(config()));

    importClass("一班", "张三,李四");
    EXPECT_EQ(view.entries, (std::vector<Text>{g("一班（2人）")}));
    dialogs.clear();
    dialogs.answer(kOk);
    dialogs.answer(kNo);
    view.typed.roster = g("王五");
    operations.importClass();
    EXPECT_EQ(dialogs.texts().back(), "班级： 一班 已存在，是否覆盖？");
    EXPECT_EQ(GradeRoster(config()).classes()[0].names.size(), 2u);

    // Choosing the class shows its names with the separator chosen.
    view.typed.chosenClass = 1;
    view.typed.separator = g("换行");
    operations.chooseClass();
    EXPECT_EQ(view.typed.roster, g("张三\r\n李四"));
}

TEST_F(RoomArrangementTest, ArrangingTellsTheLineOfABadRoomAndThePairsLeft) {
    importClass("一班", "a1,a2,a3,a4,a5,a6,a7,a8,a9,a10");
    importClass("二班", "b1,b2");
    dialogs.clear();
    view.typed.rooms = g("第01考场,3,4\r\n\r\n第02考场,3");
    operations.arrange();
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0], "考场列表第 3 行：排数和列数须在1到99之间");
    EXPECT_FALSE(view.outputs);

    view.typed.rooms = g("第01考场,3,4");
    operations.arrange();
    ASSERT_TRUE(operations.shown());
    ASSERT_EQ(dialogs.texts().size(), 2u);
    const int pairs = operations.shown()->sameClassPairs;
    EXPECT_GT(pairs, 0);
    EXPECT_EQ(dialogs.texts()[1], "有的班级人数太多，无法让同班考生全部不相邻；已尽量分开，仍有 " +
                                      std::to_string(pairs) + " 对同班考生前后或左右相邻");
    EXPECT_TRUE(view.outputs);
    EXPECT_EQ(view.summary.cell(1, 3), "12");

    // A failed write says so and leaves no file behind.
    dialogs.choose(joinPath(pathText(folder.path()), "rooms"));
    operations.exportPdf();
    EXPECT_EQ(dialogs.texts().back(), "无法写入这个文件，请换一个位置或文件名；原有的文件没有改动");
    EXPECT_EQ(dialogs.fileRequests().back().fileName, g("20260102_考场安排.pdf"));
}

TEST_F(RoomArrangementTest, OpeningAgainDrawsTheStoredArrangementAndNotesAChangedRoster) {
    importClass("一班", "a1,a2,a3");
    importClass("二班", "b1,b2,b3");
    view.typed.rooms = g("第01考场,2,3");
    view.typed.prefix = "K";
    operations.arrange();
    ASSERT_TRUE(operations.shown());
    const Arrangement first = *operations.shown();

    FakeView again;
    RoomArrangement reopened{again, dialogs, clock, output, config()};
    dialogs.clear();
    reopened.windowOpened();
    EXPECT_EQ(again.typed.rooms, g("第01考场,2,3"));
    ASSERT_TRUE(reopened.shown());
    EXPECT_EQ(*reopened.shown(), first);
    EXPECT_EQ(again.note, g("1个考场，6人"));
    EXPECT_TRUE(dialogs.texts().empty());

    importClass("二班", "b1,b2,b4");
    FakeView third;
    RoomArrangement changed{third, dialogs, clock, output, config()};
    changed.windowOpened();
    EXPECT_EQ(third.note, g("1个考场，6人  名单已改动，与这次编排不同"));
}

}  // namespace
}  // namespace exambell
