// Every window of the program, opened as the operator opens it, used without a mouse: Tab reaches
// every control in the order the eye reads them and leaves every control again (the seat grid
// included), and a screen reader hears a name a person understands for each of them, never a
// design name such as 科目1科目 or 高级表格1 nor a bare punctuation mark.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <vector>

#include "app/DisplayBinder.h"
#include "app/PlanBinder.h"
#include "app/RoomStatusBinder.h"
#include "tests/support/AppFixture.h"
#include "ui/ArrangementWindow.h"
#include "ui/DisplaySetupWindow.h"
#include "ui/ImportWindow.h"
#include "ui/MainWindow.h"
#include "ui/PlanWindow.h"
#include "ui/RoomStatusWindow.h"
#include "ui/SeatingWindow.h"

namespace exambell::test {
namespace {

// What a screen reader says the widget is called. On Linux Qt names a combo box by its current
// item (a "," for the separator box); what it is for comes from the labels whose buddy it is.
QString spokenName(QWidget* w) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
    if (!accessible) {
        return QString();
    }
    if (accessible->role() == QAccessible::ComboBox) {
        QStringList labels;
        for (const auto& [label, relation] : accessible->relations(QAccessible::Label)) {
            if (qobject_cast<QLabel*>(label->object())) {
                labels << label->text(QAccessible::Name);
            }
        }
        return labels.join(u' ');
    }
    return accessible->text(QAccessible::Name);
}

// The widgets of a window that Tab stops at: shown, enabled (or, with everyStop, also those
// that are not enabled yet), taking Tab focus themselves.
std::vector<QWidget*> tabStops(QWidget* window, bool everyStop = false) {
    std::vector<QWidget*> stops;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() == window && w->isVisibleTo(window) && (everyStop || w->isEnabled()) &&
            !w->focusProxy() && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
            stops.push_back(w);
        }
    }
    return stops;
}

// The stop that holds the focus (an editable combo box's own line edit stands for the box).
QWidget* focusedStop(const std::vector<QWidget*>& stops) {
    QWidget* f = QApplication::focusWidget();
    while (f && std::find(stops.begin(), stops.end(), f) == stops.end()) {
        f = f->parentWidget();
    }
    return f;
}

// Presses key (Tab or Shift+Tab) from `from` once; the stop that has the focus after.
QWidget* press(QWidget* from, const std::vector<QWidget*>& stops, Qt::Key key = Qt::Key_Tab) {
    from->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), key);
    return focusedStop(stops);
}

// The stops in the order Tab visits them, from the first stop round to where it started (or
// until it has pressed Tab as often as there are stops and then some).
std::vector<QWidget*> tabCycle(QWidget* window) {
    const std::vector<QWidget*> stops = tabStops(window);
    std::vector<QWidget*> cycle;
    if (stops.empty()) {
        return cycle;
    }
    QWidget* start = stops.front();
    start->setFocus(Qt::TabFocusReason);
    cycle.push_back(focusedStop(stops));
    for (std::size_t i = 0; i < stops.size() + 2; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = focusedStop(stops);
        if (now == cycle.front()) {
            break;
        }
        cycle.push_back(now);
    }
    return cycle;
}

QStringList names(const std::vector<QWidget*>& widgets) {
    QStringList out;
    for (QWidget* w : widgets) {
        out << (w ? w->objectName() : QStringLiteral("(none)"));
    }
    return out;
}

// Tab visits every stop once and comes round again.
void expectEveryStopReached(QWidget* window) {
    const std::vector<QWidget*> stops = tabStops(window);
    const std::vector<QWidget*> cycle = tabCycle(window);
    QSet<QWidget*> visited(cycle.begin(), cycle.end());
    for (QWidget* w : stops) {
        EXPECT_TRUE(visited.contains(w))
            << "Tab never reaches " << w->objectName().toStdString() << " in "
            << window->objectName().toStdString() << "; Tab goes "
            << names(cycle).join(QStringLiteral(" > ")).toStdString();
    }
    EXPECT_EQ(cycle.size(), stops.size()) << names(cycle).join(QStringLiteral(" > ")).toStdString();
}

