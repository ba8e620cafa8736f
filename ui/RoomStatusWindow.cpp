#include "ui/RoomStatusWindow.h"

#include <QLabel>

#include "ui/AccessibleNames.h"
#include "ui/QtText.h"

namespace exambell {
namespace {

constexpr const char* kWindowName = "考场状态窗口";
constexpr const char* kTitle = "考场状态";
constexpr const char* kGroupsCaption = "延时组";
constexpr const char* kApplyCaption = "应用";
constexpr const char* kAssignCaption = "设为所选考场的延时组";

}  // namespace

RoomStatusWindow::RoomStatusWindow(QWidget* owner)
    : Window(owner, gbk(kWindowName), gbk(kTitle), 860, 520) {
    summaryLabel = new TransparentLabel(this, gbk("考场概况标签"), Text());
    summaryLabel->setGeometry(12, 8, 836, 22);
    roomList = new ReportList(this, gbk("考场列表"),
                              {{gbk("考场"), 90},
                               {gbk("地址"), 110},
                               {gbk("最后联系"), 80},
                               {gbk("时钟偏差(毫秒)"), 100},
                               {gbk("往返(毫秒)"), 80},
                               {gbk("声音"), 70},
                               {gbk("延时组"), 90},
                               {gbk("最近提醒"), 150}});
    roomList->setGeometry(12, 32, 836, 250);

    auto* groupsCaption = new TransparentLabel(this, gbk("透明标签1"), gbk(kGroupsCaption));
    groupsCaption->setGeometry(12, 294, 50, 24);
    groupsEdit = new EditBox(this, gbk("延时组编辑"), Text());
    groupsEdit->setGeometry(64, 292, 440, 26);
    applyGroupsButton = new Button(this, gbk("应用延时组按钮"), gbk(kApplyCaption));
    applyGroupsButton->setGeometry(512, 291, 70, 28);

    groupChoice = new ComboBox(this, gbk("延时组选择"), ComboBox::Kind::ListOnly, false);
    groupChoice->setGeometry(64, 326, 160, 26);
    assignButton = new Button(this, gbk("设定延时组按钮"), gbk(kAssignCaption));
    assignButton->setGeometry(232, 325, 180, 28);
    messageLabel = new TransparentLabel(this, gbk("考场提示标签"), Text());
    messageLabel->setGeometry(420, 326, 288, 26);
    messageLabel->label()->setWordWrap(true);

    groupCueList = new ReportList(
        this, gbk("延时组提醒列表"),
        {{gbk("延时组"), 100}, {gbk("考试科目"), 120}, {gbk("播放时间"), 150}, {gbk("备注"), 120}});
    groupCueList->setGeometry(12, 362, 836, 146);
    setVisualTabOrder({roomList->widget(), groupsEdit->widget(), applyGroupsButton->widget(),
                       groupChoice->widget(), assignButton->widget(), groupCueList->widget()});
    nameControls(*this);
}

}  // namespace exambell
