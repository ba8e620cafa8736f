// The exam rows' focus-loss checks on the real main window (offscreen): type, leave the box by
// Tab, by a click or by switching windows, and look at the text, the messages and the focus.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "app/MainWindowBinder.h"
#include "schedule/ExamFieldChecks.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowAdapter.h"
#include "ui/QtText.h"

namespace exambell {
namespace {

// Message boxes that record their texts. Like a real modal box, each one takes the activation
// (and so the keyboard focus) away from the main window while it is open and gives it back
// when it closes.
class ModalRecordingDialogs : public Dialogs {
  public:
    int message(const Text& text, MessageButtons, MessageIcon, const DialogOwner* ownerWindow,
                const Text& caption) override {
        texts.push_back(gbkToUtf8(text));
        captions.push_back(gbkToUtf8(caption));
        QWidget* owner = const_cast<QWidget*>(dynamic_cast<const QWidget*>(ownerWindow));
        QDialog box(owner);
        box.setModal(true);
        box.show();
        box.activateWindow();
        // Wait for the activation itself: qWaitForWindowActive also accepts a dialog that only
        // shares its owner's activation.
        activated =
            QTest::qWaitFor([&] { return QApplication::activeWindow() == &box; }) && activated;
        box.hide();
        if (owner != nullptr) {
            owner->activateWindow();
            activated =
                QTest::qWaitFor([&] { return QApplication::activeWindow() == owner; }) && activated;
        }
        return kOk;
    }
    std::optional<Text> openFile(const Text&, const Text&, const Text&,
                                 const DialogOwner*) override {
        return std::nullopt;
    }

    std::vector<std::string> texts;
    std::vector<std::string> captions;
    bool activated = true;
};

class ExamFieldChecksTest : public testing::Test {
  protected:
    void SetUp() override {
        main_.show();
        main_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main_));
    }

    QLineEdit* box(const char* designName) {
        auto* edit = main_.findChild<QLineEdit*>(QString::fromUtf8(designName));
        EXPECT_NE(edit, nullptr) << designName;
        return edit;
    }
    std::string text(const char* designName) { return box(designName)->text().toStdString(); }
    // Gives the box the focus by a click, replaces its text by typing and leaves it by Tab.
    void type(const char* designName, const char* typed) {
        QLineEdit* edit = box(designName);
        QTest::mouseClick(edit, Qt::LeftButton);
        ASSERT_TRUE(edit->hasFocus());
        edit->selectAll();
        if (*typed == '\0') {
            QTest::keyClick(edit, Qt::Key_Backspace);
        } else {
            QTest::keyClicks(edit, QString::fromUtf8(typed));
        }
    }
    void tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
    void clickInto(const char* designName) { QTest::mouseClick(box(designName), Qt::LeftButton); }
    std::string focused() {
        QWidget* widget = QApplication::focusWidget();
        return widget != nullptr ? widget->objectName().toStdString() : std::string();
    }
    void setText(const char* designName, const char* utf8) {
        box(designName)->setText(QString::fromUtf8(utf8));
    }

    MainWindow main_;
    MainWindowAdapter rows_{main_};
    ModalRecordingDialogs dialogs_;
    ExamFieldChecks checks_{rows_, dialogs_};
    QObject bindings_;
    bool bound_ = (MainWindowBinder::bindExamFields(main_, checks_, bindings_), true);
};

using Texts = std::vector<std::string>;

TEST_F(ExamFieldChecksTest, StartTimeIsNormalisedWhenLeftByTabOrClick) {
    type("科目1时间", "9:5");
    tab();
    EXPECT_EQ(text("科目1时间"), "09:05");
    EXPECT_EQ(focused(), "科目1时长");

    type("科目2时间", "25:10");
    clickInto("科目3科目");
    EXPECT_EQ(text("科目2时间"), "23:59");
    EXPECT_EQ(focused(), "科目3科目");

    // Unedited, the box is still checked: the design's text stays as it is.
    clickInto("科目4时间");
    clickInto("科目4科目");
    EXPECT_EQ(text("科目4时间"), "18:00");
    EXPECT_EQ(dialogs_.texts, Texts{});
}