// From the first expected name on, Tab's cycle holds the design names in this order (others
// may lie between them).
void expectTabOrder(QWidget* window, const QStringList& expected) {
    QStringList cycle = names(tabCycle(window));
    const qsizetype first = cycle.indexOf(expected.value(0));
    ASSERT_GE(first, 0) << expected.value(0).toStdString() << " is no Tab stop";
    cycle = cycle.mid(first) + cycle.mid(0, first);
    qsizetype at = 0;
    for (const QString& name : expected) {
        at = cycle.indexOf(name, at);
        ASSERT_GE(at, 0) << name.toStdString() << " out of order; Tab goes "
                         << cycle.join(QStringLiteral(" > ")).toStdString();
    }
}

bool hasLetter(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// Each stop, the disabled ones included, and each button (the arrows of the number boxes take no
// focus) has a spoken name with a word in it that is neither its design name, unless the design
// name is its caption, nor only the title of its group.
void expectSpokenNames(QWidget* window) {
    std::vector<QWidget*> named = tabStops(window, true);
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (b->isVisibleTo(window) && std::find(named.begin(), named.end(), b) == named.end()) {
            named.push_back(b);
        }
    }
    for (QWidget* w : named) {
        const QString spoken = spokenName(w);
        const auto* button = qobject_cast<QAbstractButton*>(w);
        const bool captionIsDesignName = button && button->text() == w->objectName();
        EXPECT_TRUE(hasLetter(spoken))
            << w->objectName().toStdString() << " is heard as \"" << spoken.toStdString() << '"';
        if (!captionIsDesignName) {
            EXPECT_NE(spoken, w->objectName()) << "a screen reader hears the design name";
        }
        // Qt names a box without a name of its own by the title of the group it lies in.
        if (auto* group = qobject_cast<QGroupBox*>(w->parentWidget());
            group && !button && spoken == group->title()) {
            EXPECT_FALSE(w->accessibleName().isEmpty())
                << w->objectName().toStdString() << " is heard as its group's title only";
        }
    }
}

class KeyboardAccess : public AppFixture {
  protected:
    void SetUp() override {
        makeDefaultRecordings();
        clock.set(2026, 1, 2, 8, 0, 0, 400);  // before the first exam of the day
        start();
    }
    QWidget* inWindow(QWidget* window, const char* designName) {
        return window->findChild<QWidget*>(QString::fromUtf8(designName));
    }
    // Shows a window and waits until it has the focus: Tab then goes to it.
    void show(QWidget* window) {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([window] { return window->isActiveWindow(); }));
    }
};

TEST_F(KeyboardAccess, MainWindowIdleAndDuringRun) {
    MainWindow& w = main();
    expectEveryStopReached(&w);
    expectTabOrder(
        &w, {QStringLiteral("打赏作者"), QStringLiteral("科目1"), QStringLiteral("科目1科目"),
             QStringLiteral("科目1时间"), QStringLiteral("科目1时长"), QStringLiteral("科目2时长"),
             QStringLiteral("提醒1"), QStringLiteral("提醒路径1"), QStringLiteral("修改1"),
             QStringLiteral("试听1"), QStringLiteral("试听7"), QStringLiteral("保存设置按钮"),
             QStringLiteral("座位表生成按钮"), QStringLiteral("开始运行按钮"),
             QStringLiteral("考试安排按钮"), QStringLiteral("考场时钟按钮")});
    expectSpokenNames(&w);
    EXPECT_EQ(spokenName(w.examSubject[1]->widget()), QStringLiteral("第1场考试科目"));
    EXPECT_EQ(spokenName(w.cueChoose[2]->widget()),
              QStringLiteral("选择开考前8分钟提醒的音频文件"));

    // During a run the window is wide: the late-start row and the reminder list join the cycle.
    QTest::mouseClick(w.saveButton->widget(), Qt::LeftButton);
    QTest::mouseClick(w.runButton->widget(), Qt::LeftButton);
    ASSERT_TRUE(w.runButton->checked());
    ASSERT_EQ(w.width(), MainWindow::kWideWidth);
    expectEveryStopReached(&w);
    expectTabOrder(&w, {QStringLiteral("考场时钟按钮"), QStringLiteral("平移考试框"),
                        QStringLiteral("平移分钟框"), QStringLiteral("平移按钮"),
                        QStringLiteral("超级列表框1")});
    expectSpokenNames(&w);
    EXPECT_EQ(spokenName(w.reminderList->widget()), QStringLiteral("提醒列表"));
}

