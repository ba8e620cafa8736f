#pragma once
// The plan window ("考试安排", 780 x 600), opened by the main window's 考试安排按钮; not modal,
// owned by the main window. Wrappers as in ui/MainWindow.h; each widget's objectName() is its
// design name. What its controls do is wired by app/PlanBinder; the operations are
// plans/PlanEditor's.

#include "text/Text.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/EditBox.h"
#include "ui/ReportList.h"
#include "ui/TransparentLabel.h"
#include "ui/Window.h"

namespace exambell {

class PlanWindow : public Window {
  public:
    static constexpr int kWidth = 780;
    static constexpr int kHeight = 600;

    explicit PlanWindow(QWidget* owner);

    // The plans.
    ComboBox* planBox = nullptr;         // 安排选择框: the plans kept, by name
    EditBox* nameEdit = nullptr;         // 安排名称框: the name of the plan edited
    Button* newButton = nullptr;         // 新建安排按钮 "新建"
    Button* removePlanButton = nullptr;  // 删除安排按钮 "删除安排"
    CheckBox* activeBox = nullptr;  // 当前安排框 "当前使用": its days fill the exam rows
    CheckBox* autoStartBox = nullptr;  // 自动开始框 "到点自动开始"

    // The sittings, sorted by date and start: 日期, 星期, 科目, 开始, 时长, 结束, 提醒.
    ReportList* sittingList = nullptr;   // 场次列表
    EditBox* dateEdit = nullptr;         // 场次日期框 "YYYY-MM-DD"
    EditBox* subjectEdit = nullptr;      // 场次科目框
    EditBox* startEdit = nullptr;        // 场次开始框 "HH:MM"
    EditBox* durationEdit = nullptr;     // 场次时长框, minutes
    Button* addButton = nullptr;         // 添加场次按钮 "添加"
    Button* changeButton = nullptr;      // 修改场次按钮 "修改"
    Button* removeButton = nullptr;      // 删除场次按钮 "删除"
    EditBox* copyDateEdit = nullptr;     // 复制日期框: the date a day is copied to
    Button* copyButton = nullptr;        // 复制当天按钮 "复制当天到"
    EditBox* moveMinutesEdit = nullptr;  // 整天平移框: minutes, either sign
    Button* moveButton = nullptr;        // 整天平移按钮 "整天平移(分钟)"

    // The plan's own cues: 名称, 计时起点, 分钟, 录音.
    ReportList* cueList = nullptr;   // 安排提醒列表
    EditBox* cueNameEdit = nullptr;  // 提醒名称框
    ComboBox* cueAnchorBox = nullptr;  // 提醒起点框: 开考, 结束, 半天首场开考, 半天其余场开考
    EditBox* cueMinutesEdit = nullptr;  // 提醒分钟框: either sign, after the anchor
    EditBox* cuePathEdit = nullptr;     // 提醒录音框
    Button* cueChooseButton = nullptr;  // 选择录音按钮 "选择"
    Button* cueAddButton = nullptr;     // 添加提醒按钮 "添加提醒"
    Button* cueRemoveButton = nullptr;  // 删除提醒按钮 "删除提醒"

    Button* importButton = nullptr;  // 导入时间表按钮 "导入时间表"
    Button* printButton = nullptr;   // 打印安排按钮 "打印一周安排"
    Button* saveButton = nullptr;    // 保存安排按钮 "保存安排"

    // The row chosen in a list, -1 when none.
    static int chosenRow(const ReportList& list);
};

}  // namespace exambell
