// The control wrappers as the operator meets them: typing limits and digits-only boxes, the
// up-down arrows, content-changed events, the sorted combo boxes, the drop target, the lists,
// the pictures and the initial state of the windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "tests/support/TypeText.h"
#include "text/Encoding.h"
#include "ui/ImportWindow.h"
#include "ui/MainWindow.h"
#include "ui/Pictures.h"
#include "ui/SeatingWindow.h"

namespace exambell {
namespace {

std::string utf8(const Text& gbk) {
    return gbkToUtf8(gbk);
}

void type(QWidget* target, const QString& text) {
    test::typeText(target, text);
}

using test::showActive;

TEST(EditBoxTyping, ExamBoxesStopAtFiveBytes) {
    MainWindow w;
    showActive(w);
    EditBox* subject = w.examSubject[1];
    subject->setText("");
    type(subject->lineEdit(), QStringLiteral("网页设计"));
    EXPECT_EQ(utf8(subject->text()), "网页");
    type(subject->lineEdit(), QStringLiteral("ab"));
    EXPECT_EQ(utf8(subject->text()), "网页a");
    // Texts the program sets are not limited.
    w.examSubject[3]->setText(utf8ToGbk("网页设计"));
    EXPECT_EQ(utf8(w.examSubject[3]->text()), "网页设计");
    EXPECT_EQ(w.examSubject[3]->lineEdit()->text(), QStringLiteral("网页设计"));
    // A selection is replaced, so it frees its bytes.
    EditBox* start = w.examStart[1];
    start->lineEdit()->selectAll();
    type(start->lineEdit(), QStringLiteral("10:451"));
    EXPECT_EQ(start->text(), "10:45");
}

TEST(EditBoxTyping, DurationTakesDigitsAndMinusOnly) {
    MainWindow w;
    showActive(w);
    EditBox* duration = w.examDuration[2];
    duration->setText("");
    type(duration->lineEdit(), QStringLiteral("a1-b2分c"));
    EXPECT_EQ(duration->text(), "1-2");
    QTest::keyClick(duration->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(duration->text(), "1-");
    // The subject box takes anything.
    w.examSubject[2]->setText("");
    type(w.examSubject[2]->lineEdit(), QStringLiteral("a-1"));
    EXPECT_EQ(w.examSubject[2]->text(), "a-1");
}

TEST(EditBoxEvents, ContentChangedOnTypingAndArrowsOnly) {
    SeatingWindow w(nullptr);
    showActive(w);
    QSignalSpy changed(w.rowsEdit, &EditBox::contentChanged);
    w.rowsEdit->setText("12");
    EXPECT_EQ(changed.count(), 0);
    QTest::keyClick(w.rowsEdit->lineEdit(), Qt::Key_End);  // a set text leaves the cursor at 0
    type(w.rowsEdit->lineEdit(), QStringLiteral("3"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(w.rowsEdit->text(), "123");
    type(w.rowsEdit->lineEdit(), QStringLiteral("x"));  // digits only: ignored, no event
    EXPECT_EQ(changed.count(), 1);
    auto* up = w.findChild<QToolButton*>(QStringLiteral("横排编辑_up"));
    ASSERT_NE(up, nullptr);
    w.rowsEdit->setText("7");
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(w.rowsEdit->text(), "8");
    EXPECT_EQ(changed.count(), 2);
    EXPECT_TRUE(w.rowsEdit->hasFocus());
    EXPECT_EQ(w.rowsEdit->lineEdit()->selectedText(), QStringLiteral("8"));
}

TEST(EditBoxEvents, UpDownWrapsAtTheRangeEnds) {
    SeatingWindow w(nullptr);
    w.rowsEdit->setText("99");
    w.rowsEdit->stepUp();
    EXPECT_EQ(w.rowsEdit->text(), "1");
    w.rowsEdit->stepDown();
    EXPECT_EQ(w.rowsEdit->text(), "99");
    w.countEdit->setText("abc");  // not a number: counts as 0, one below the minimum
    w.countEdit->stepDown();
    EXPECT_EQ(w.countEdit->text(), "999");
    auto* down = w.findChild<QToolButton*>(QStringLiteral("竖列编辑_down"));
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(down->width(), 18);
    EXPECT_EQ(down->x(), w.columnsEdit->left() + w.columnsEdit->width());
}

TEST(EditBoxEvents, FocusLossIsReported) {
    MainWindow w;
    showActive(w);
    QSignalSpy lost(w.examStart[1], &EditBox::focusLost);
    w.examStart[1]->setFocus();
    w.examDuration[1]->setFocus();
    EXPECT_EQ(lost.count(), 1);
}

TEST(MultiLineBox, LineBreaksCrossAsCrLf) {
    SeatingWindow w(nullptr);
    w.rosterEdit->setText(utf8ToGbk("张三\r\n李四"));
    EXPECT_EQ(w.rosterEdit->textEdit()->toPlainText(), QStringLiteral("张三\n李四"));
    w.rosterEdit->textEdit()->setPlainText(QStringLiteral("甲\n乙\n"));
    EXPECT_EQ(utf8(w.rosterEdit->text()), "甲\r\n乙\r\n");
}

TEST(SeatingDesign, FreshWindowState) {
    SeatingWindow w(nullptr);
    EXPECT_TRUE(w.exportButton->disabled());
    EXPECT_EQ(w.classBox->currentIndex(), -1);
    EXPECT_EQ(w.classBox->text(), "");
    ASSERT_EQ(w.classBox->count(), 1);
    EXPECT_EQ(utf8(w.classBox->itemText(0)), "通用班级");
    EXPECT_EQ(w.classBox->itemValue(0), 0);
    EXPECT_EQ(w.rowsEdit->text(), "8");
    EXPECT_EQ(w.columnsEdit->text(), "6");
    EXPECT_EQ(w.countEdit->text(), "42");
    EXPECT_EQ(w.separatorBox->text(), ",");
    EXPECT_EQ(w.separatorBox->count(), 5);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("座位表生成"));
    EXPECT_EQ(w.width(), 928);
}

TEST(ComboBoxes, SortedInPinyinOrderKeepingValues) {
    SeatingWindow w(nullptr);
    ComboBox* box = w.classBox;
    box->clear();
    EXPECT_EQ(box->count(), 0);
    box->addItem(utf8ToGbk("张班"), 2);
    box->addItem(utf8ToGbk("阿班"), 5);
    box->addItem(utf8ToGbk("李班"), 3);
    EXPECT_EQ(box->currentIndex(), -1);  // adding chooses nothing
    EXPECT_EQ(utf8(box->itemText(0)), "阿班");
    EXPECT_EQ(utf8(box->itemText(1)), "李班");
    EXPECT_EQ(utf8(box->itemText(2)), "张班");
    EXPECT_EQ(box->itemValue(2), 2);
    EXPECT_EQ(box->currentValue(), 0);
    QSignalSpy dropping(box, &ComboBox::aboutToDropDown);
    QSignalSpy chosen(box, &ComboBox::itemChosen);
    box->comboBox()->showPopup();
    EXPECT_EQ(dropping.count(), 1);
    box->comboBox()->hidePopup();
    box->setCurrentIndex(1);
    EXPECT_EQ(chosen.count(), 0);  // only the user's choice raises it
    EXPECT_EQ(box->currentValue(), 3);
}

TEST(DroppedFiles, SeveralFilesEachEndWithCrLf) {
    ImportWindow w(nullptr);
    w.dropTarget->registerWindow(&w);
    showActive(w);
    QSignalSpy dropped(w.dropTarget, &DropTarget::filesDropped);
    auto drop = [&](const QList<QUrl>& urls, QWidget* onto) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = onto->mapTo(&w, onto->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &event);
    };
    drop({QUrl::fromLocalFile(QStringLiteral("/tmp/a/config.ini")),
          QUrl::fromLocalFile(QStringLiteral("/tmp/考试/b.ini")),
          QUrl::fromLocalFile(QStringLiteral("/tmp/c"))},
         &w);
    drop({QUrl::fromLocalFile(QStringLiteral("/tmp/x/config.ini"))}, w.pathEdit->widget());
    ASSERT_EQ(dropped.count(), 2);
    EXPECT_EQ(utf8(dropped[0][0].value<Text>()),
              "/tmp/a/config.ini\r\n/tmp/考试/b.ini\r\n/tmp/c\r\n");
    EXPECT_EQ(utf8(dropped[1][0].value<Text>()), "/tmp/x/config.ini");
    EXPECT_FALSE(w.pathEdit->widget()->acceptDrops());
}

TEST(Lists, ReportListAndGridCells) {
    MainWindow w;
    ReportList* list = w.reminderList;
    EXPECT_EQ(list->columnCount(), 6);  // the design's five and the run's marks
    const int row = list->addRow();
    list->setCell(row, 1, utf8ToGbk("数学"));
    list->setCell(row, 9, "x");
    EXPECT_EQ(utf8(list->cell(0, 1)), "数学");
    EXPECT_EQ(list->cell(3, 1), "");
    list->deleteAllRows();
    EXPECT_EQ(list->rowCount(), 0);

    SeatingWindow s(nullptr);
    Grid* grid = s.grid;
    grid->setColumnCount(7);
    grid->setRowCount(10);
    grid->setCell(9, 6, "42");
    grid->setCell(10, 0, "out");
    EXPECT_EQ(grid->cell(9, 6), "42");
    EXPECT_EQ(grid->cell(10, 0), "");
    grid->setRowCount(-3);
    EXPECT_EQ(grid->rowCount(), 0);
    grid->setRowCount(10);
    EXPECT_EQ(grid->cell(9, 6), "");
    grid->setCell(1, 1, "a");
    grid->reset();
    EXPECT_EQ(grid->cell(1, 1), "");
}

TEST(Pictures, ShippedPicturesDecodeAndBrokenOnesAreNull) {
    const QImage run = decodePng(EXAMBELL_PICTURES "/run.png");
    EXPECT_EQ(run.size(), QSize(64, 64));
    EXPECT_EQ(decodePng(EXAMBELL_PICTURES "/pause.png").size(), QSize(64, 64));
    const QImage card = decodeJpeg(EXAMBELL_PICTURES "/card.jpg");
    EXPECT_EQ(card.size(), QSize(200, 248));
    EXPECT_TRUE(decodePng(EXAMBELL_PICTURES "/card.jpg").isNull());
    EXPECT_TRUE(decodeJpeg(EXAMBELL_PICTURES "/run.png").isNull());
    EXPECT_TRUE(decodeJpeg("/nonexistent/card.jpg").isNull());
}

TEST(MainDesign, LayoutAndInitialTexts) {
    MainWindow w;
    EXPECT_EQ(w.width(), 932);
    EXPECT_EQ(w.height(), 531);
    EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("考铃 ExamBell 2.0 ")));
    EXPECT_EQ(w.runButton->left(), 192);
    EXPECT_EQ(w.runButton->width(), 64);
    EXPECT_EQ(utf8(w.runButton->tooltip()), "开始运行");
    EXPECT_EQ(utf8(w.cueEnabled[4]->caption()), "开考");
    EXPECT_EQ(utf8(w.examSubject[3]->text()), "网页设计");
    EXPECT_EQ(utf8(w.examStart[4]->text()), "18:00");
    EXPECT_EQ(utf8(w.cuePath[1]->text()), "音频文件路径src://");
    EXPECT_EQ(w.examEnabled[1]->widget()->objectName(), QStringLiteral("科目1"));
    EXPECT_FALSE(w.clockLabel->visible());
    EXPECT_FALSE(w.picture->visible());
    EXPECT_TRUE(w.examEnd[1]->visible());
    w.setWindowWidth(456);
    EXPECT_EQ(w.width(), 456);
}

}  // namespace
}  // namespace exambell