TEST_F(KeyboardAccess, SeatingWindowTabLeavesTheGrid) {
    QTest::mouseClick(inWindow(&main(), "座位表生成按钮"), Qt::LeftButton);
    SeatingWindow* seating = app->seatingWindow();
    ASSERT_NE(seating, nullptr);
    show(seating);
    const std::vector<QWidget*> stops = tabStops(seating);
    QWidget* grid = inWindow(seating, "高级表格1");
    ASSERT_GT(seating->grid->rowCount(), 1);
    EXPECT_EQ(press(grid, stops), inWindow(seating, "抽签码编辑"));
    EXPECT_EQ(press(grid, stops, Qt::Key_Backtab), inWindow(seating, "人员编辑框"));
    expectEveryStopReached(seating);
    expectTabOrder(
        seating,
        {QStringLiteral("班级组合框"), QStringLiteral("人数编辑"), QStringLiteral("横排编辑"),
         QStringLiteral("竖列编辑"), QStringLiteral("生成座位按钮"), QStringLiteral("班级编辑框"),
         QStringLiteral("分割符列表"), QStringLiteral("一键导入按钮"), QStringLiteral("人员编辑框"),
         QStringLiteral("高级表格1"), QStringLiteral("抽签码编辑"), QStringLiteral("考场编辑框"),
         QStringLiteral("考试编辑框"), QStringLiteral("混排班级编辑框"),
         QStringLiteral("考号前缀编辑框"), QStringLiteral("考号顺序列表"),
         QStringLiteral("考场编排按钮")});
    expectSpokenNames(seating);
    EXPECT_EQ(spokenName(grid), QStringLiteral("座位表"));
    EXPECT_EQ(spokenName(inWindow(seating, "分割符列表")), QStringLiteral("分隔符"));
    EXPECT_EQ(spokenName(inWindow(seating, "班级组合框")), QStringLiteral("操作班级"));
    EXPECT_EQ(spokenName(inWindow(seating, "人数编辑_up")), QStringLiteral("增加考试人数"));
}

TEST_F(KeyboardAccess, ImportAndExamRoomClockWindows) {
    QTest::mouseClick(inWindow(&main(), "考场时钟按钮"), Qt::LeftButton);
    DisplaySetupWindow* setup = app->displayBinder().setupWindow();
    ASSERT_NE(setup, nullptr);
    show(setup);
    expectEveryStopReached(setup);
    expectTabOrder(setup, {QStringLiteral("屏幕列表"), QStringLiteral("全屏显示按钮"),
                           QStringLiteral("网页开关"), QStringLiteral("端口编辑"),
                           QStringLiteral("考场状态按钮")});
    expectSpokenNames(setup);
    setup->close();

    QTest::mouseClick(inWindow(&main(), "导出设置按钮"), Qt::LeftButton);
    ImportWindow* import = app->importWindow();
    ASSERT_NE(import, nullptr);
    show(import);
    expectEveryStopReached(import);
    expectTabOrder(import,
                   {QStringLiteral("编辑框1"), QStringLiteral("按钮1"), QStringLiteral("修改")});
    expectSpokenNames(import);
    EXPECT_EQ(spokenName(import->pathEdit->widget()), QStringLiteral("配置文件路径"));
}

TEST_F(KeyboardAccess, PlanWindow) {
    QTest::mouseClick(inWindow(&main(), "考试安排按钮"), Qt::LeftButton);
    PlanWindow* plans = app->planBinder().planWindow();
    ASSERT_NE(plans, nullptr);
    show(plans);
    expectEveryStopReached(plans);
    expectTabOrder(plans, {QStringLiteral("安排选择框"),   QStringLiteral("安排名称框"),
                           QStringLiteral("新建安排按钮"), QStringLiteral("当前安排框"),
                           QStringLiteral("自动开始框"),   QStringLiteral("场次列表"),
                           QStringLiteral("场次日期框"),   QStringLiteral("场次科目框"),
                           QStringLiteral("场次开始框"),   QStringLiteral("场次时长框"),
                           QStringLiteral("添加场次按钮"), QStringLiteral("复制当天按钮"),
                           QStringLiteral("复制日期框"),   QStringLiteral("整天平移按钮"),
                           QStringLiteral("整天平移框"),   QStringLiteral("安排提醒列表"),
                           QStringLiteral("提醒名称框"),   QStringLiteral("提醒起点框"),
                           QStringLiteral("提醒分钟框"),   QStringLiteral("提醒录音框"),
                           QStringLiteral("选择录音按钮"), QStringLiteral("导入时间表按钮"),
                           QStringLiteral("保存安排按钮")});
    expectSpokenNames(plans);
    EXPECT_EQ(spokenName(plans->dateEdit->widget()), QStringLiteral("场次日期"));
    EXPECT_EQ(spokenName(plans->changeButton->widget()), QStringLiteral("修改所选场次"));
    EXPECT_EQ(spokenName(plans->cueAnchorBox->widget()), QStringLiteral("计时起点"));
}

