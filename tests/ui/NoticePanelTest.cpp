// The notice that stays until dismissed, and the row tones of the report list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "text/Encoding.h"
#include "ui/NoticePanel.h"
#include "ui/ReportList.h"

namespace exambell {
namespace {

TEST(NoticePanel, NewestFirstUntilDismissedAndNeverModal) {
    QWidget window;
    NoticePanel panel(&window, utf8ToGbk("提示"), utf8ToGbk("知道了"));
    window.show();
    EXPECT_FALSE(panel.visible());
    panel.addNotice(utf8ToGbk("第一条"));
    panel.addNotice(utf8ToGbk("第二条"));
    EXPECT_TRUE(panel.visible());
    EXPECT_EQ(gbkToUtf8(panel.text()), "第二条\r\n第一条");
    EXPECT_EQ(panel.widget()->findChild<QLabel*>()->text(), QStringLiteral("第二条\n第一条"));
    // Nothing waits for the operator: no modal window is open.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (int i = 0; i < NoticePanel::kMaxNotices + 5; ++i) {
        panel.addNotice("x");
    }
    EXPECT_EQ(panel.noticeCount(), NoticePanel::kMaxNotices);
    QSignalSpy dismissed(&panel, &NoticePanel::dismissed);
    QTest::mouseClick(panel.dismissButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_FALSE(panel.visible());
    EXPECT_EQ(panel.text(), "");
}

TEST(ReportList, RowTonesColourEveryCell) {
    QWidget window;
    ReportList list(&window, "list", {{"a", 40}, {"b", 40}});
    list.addRow();
    list.setRowTone(0, ReportList::Tone::Alert);
    EXPECT_EQ(list.rowTone(0), ReportList::Tone::Alert);
    list.setRowTone(0, ReportList::Tone::Plain);
    EXPECT_EQ(list.rowTone(0), ReportList::Tone::Plain);
    list.setRowTone(5, ReportList::Tone::Done);  // no such row: ignored
    EXPECT_EQ(list.rowTone(5), ReportList::Tone::Plain);
}

}  // namespace
}  // namespace exambell
