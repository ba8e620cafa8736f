// The seating-chart window as the program opens it from the main window.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"
#include "ui/SeatingWindow.h"

namespace exambell {
namespace {

class SeatingApp : public test::AppFixture {
  protected:
    SeatingWindow& openSeating() {
        QTest::mouseClick(main().seatingButton->widget(), Qt::LeftButton);
        SeatingWindow* seating = app->seatingWindow();
        EXPECT_NE(seating, nullptr);
        return *seating;
    }
    void click(const std::string& button) {
        QTest::mouseClick(static_cast<QPushButton*>(widget(button)), Qt::LeftButton);
    }
};

TEST_F(SeatingApp, FirstClassWritesTheCueSettingsToo) {
    makeDefaultRecordings();
    start();
    SeatingWindow& seating = openSeating();
    EXPECT_EQ(seating.grid->rowCount(), 9);  // sized from the fields as the window opened
    EXPECT_EQ(seating.grid->columnCount(), 7);
    seating.classNameEdit->setText(utf8ToGbk("18软件5班"));
    seating.rosterEdit->setText(utf8ToGbk("张三,李四"));
    dialogs.answer(kOk);
    click("一键导入按钮");
    ASSERT_FALSE(dialogs.texts().empty());
    EXPECT_EQ(dialogs.texts().front(), "请确认班级信息\r\n班级：18软件5班\r\n人数：2");
    EXPECT_EQ(dialogs.texts().back(), "保存成功");
    const std::string config = configUtf8();
    EXPECT_NE(config.find("[music_1]"), std::string::npos);
    EXPECT_NE(config.find("[Class_]\r\nStudent=%class%18软件5班,张三,李四\r\n"), std::string::npos);
}

TEST_F(SeatingApp, ExportTitleCarriesTodaysDate) {
    start();
    SeatingWindow& seating = openSeating();
    click("生成座位按钮");
    EXPECT_EQ(seating.grid->rowCount(), 10);
    click("导出Excel按钮");
    EXPECT_EQ(spreadsheet.caption, utf8ToGbk("202612_考试座位表"));  // the fake clock's 2 Jan 2026
    EXPECT_EQ(spreadsheet.addresses.size(), 70u);
    EXPECT_TRUE(dialogs.texts().empty());
}

}  // namespace
}  // namespace exambell