TEST_F(KeyboardAccess, ArrangementWindowTabLeavesTheSummary) {
    QTest::mouseClick(inWindow(&main(), "座位表生成按钮"), Qt::LeftButton);
    SeatingWindow* seating = app->seatingWindow();
    ASSERT_NE(seating, nullptr);
    QTest::mouseClick(inWindow(seating, "考场编排按钮"), Qt::LeftButton);
    auto* arrangement = seating->findChild<ArrangementWindow*>();
    ASSERT_NE(arrangement, nullptr);
    show(arrangement);
    const std::vector<QWidget*> stops = tabStops(arrangement);
    QWidget* summary = arrangement->summary->widget();
    EXPECT_EQ(press(summary, stops, Qt::Key_Backtab), inWindow(arrangement, "按码编排按钮"));
    // The export buttons wait for a draw: Tab goes round to the first box.
    EXPECT_EQ(press(summary, stops), inWindow(arrangement, "年级班级编辑框"));
    expectEveryStopReached(arrangement);
    expectTabOrder(arrangement,
                   {QStringLiteral("年级班级编辑框"),     QStringLiteral("年级分隔符列表"),
                    QStringLiteral("年级名单编辑框"),     QStringLiteral("导入年级班级按钮"),
                    QStringLiteral("年级班级列表"),       QStringLiteral("删除年级班级按钮"),
                    QStringLiteral("考场列表编辑框"),     QStringLiteral("批量考场数编辑"),
                    QStringLiteral("批量排数编辑"),       QStringLiteral("批量列数编辑"),
                    QStringLiteral("批量留空列表"),       QStringLiteral("批量生成考场按钮"),
                    QStringLiteral("编排顺序列表"),       QStringLiteral("同班不相邻复选框"),
                    QStringLiteral("编排考号前缀编辑框"), QStringLiteral("考场位数编辑"),
                    QStringLiteral("座号位数编辑"),       QStringLiteral("编排考试编辑框"),
                    QStringLiteral("开始编排按钮"),       QStringLiteral("编排抽签码编辑"),
                    QStringLiteral("按码编排按钮"),       QStringLiteral("编排结果表格")});
    expectSpokenNames(arrangement);
    EXPECT_EQ(spokenName(inWindow(arrangement, "年级班级列表")),
              QStringLiteral("已导入的年级班级"));
    EXPECT_EQ(spokenName(inWindow(arrangement, "批量排数编辑_up")),
              QStringLiteral("增加批量考场的座位排数"));
    EXPECT_EQ(spokenName(summary), QStringLiteral("编排结果表"));
}

TEST_F(KeyboardAccess, RoomStatusWindow) {
    QTest::mouseClick(inWindow(&main(), "考场时钟按钮"), Qt::LeftButton);
    DisplaySetupWindow* setup = app->displayBinder().setupWindow();
    ASSERT_NE(setup, nullptr);
    QTest::mouseClick(inWindow(setup, "考场状态按钮"), Qt::LeftButton);
    RoomStatusWindow* status = app->displayBinder().rooms().window();
    ASSERT_NE(status, nullptr);
    show(status);
    expectEveryStopReached(status);
    expectTabOrder(status, {QStringLiteral("考场列表"), QStringLiteral("延时组编辑"),
                            QStringLiteral("应用延时组按钮"), QStringLiteral("延时组选择"),
                            QStringLiteral("设定延时组按钮"), QStringLiteral("延时组提醒列表")});
    expectSpokenNames(status);
    EXPECT_EQ(spokenName(status->groupChoice->widget()), QStringLiteral("所选考场的延时组"));
    EXPECT_EQ(spokenName(status->applyGroupsButton->widget()), QStringLiteral("应用延时组"));
}

}  // namespace
}  // namespace exambell::test