TEST_F(ExamFieldChecksTest, StartTimeWithoutColonIsRefusedAndTheFocusMovesOn) {
    type("科目1时间", "930");
    tab();
    EXPECT_EQ(dialogs_.texts, Texts{"时间格式错误"});
    EXPECT_EQ(dialogs_.captions, Texts{"信息："});
    EXPECT_EQ(text("科目1时间"), "930");
    EXPECT_EQ(focused(), "科目1时长");
    EXPECT_TRUE(dialogs_.activated);
}

TEST_F(ExamFieldChecksTest, PastedFullWidthColonIsReplaced) {
    clickInto("科目3时间");
    setText("科目3时间", "9：30：15");
    tab();
    EXPECT_EQ(text("科目3时间"), "09:30");
}

TEST_F(ExamFieldChecksTest, DurationIsNormalised) {
    type("科目1时长", "090");
    tab();
    EXPECT_EQ(text("科目1时长"), "90分钟");
    type("科目2时长", "1500");
    clickInto("科目1科目");
    EXPECT_EQ(text("科目2时长"), "999分钟");
    type("科目3时长", "-45");
    tab();
    EXPECT_EQ(text("科目3时长"), "45分钟");
    // Pasted full-width digits.
    clickInto("科目4时长");
    setText("科目4时长", "１２０");
    tab();
    EXPECT_EQ(text("科目4时长"), "120分钟");
    EXPECT_EQ(dialogs_.texts, Texts{});
}

TEST_F(ExamFieldChecksTest, ZeroDurationIsRefusedAndTakesTheFocusBack) {
    for (const char* typed : {"", "0", "-0"}) {
        dialogs_.texts.clear();
        type("科目2时长", typed);
        tab();
        EXPECT_EQ(dialogs_.texts, Texts{"时长不能为0或空值，请重新输入"}) << typed;
        EXPECT_EQ(text("科目2时长"), typed);
        EXPECT_EQ(focused(), "科目2时长");
    }
    dialogs_.texts.clear();
    setText("科目2时长", "分钟");
    clickInto("科目1时间");
    EXPECT_EQ(dialogs_.texts, Texts{"时长不能为0或空值，请重新输入"});
    EXPECT_EQ(focused(), "科目2时长");
}

TEST_F(ExamFieldChecksTest, EmptySubjectIsRefusedAndTakesTheFocusBack) {
    type("科目2科目", " ");
    tab();
    EXPECT_EQ(dialogs_.texts, Texts{});
    EXPECT_EQ(text("科目2科目"), " ");

    type("科目1科目", "");
    tab();
    EXPECT_EQ(dialogs_.texts, Texts{"科目不能为空"});
    EXPECT_EQ(focused(), "科目1科目");
    // Until it has a subject, every attempt to leave the box is refused.
    clickInto("科目4时长");
    EXPECT_EQ(dialogs_.texts, (Texts{"科目不能为空", "科目不能为空"}));
    EXPECT_EQ(focused(), "科目1科目");
    QTest::keyClicks(box("科目1科目"), QStringLiteral("Art"));
    clickInto("科目4时长");
    EXPECT_EQ(focused(), "科目4时长");
    EXPECT_EQ(dialogs_.texts.size(), 2u);
}

TEST_F(ExamFieldChecksTest, SwitchingToAnotherWindowRunsTheCheck) {
    type("科目1时间", "8:");
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(text("科目1时间"), "08:00");
}

TEST_F(ExamFieldChecksTest, OneMessageForOneFocusLoss) {
    // The box the focus moves into would be refused too; the message box takes the focus from
    // it while it is open, and that is not the operator leaving it.
    setText("科目2时间", "abc");
    type("科目1时间", "930");
    clickInto("科目2时间");
    EXPECT_EQ(dialogs_.texts, Texts{"时间格式错误"});
    EXPECT_EQ(focused(), "科目2时间");
    // Leaving it later is.
    clickInto("科目2科目");
    EXPECT_EQ(dialogs_.texts, (Texts{"时间格式错误", "时间格式错误"}));

    // A refused duration takes the focus back from an empty subject box: no second message,
    // and the focus does not bounce between the two.
    dialogs_.texts.clear();
    setText("科目3科目", "");
    type("科目3时长", "0");
    clickInto("科目3科目");
    EXPECT_EQ(dialogs_.texts, Texts{"时长不能为0或空值，请重新输入"});
    EXPECT_EQ(focused(), "科目3时长");
    EXPECT_TRUE(dialogs_.activated);
}

}  // namespace
}  // namespace exambell
