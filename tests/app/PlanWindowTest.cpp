// The plan window driven by its design names from the main window: a plan made, its sittings
// added with the exam rows' checks, an overlap refused naming both, a day copied and moved, the
// plan made current and saved, and today's sittings in the main window's rows. With
// EXAMBELL_SHOTS set, the window is also saved there as a picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>

#include "app/PlanBinder.h"
#include "plans/PlanStore.h"
#include "tests/plans/PlanTestSupport.h"
#include "tests/support/AppFixture.h"
#include "tests/support/TypeText.h"
#include "text/Paths.h"
#include "ui/MainWindow.h"
#include "ui/PlanWindow.h"

namespace exambell::test {
namespace {

// The text of a PDF as pdftotext reads it; the CJK fonts' Kangxi radical forms (至 read as ⾄)
// are taken back.
std::string pdfText(const std::string& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-raw"), QString::fromStdString(pdf), QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return {};
    }
    QString text;
    for (const QChar c : QString::fromUtf8(process.readAllStandardOutput())) {
        const bool radical = c.unicode() >= 0x2F00 && c.unicode() <= 0x2FDF;
        text += radical ? QString(c).normalized(QString::NormalizationForm_KC) : QString(c);
    }
    return text.toStdString();
}

class PlanWindowScenario : public AppFixture {
  protected:
    PlanWindow& open() {
        static_cast<QPushButton*>(widget("考试安排按钮"))->click();
        auto* window = app->planBinder().planWindow();
        EXPECT_NE(window, nullptr);
        EXPECT_EQ(widget("考试安排窗口"), window);
        showActive(*window);
        return *window;
    }
    void click(const std::string& name) { static_cast<QPushButton*>(widget(name))->click(); }
    void fill(const std::string& name, const std::string& text) {
        auto* box = widget(name);
        if (QApplication::activeWindow() != box->window()) {
            box->window()->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(box->window()));
        }
        focusOn(box);
        static_cast<QLineEdit*>(box)->clear();
        type(box, QString::fromStdString(text));
    }
    void sitting(const std::string& date, const std::string& subject, const std::string& start,
                 const std::string& minutes) {
        fill("场次日期框", date);
        fill("场次科目框", subject);
        fill("场次开始框", start);
        fill("场次时长框", minutes);
        click("添加场次按钮");
    }
    std::vector<std::string> rows(PlanWindow& w) {
        std::vector<std::string> out;
        for (int r = 0; r < w.sittingList->rowCount(); ++r) {
            std::string row;
            for (int c = 0; c < 6; ++c) {
                row += (c ? " " : "") + u(w.sittingList->cell(r, c));
            }
            out.push_back(row);
        }
        return out;
    }
    void choose(PlanWindow& w, int row) {
        w.sittingList->tree()->setCurrentItem(w.sittingList->tree()->topLevelItem(row));
    }
};

