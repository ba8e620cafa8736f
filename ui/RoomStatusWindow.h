#pragma once
// 考场状态: every room page the office has heard from (its room, address, last contact, measured
// clock offset and round trip, whether its sound is on, its extra-time group), the run's
// extra-time groups and which room sits in which, and the cues of each group that differ from
// the school's. Rows of rooms silent during a run are red. Opened from the exam-room clock's
// setup window; not modal. It draws what it is given; app/RoomStatusBinder fills it.

#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/EditBox.h"
#include "ui/ReportList.h"
#include "ui/TransparentLabel.h"
#include "ui/Window.h"

namespace exambell {

class RoomStatusWindow : public Window {
    Q_OBJECT
  public:
    explicit RoomStatusWindow(QWidget* owner = nullptr);

    // Columns of 考场列表.
    enum RoomColumn {
        kRoom,
        kAddress,
        kLastContact,
        kOffset,
        kRoundTrip,
        kSound,
        kGroup,
        kLastCue
    };

    ReportList* roomList = nullptr;  // 考场列表
    TransparentLabel* summaryLabel = nullptr;  // 考场概况标签: "在线 3 个考场，失去联系 1 个"
    EditBox* groupsEdit = nullptr;  // 延时组编辑: "延时30%、延时50%、延时20分钟"
    Button* applyGroupsButton = nullptr;  // 应用延时组按钮 "应用"
    ComboBox* groupChoice = nullptr;      // 延时组选择: 不延时 and the groups
    Button* assignButton = nullptr;       // 设定延时组按钮 "设为所选考场的延时组"
    TransparentLabel* messageLabel = nullptr;  // 考场提示标签
    ReportList* groupCueList = nullptr;  // 延时组提醒列表: 延时组, 考试科目, 播放时间, 备注
};

}  // namespace exambell
