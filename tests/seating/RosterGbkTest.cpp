// Characters GBK cannot hold never reach the class store: refused as they are typed or pasted,
// and refused by the import should one get into the roster box some other way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"
#include "ui/SeatingWindow.h"

namespace exambell {
namespace {

class RosterGbk : public test::AppFixture {
  protected:
    SeatingWindow& openSeating() {
        QTest::mouseClick(main().seatingButton->widget(), Qt::LeftButton);
        return *app->seatingWindow();
    }
    void importClass() {
        QTest::mouseClick(static_cast<QPushButton*>(widget("一键导入按钮")), Qt::LeftButton);
    }
};

TEST_F(RosterGbk, PastedCharacterGbkLacksIsRefusedAndTheStoreStaysAsItWas) {
    writeConfig("[Class_]\r\nStudent=%class%1班,张三\r\n");
    start();
    const std::string before = configBytes();
    SeatingWindow& seating = openSeating();
    seating.rosterEdit->setText(utf8ToGbk("张三,"));
    QPlainTextEdit* roster = seating.rosterEdit->textEdit();
    roster->moveCursor(QTextCursor::End);
    QGuiApplication::clipboard()->setText(QStringLiteral("王䶮"));
    roster->paste();
    EXPECT_EQ(gbkToUtf8(seating.rosterEdit->text()), "张三,");
    EXPECT_TRUE(seating.rosterEdit->lastRefusal().contains(QStringLiteral("䶮")));
    EXPECT_TRUE(seating.rosterEdit->lastRefusal().contains(QStringLiteral("U+4DAE")));
    // A paste GBK can hold goes in whole.
    QGuiApplication::clipboard()->setText(QStringLiteral("王岩"));
    roster->paste();
    EXPECT_EQ(gbkToUtf8(seating.rosterEdit->text()), "张三,王岩");
    EXPECT_EQ(configBytes(), before);
}

TEST_F(RosterGbk, ImportRefusesARosterHoldingACharacterGbkLacksNamingIt) {
    writeConfig("[Class_]\r\nStudent=%class%1班,张三\r\n");
    start();
    const std::string before = configBytes();
    SeatingWindow& seating = openSeating();
    // Past the box's own checks (as assistive technology or a future input path might).
    seating.rosterEdit->textEdit()->setPlainText(QStringLiteral("张三,李\U00020000,Zoë"));
    dialogs.answer(kOk);
    importClass();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.texts()[0],
              "“U+20000”是 GBK 字符集里没有的字，无法保存。请改用其他写法，原有的内容没有改动。");
    EXPECT_EQ(configBytes(), before);
    // The class name is checked too.
    dialogs.clear();
    seating.rosterEdit->setText(utf8ToGbk("张三"));
    seating.classNameEdit->lineEdit()->setText(QStringLiteral("1班ë"));
    importClass();
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_NE(dialogs.texts()[0].find("U+00EB"), std::string::npos);
    EXPECT_EQ(configBytes(), before);
}

}  // namespace
}  // namespace exambell
