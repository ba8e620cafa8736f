// What a Chinese office worker sees and types: input-method commits that keep what fits,
// characters GBK cannot hold refused where they come in, path boxes showing the file name,
// checked cue buttons that look pressed, a Tab order that follows the eye, and a reminder list
// whose columns fit.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include "tests/support/TypeText.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"
#include "ui/SeatingWindow.h"

namespace exambell {
namespace {

std::string utf8(const Text& gbk) {
    return gbkToUtf8(gbk);
}

void commit(QWidget* target, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}

using test::showActive;

TEST(InputMethod, CommitKeepsTheWholeCharactersThatFit) {
    MainWindow w;
    showActive(w);
    EditBox* subject = w.examSubject[1];
    QLineEdit* line = subject->lineEdit();
    subject->setText("");
    commit(line, QStringLiteral("网页设计"));
    EXPECT_EQ(utf8(subject->text()), "网页");
    subject->setText("");
    commit(line, QStringLiteral("A网页"));
    EXPECT_EQ(utf8(subject->text()), "A网页");
    // One byte left: a Chinese character does not fit, an ASCII letter does.
    subject->setText(utf8ToGbk("网页"));
    line->end(false);
    commit(line, QStringLiteral("设a"));
    EXPECT_EQ(utf8(subject->text()), "网页");
    commit(line, QStringLiteral("a设"));
    EXPECT_EQ(utf8(subject->text()), "网页a");
    // A character outside the basic plane that GBK lacks is refused whole, never half of it.
    subject->setText("abc");
    line->end(false);
    commit(line, QStringLiteral("\U0001F600"));
    EXPECT_EQ(subject->text(), "abc");
}

TEST(NonGbk, RefusedAtTheKeyboardAndInCommitsWithATooltipNamingIt) {
    MainWindow w;
    showActive(w);
    EditBox* subject = w.examSubject[2];
    subject->setText("");
    commit(subject->lineEdit(), QStringLiteral("䶮"));
    EXPECT_EQ(subject->text(), "");
    EXPECT_EQ(subject->lastRefusal(), QStringLiteral("“䶮”（U+4DAE）不在 GBK 字符集中，无法输入"));
    commit(subject->lineEdit(), QStringLiteral("王\U00020000"));  // the whole commit is refused
    EXPECT_EQ(subject->text(), "");
    EXPECT_TRUE(subject->lastRefusal().contains(QStringLiteral("U+20000")));
    QTest::sendKeyEvent(QTest::Click, subject->lineEdit(), Qt::Key_unknown, QStringLiteral("ë"),
                        Qt::NoModifier);
    EXPECT_EQ(subject->text(), "");
    EXPECT_TRUE(subject->lastRefusal().contains(QStringLiteral("ë")));
    // GBK's own accented letters are welcome.
    QTest::sendKeyEvent(QTest::Click, subject->lineEdit(), Qt::Key_unknown, QStringLiteral("é"),
                        Qt::NoModifier);
    EXPECT_EQ(utf8(subject->text()), "é");
}

TEST(NonGbk, PastesAreRefusedWholeInSingleAndMultiLineBoxes) {
    SeatingWindow w(nullptr);
    showActive(w);
    QLineEdit* name = w.classNameEdit->lineEdit();
    w.classNameEdit->setText(utf8ToGbk("1班"));
    name->end(false);
    QGuiApplication::clipboard()->setText(QStringLiteral("Zoë"));
    name->paste();
    EXPECT_EQ(utf8(w.classNameEdit->text()), "1班");
    EXPECT_TRUE(w.classNameEdit->lastRefusal().contains(QStringLiteral("ë")));
    QGuiApplication::clipboard()->setText(QStringLiteral("甲"));
    name->paste();
    EXPECT_EQ(utf8(w.classNameEdit->text()), "1班甲");

    QPlainTextEdit* roster = w.rosterEdit->textEdit();
    w.rosterEdit->setText("a");
    roster->moveCursor(QTextCursor::End);
    QGuiApplication::clipboard()->setText(QStringLiteral(",\U00020000"));
    roster->paste();
    EXPECT_EQ(w.rosterEdit->text(), "a");
    EXPECT_EQ(w.rosterEdit->nonGbkCharacter(), std::nullopt);
}

TEST(NonGbk, TextsTheProgramSetStayEditable) {
    MainWindow w;
    showActive(w);
    EditBox* subject = w.examSubject[1];
    // Bytes that are no GBK show as U+FFFD but come back unchanged, and typing beside them works.
    subject->setText("\x81");
    EXPECT_EQ(subject->nonGbkCharacter(), std::nullopt);
    subject->lineEdit()->end(false);
    QTest::keyClick(subject->lineEdit(), 'a');
    EXPECT_EQ(subject->lineEdit()->text(), QStringLiteral("\uFFFDa"));
    // Once edited, the save check reports what the conversion would lose.
    EXPECT_EQ(subject->nonGbkCharacter(), U'\uFFFD');
}

TEST(VisibleStates, PathBoxShowsTheFileNameAndTheWholePathAsTooltip) {
    MainWindow w;
    showActive(w);
    const Text path = utf8ToGbk("/home/教务处/一个很长的文件夹名字/考试提醒/语音文件库/04开考.mp3");
    w.cuePath[4]->setText(path);
    QLineEdit* line = w.cuePath[4]->lineEdit();
    EXPECT_EQ(line->cursorPosition(), line->text().size());
    EXPECT_EQ(line->toolTip(), QString::fromUtf8(gbkToUtf8(path)));
    // What shows is the end: the file name's last character lies inside the box (the box
    // scrolls as it paints).
    line->grab();
    EXPECT_LE(line->inputMethodQuery(Qt::ImCursorRectangle).toRect().right(), line->width());
    EXPECT_EQ(w.cuePath[4]->text(), path);
    // Subject boxes still show their beginning.
    EXPECT_EQ(w.examSubject[3]->lineEdit()->cursorPosition(), 0);
}

TEST(VisibleStates, CheckedCueButtonLooksPressedAndGreenAndSaysSo) {
    MainWindow w;
    showActive(w);
    QAbstractButton* on = w.cueEnabled[4]->button();
    QAbstractButton* off = w.cueEnabled[3]->button();
    w.cueEnabled[4]->setChecked(true);
    const QImage onImage = on->grab().toImage();
    const QImage offImage = off->grab().toImage();
    const QColor onColour = onImage.pixelColor(6, onImage.height() / 2);
    const QColor offColour = offImage.pixelColor(6, offImage.height() / 2);
    EXPECT_GT(onColour.green(), onColour.red() + 40);
    EXPECT_LT(onColour.lightness(), 140);
    EXPECT_GT(offColour.lightness(), 200);
    EXPECT_LT(std::abs(offColour.green() - offColour.red()), 10);
    EXPECT_EQ(on->accessibleDescription(), QStringLiteral("已选中"));
    EXPECT_EQ(off->accessibleDescription(), QStringLiteral("未选中"));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(on);
    ASSERT_NE(accessible, nullptr);
    EXPECT_TRUE(accessible->state().checked);
    w.cueEnabled[4]->setChecked(false);
    EXPECT_EQ(on->accessibleDescription(), QStringLiteral("未选中"));
}

TEST(VisibleStates, TabFollowsTheEyeAndSkipsHiddenControls) {
    MainWindow w;
    w.setWindowWidth(MainWindow::kNarrowWidth);
    showActive(w);
    w.examStart[3]->setVisible(false);
    w.examDuration[3]->setVisible(false);
    w.tipAuthor->widget()->setFocus(Qt::TabFocusReason);
    QStringList visited;
    for (int i = 0; i < 80; ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        if (!visited.isEmpty() && focused == w.tipAuthor->widget()) {
            break;
        }
        visited << focused->objectName();
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    QStringList expected{QStringLiteral("打赏作者")};
    for (int n = 1; n <= kExamCount; ++n) {
        const QString k = QString::number(n);
        expected << u"科目" + k << u"科目" + k + u"科目";
        if (n != 3) {
            expected << u"科目" + k + u"时间" << u"科目" + k + u"时长";
        }
    }
    for (int n = 1; n <= kCueCount; ++n) {
        const QString k = QString::number(n);
        expected << u"提醒" + k << u"提醒路径" + k << u"修改" + k << u"试听" + k;
    }
    expected << QStringLiteral("保存设置按钮") << QStringLiteral("导出设置按钮")
             << QStringLiteral("停止播放按钮") << QStringLiteral("下载语音按钮")
             << QStringLiteral("座位表生成按钮") << QStringLiteral("开始运行按钮")
             << QStringLiteral("考试安排按钮") << QStringLiteral("考场时钟按钮");
    EXPECT_EQ(visited, expected);
    // Wide (a run): the reminder list is inside the window and takes its Tab stop again.
    w.setWindowWidth(MainWindow::kWideWidth);
    EXPECT_NE(w.reminderList->widget()->focusPolicy(), Qt::NoFocus);
    w.setWindowWidth(MainWindow::kNarrowWidth);
    EXPECT_EQ(w.reminderList->widget()->focusPolicy(), Qt::NoFocus);
}

TEST(VisibleStates, TabLeavesTheRosterBox) {
    SeatingWindow w(nullptr);
    showActive(w);
    w.rosterEdit->setText("a");
    w.rosterEdit->widget()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.rosterEdit->widget(), Qt::Key_Tab);
    EXPECT_EQ(w.rosterEdit->text(), "a");
    EXPECT_FALSE(w.rosterEdit->hasFocus());
}

TEST(VisibleStates, ReminderListColumnsFitWithoutASidewaysScrollBar) {
    MainWindow w;
    showActive(w);
    ReportList* list = w.reminderList;
    for (int i = 1; i <= 40; ++i) {
        const int row = list->addRow();
        list->setCell(row, 0, toText(i));
        list->setCell(row, 1, utf8ToGbk("网页设计"));
        list->setCell(row, 2, "10:45:00");
        list->setCell(row, 3, utf8ToGbk("结束前15分钟"));
        list->setCell(row, 4, utf8ToGbk("05结束前15分钟.mp3"));
    }
    // The fit follows the rows and then the vertical scroll bar's arrival, each through posted
    // events: let them all run.
    QTreeWidget* tree = list->tree();
    for (int pass = 0; pass < 50; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(tree->verticalScrollBar()->isVisible());
    EXPECT_FALSE(tree->horizontalScrollBar()->isVisible());
    int total = 0;
    for (int c = 0; c < list->columnCount(); ++c) {
        total += tree->columnWidth(c);
        EXPECT_GE(tree->columnWidth(c), tree->header()->sectionSizeHint(c)) << c;
    }
    EXPECT_LE(total, tree->viewport()->width());
    // The bell file's name is whole.
    EXPECT_GE(tree->columnWidth(4),
              tree->fontMetrics().horizontalAdvance(QStringLiteral("05结束前15分钟.mp3")));
    EXPECT_EQ(tree->topLevelItem(0)->toolTip(4), QStringLiteral("05结束前15分钟.mp3"));
}

}  // namespace
}  // namespace exambell
