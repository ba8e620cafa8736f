#include "ui/PlanWindow.h"

#include <QTreeWidget>

#include "ui/AccessibleNames.h"
#include "ui/QtText.h"

namespace exambell {
namespace {

TransparentLabel* caption(QWidget* parent, const char* name, const char* text, int left, int top,
                          int width) {
    auto* label = new TransparentLabel(parent, gbk(name), gbk(text));
    label->setGeometry(left, top, width, 20);
    return label;
}

}  // namespace

PlanWindow::PlanWindow(QWidget* owner)
    : Window(owner, gbk("考试安排窗口"), gbk("考试安排"), kWidth, kHeight) {
    caption(this, "安排标签", "考试安排", 10, 12, 60);
    planBox = new ComboBox(this, gbk("安排选择框"), ComboBox::Kind::ListOnly, false);
    planBox->setGeometry(70, 10, 170, 24);
    caption(this, "名称标签", "名称", 250, 12, 36);
    nameEdit = new EditBox(this, gbk("安排名称框"), Text());
    nameEdit->setGeometry(286, 10, 150, 24);
    newButton = new Button(this, gbk("新建安排按钮"), gbk("新建"));
    newButton->setGeometry(442, 9, 56, 26);
    removePlanButton = new Button(this, gbk("删除安排按钮"), gbk("删除安排"));
    removePlanButton->setGeometry(502, 9, 72, 26);
    activeBox = new CheckBox(this, gbk("当前安排框"), gbk("当前使用"));
    activeBox->setGeometry(584, 11, 84, 22);
    autoStartBox = new CheckBox(this, gbk("自动开始框"), gbk("到点自动开始"));
    autoStartBox->setGeometry(670, 11, 106, 22);

    sittingList = new ReportList(this, gbk("场次列表"),
                                 {{gbk("日期"), 96},
                                  {gbk("星期"), 60},
                                  {gbk("科目"), 140},
                                  {gbk("开始"), 64},
                                  {gbk("时长"), 70},
                                  {gbk("结束"), 64},
                                  {gbk("提醒"), 240}});
    sittingList->setGeometry(10, 42, 760, 250);

    caption(this, "日期标签", "日期", 10, 298, 100);
    caption(this, "科目标签", "科目", 116, 298, 110);
    caption(this, "开始标签", "开始", 232, 298, 64);
    caption(this, "时长标签", "时长(分钟)", 302, 298, 70);
    dateEdit = new EditBox(this, gbk("场次日期框"), Text());
    dateEdit->setGeometry(10, 318, 100, 24);
    subjectEdit = new EditBox(this, gbk("场次科目框"), Text());
    subjectEdit->setGeometry(116, 318, 110, 24);
    startEdit = new EditBox(this, gbk("场次开始框"), "09:00");
    startEdit->setGeometry(232, 318, 64, 24);
    durationEdit = new EditBox(this, gbk("场次时长框"), "120");
    durationEdit->setGeometry(302, 318, 70, 24);
    durationEdit->setDigitsOnly(true);
    addButton = new Button(this, gbk("添加场次按钮"), gbk("添加"));
    addButton->setGeometry(380, 317, 56, 26);
    changeButton = new Button(this, gbk("修改场次按钮"), gbk("修改"));
    changeButton->setGeometry(440, 317, 56, 26);
    removeButton = new Button(this, gbk("删除场次按钮"), gbk("删除"));
    removeButton->setGeometry(500, 317, 56, 26);

    copyButton = new Button(this, gbk("复制当天按钮"), gbk("复制当天到"));
    copyButton->setGeometry(10, 351, 90, 26);
    copyDateEdit = new EditBox(this, gbk("复制日期框"), Text());
    copyDateEdit->setGeometry(104, 352, 100, 24);
    moveButton = new Button(this, gbk("整天平移按钮"), gbk("整天平移(分钟)"));
    moveButton->setGeometry(232, 351, 110, 26);
    moveMinutesEdit = new EditBox(this, gbk("整天平移框"), "30");
    moveMinutesEdit->setGeometry(346, 352, 50, 24);

    caption(this, "安排提醒标签", "本安排的提醒（可多个）", 10, 388, 300);
    cueList = new ReportList(
        this, gbk("安排提醒列表"),
        {{gbk("名称"), 100}, {gbk("计时起点"), 130}, {gbk("分钟"), 60}, {gbk("录音"), 200}});
    cueList->setGeometry(10, 410, 500, 140);
    caption(this, "提醒名称标签", "名称", 520, 410, 60);
    cueNameEdit = new EditBox(this, gbk("提醒名称框"), Text());
    cueNameEdit->setGeometry(586, 410, 184, 24);
    caption(this, "提醒起点标签", "计时起点", 520, 438, 60);
    cueAnchorBox = new ComboBox(this, gbk("提醒起点框"), ComboBox::Kind::ListOnly, false);
    cueAnchorBox->setGeometry(586, 438, 184, 24);
    caption(this, "提醒分钟标签", "分钟(负数为之前)", 520, 466, 110);
    cueMinutesEdit = new EditBox(this, gbk("提醒分钟框"), "-30");
    cueMinutesEdit->setGeometry(636, 466, 134, 24);
    cuePathEdit = new EditBox(this, gbk("提醒录音框"), Text());
    cuePathEdit->setGeometry(520, 494, 196, 24);
    cuePathEdit->setShowsEnd();
    cueChooseButton = new Button(this, gbk("选择录音按钮"), gbk("选择"));
    cueChooseButton->setGeometry(720, 493, 50, 26);
    cueAddButton = new Button(this, gbk("添加提醒按钮"), gbk("添加提醒"));
    cueAddButton->setGeometry(520, 524, 120, 26);
    cueRemoveButton = new Button(this, gbk("删除提醒按钮"), gbk("删除提醒"));
    cueRemoveButton->setGeometry(650, 524, 120, 26);

    importButton = new Button(this, gbk("导入时间表按钮"), gbk("导入时间表"));
    importButton->setGeometry(10, 562, 110, 30);
    printButton = new Button(this, gbk("打印安排按钮"), gbk("打印一周安排"));
    printButton->setGeometry(126, 562, 120, 30);
    saveButton = new Button(this, gbk("保存安排按钮"), gbk("保存安排"));
    saveButton->setGeometry(660, 562, 110, 30);

    // Tab follows the eye: the plan row, the sittings and their row of boxes, the day's
    // operations, the cues with the boxes right of them, the bottom row.
    std::vector<QWidget*> order;
    for (Control* c : std::initializer_list<Control*>{
             planBox,         nameEdit,       newButton,       removePlanButton, activeBox,
             autoStartBox,    sittingList,    dateEdit,        subjectEdit,      startEdit,
             durationEdit,    addButton,      changeButton,    removeButton,     copyButton,
             copyDateEdit,    moveButton,     moveMinutesEdit, cueList,          cueNameEdit,
             cueAnchorBox,    cueMinutesEdit, cuePathEdit,     cueChooseButton,  cueAddButton,
             cueRemoveButton, importButton,   printButton,     saveButton}) {
        order.push_back(c->widget());
    }
    setVisualTabOrder(order);
    nameControls(*this);
}

int PlanWindow::chosenRow(const ReportList& list) {
    QTreeWidgetItem* item = list.tree()->currentItem();
    return item != nullptr ? list.tree()->indexOfTopLevelItem(item) : -1;
}

}  // namespace exambell