TEST_F(PlanWindowScenario, APlanMadeInTheWindowFillsTodaysRows) {
    clock.set(2026, 1, 12, 7, 0, 0);
    start();
    MainWindow& m = main();
    // The new button lies in the narrow window and touches no control of the design.
    const QRect button = m.planButton->widget()->geometry();
    EXPECT_LE(button.right(), MainWindow::kNarrowWidth - 1);
    QRect runIdle = m.runButton->widget()->geometry();
    QRect runRunning = runIdle.translated(MainWindow::kRunButtonRunningLeft - runIdle.left(), 0);
    for (const QRect& r :
         {runIdle, runRunning, m.clockLabel->widget()->geometry(),
          m.displayButton->widget()->geometry(), m.countdownLabel->widget()->geometry(),
          m.statusLabel->widget()->geometry(), m.cueGroup->geometry(),
          m.seatingButton->widget()->geometry()}) {
        EXPECT_FALSE(button.intersects(r)) << r.x() << "," << r.y();
    }
    // The notice lies left of the idle run button, where the clock label's text never reaches;
    // it is hidden during a run, when the button rests there.
    EXPECT_FALSE(m.planNotice->widget()->geometry().intersects(runIdle));

    PlanWindow& w = open();
    click("新建安排按钮");
    fill("安排名称框", "期中考试");
    EXPECT_EQ(u(w.planBox->itemText(0)), "期中考试");

    sitting("2026-01-12", "语文", "8:00", "150");
    sitting("2026-01-12", "数学", "14:30", "120");
    sitting("2026-01-13", "英语", "08:00", "120");
    EXPECT_TRUE(dialogs.messages().empty()) << dialogs.texts()[0];
    EXPECT_EQ(rows(w), (std::vector<std::string>{"2026-01-12 星期一 语文 08:00 150分钟 10:30",
                                                 "2026-01-12 星期一 数学 14:30 120分钟 16:30",
                                                 "2026-01-13 星期二 英语 08:00 120分钟 10:00"}));
    // The checks of the exam rows, and an overlap naming both sittings.
    sitting("2026-02-30", "物理", "09:00", "90");
    sitting("2026-01-12", "", "09:00", "90");
    sitting("2026-01-12", "物理", "10:00", "90");
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"日期格式错误", "科目不能为空",
                                        "语文 08:00-10:30 与 物理 10:00-11:30 时间重叠"}));
    dialogs.clear();
    EXPECT_EQ(w.sittingList->rowCount(), 3);

    // The 13th copied to the 14th, then moved half an hour later.
    choose(w, 2);
    EXPECT_EQ(u(w.dateEdit->text()), "2026-01-13");
    fill("复制日期框", "2026-01-14");
    click("复制当天按钮");
    choose(w, 3);
    fill("整天平移框", "30");
    click("整天平移按钮");
    EXPECT_EQ(rows(w).back(), "2026-01-14 星期三 英语 08:30 120分钟 10:30");
    // A sitting changed in place.
    choose(w, 1);
    fill("场次开始框", "15:00");
    click("修改场次按钮");
    EXPECT_EQ(rows(w)[1], "2026-01-12 星期一 数学 15:00 120分钟 17:00");
    EXPECT_TRUE(dialogs.messages().empty());

    // Made current and saved: today's sittings fill the main window's rows.
    static_cast<QAbstractButton*>(widget("当前安排框"))->click();
    click("保存安排按钮");
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"保存成功"}));
    EXPECT_EQ(u(m.examSubject[1]->text()), "语文");
    EXPECT_EQ(u(m.examStart[2]->text()), "15:00");
    EXPECT_EQ(u(m.examEnd[2]->caption()), "结束时间为 17:00");
    EXPECT_FALSE(m.examEnabled[3]->checked());
    EXPECT_EQ(u(m.planNotice->caption()), "已载入考试安排“期中考试” 2026-01-12 星期一 的考试 2 场");
    // config.ini starts out whole: the cue rows were written before the plan.
    EXPECT_NE(configUtf8().find("[music_4]"), std::string::npos);
    EXPECT_NE(configUtf8().find("2026-01-14_1=08:30,120,"), std::string::npos);

    // The week's sheet as a PDF, read back as text.
    dialogs.clear();
    const std::string pdf = (folder.path() / "week.pdf").string();
    dialogs.choose(pdf);
    click("打印安排按钮");
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"已生成一周考试安排：" + pdf}));
    const std::string text = pdfText(pdf);
    for (const char* expected :
         {"期中考试 考试安排", "2026-01-12 至 2026-01-14", "1月13日", "英语", "08:00-10:00", "进场",
          "禁止入场", "可以交卷", "07:30", "08:15", "09:30", "结束前15分"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
    EXPECT_EQ(text.find("讲台"), std::string::npos);
    if (const char* shots = std::getenv("EXAMBELL_SHOTS")) {
        EXPECT_EQ(
            std::system(("pdftoppm -png -r 60 -singlefile '" + pdf + "' '" + shots + "/week-sheet'")
                            .c_str()),
            0);
        w.grab().save(QString::fromUtf8(shots) + QStringLiteral("/plan-window.png"));
        m.grab().save(QString::fromUtf8(shots) + QStringLiteral("/main-window-plan.png"));
    }
    // A save from the main window writes the rows back; the open window shows the change.
    dialogs.clear();
    m.examStart[1]->setText("08:30");
    m.saveButton->button()->click();
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"保存成功"}));
    EXPECT_EQ(rows(w)[0], "2026-01-12 星期一 语文 08:30 150分钟 11:00");
    // Closing with nothing unsaved asks nothing.
    dialogs.clear();
    w.close();
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(app->planBinder().planWindow(), nullptr);
}

TEST_F(PlanWindowScenario, ClosingWithUnsavedEditsAsksAndKeepsThemOnNo) {
    start();
    open();
    click("新建安排按钮");
    sitting("2026-03-02", "数学", "09:00", "120");
    dialogs.answer(kNo);
    app->planBinder().planWindow()->close();
    ASSERT_EQ(dialogs.texts().size(), 1U);
    EXPECT_EQ(dialogs.texts()[0], "考试安排已修改，是否保存？");
    EXPECT_EQ(PlanStore(joinPath(folder.text(), "config.ini")).planCount(), 0);
}

TEST_F(PlanWindowScenario, ATimetableImportedListsTheBadRowsAndKeepsTheGoodOnesOnlyWhenAccepted) {
    clock.set(2026, 1, 12, 7, 0, 0);
    start();
    PlanWindow& w = open();
    const Text bad = Text(EXAMBELL_TEST_DATA) + "/timetable-bad.xlsx";
    dialogs.choose(bad);
    dialogs.answer(kNo);
    click("导入时间表按钮");
    ASSERT_EQ(dialogs.texts().size(), 1U);
    EXPECT_EQ(dialogs.texts()[0].rfind("可以导入 2 场考试。\r\n以下 7 行有问题，不会导入：\r\n"
                                       "第4行：时间格式错误：25:00",
                                       0),
              0U);
    EXPECT_EQ(w.sittingList->rowCount(), 0);
    EXPECT_EQ(PlanStore(joinPath(folder.text(), "config.ini")).planCount(), 0);

    dialogs.clear();
    dialogs.choose(Text(EXAMBELL_TEST_DATA) + "/timetable-clean.xlsx");
    dialogs.answer(kYes);
    click("导入时间表按钮");
    EXPECT_EQ(dialogs.texts().back(), "已导入 7 场考试");
    EXPECT_EQ(w.sittingList->rowCount(), 7);
    EXPECT_EQ(u(w.planBox->itemText(0)), "timetable-clean");
    const PlanStore store(joinPath(folder.text(), "config.ini"));
    EXPECT_EQ(store.load(1).sittings.size(), 7U);
}

}  // namespace
}  // namespace exambell::test
