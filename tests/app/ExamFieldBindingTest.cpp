// The exam rows' focus-loss checks are bound in the running program.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "tests/support/AppFixture.h"

namespace exambell::test {
namespace {

class ExamFieldBinding : public AppFixture {
  protected:
    void SetUp() override { start(); }
    std::string text(const char* name) {
        return static_cast<QLineEdit*>(widget(name))->text().toStdString();
    }
    void replace(const char* name, const char* typed) {
        focusOn(widget(name));
        static_cast<QLineEdit*>(widget(name))->selectAll();
        type(widget(name), QString::fromUtf8(typed));
        QTest::keyClick(widget(name), Qt::Key_Tab);
    }
};

// A first run shows the start and duration boxes of exams 1 and 2 only.
TEST_F(ExamFieldBinding, TheShownRowsBoxesAreChecked) {
    replace("科目1时间", "9:5");
    EXPECT_EQ(text("科目1时间"), "09:05");
    replace("科目1时长", "1500");
    EXPECT_EQ(text("科目1时长"), "999分钟");
    replace("科目2时长", "0");
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"时长不能为0或空值，请重新输入"});
    EXPECT_EQ(QApplication::focusWidget(), widget("科目2时长"));
}

}  // namespace
}  // namespace exambell::test
