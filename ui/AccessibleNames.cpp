#include "ui/AccessibleNames.h"

#include <QLabel>
#include <QToolButton>

#include "settings/ExamSettings.h"
#include "ui/ArrangementWindow.h"
#include "ui/DisplaySetupWindow.h"
#include "ui/ImportWindow.h"
#include "ui/MainWindow.h"
#include "ui/PlanWindow.h"
#include "ui/QtText.h"
#include "ui/RoomStatusWindow.h"
#include "ui/SeatingWindow.h"

namespace exambell {
namespace {

QString words(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// "第2场" + what.
QString ofExam(int n, const char* what) {
    return words("第%1场").arg(n) + words(what);
}

// An edit box with an up-down control: the box and its two arrows.
void nameCounter(EditBox* box, const QString& name) {
    box->setAccessibleName(name);
    QWidget* parent = box->widget()->parentWidget();
    const QString design = box->widget()->objectName();
    if (auto* up = parent->findChild<QToolButton*>(design + QStringLiteral("_up"))) {
        up->setAccessibleName(words("增加") + name);
    }
    if (auto* down = parent->findChild<QToolButton*>(design + QStringLiteral("_down"))) {
        down->setAccessibleName(words("减少") + name);
    }
}

// The caption beside a box: a screen reader finds it through its buddy.
void captionOf(QWidget& window, const char* caption, Control* box) {
    if (auto* label = window.findChild<QLabel*>(QString::fromUtf8(caption))) {
        label->setBuddy(box->widget());
    }
}

// A box named by the caption beside it.
void labelBy(QWidget& window, const char* caption, Control* box, const QString& name) {
    box->setAccessibleName(name);
    captionOf(window, caption, box);
}

// On Linux Qt gives a combo box its current item as its accessible name and names it through
// the label whose buddy it is; a box without a caption beside it gets a label that is not
// shown.
void nameComboBox(ComboBox* box, const QString& name, QLabel* caption = nullptr) {
    box->setAccessibleName(name);
    if (!caption) {
        caption = new QLabel(name, box->widget()->parentWidget());
        caption->setObjectName(box->widget()->objectName() + QStringLiteral("_label"));
        caption->hide();
    }
    caption->setBuddy(box->widget());
}

}  // namespace

void nameControls(MainWindow& w) {
    for (int n = 1; n <= kExamCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        w.examEnabled[i]->setAccessibleName(words("启用") + ofExam(n, "考试"));
        w.examSubject[i]->setAccessibleName(ofExam(n, "考试科目"));
        w.examStart[i]->setAccessibleName(ofExam(n, "开考时间"));
        w.examDuration[i]->setAccessibleName(ofExam(n, "考试时长"));
    }
    for (int n = 1; n <= kCueCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        const QString cue = toQString(cueCaption(n));
        w.cueEnabled[i]->setAccessibleName(words("提醒：") + cue);
        w.cuePath[i]->setAccessibleName(cue + words("提醒的音频文件"));
        w.cueChoose[i]->setAccessibleName(words("选择") + cue + words("提醒的音频文件"));
        w.cueTest[i]->setAccessibleName(words("试听") + cue + words("提醒"));
    }
    w.reminderList->setAccessibleName(words("提醒列表"));
    w.picture->setAccessibleName(words("打赏作者的图片"));
    w.missNotice->setAccessibleName(words("未能播放的提醒"));
    nameComboBox(w.shiftExam, words("要平移的考试"));
    w.shiftMinutes->setAccessibleName(words("平移的分钟数"));
}

void nameControls(SeatingWindow& w) {
    nameComboBox(w.classBox, words("操作班级"));
    nameCounter(w.countEdit, words("考试人数"));
    nameCounter(w.rowsEdit, words("座位排数（横）"));
    nameCounter(w.columnsEdit, words("座位列数（竖）"));
    labelBy(w, "透明标签4", w.classNameEdit, words("导入的班级名称"));
    nameComboBox(w.separatorBox, words("名单的分隔符"),
                 w.findChild<QLabel*>(QString::fromUtf8("透明标签3")));
    w.rosterEdit->setAccessibleName(words("学生名单"));
    w.grid->setAccessibleName(words("座位表"));
    labelBy(w, "透明标签6", w.codeEdit, words("抽签码"));
    labelBy(w, "透明标签7", w.roomEdit, words("考场"));
    labelBy(w, "透明标签8", w.examEdit, words("考试名称"));
    labelBy(w, "透明标签9", w.mixedEdit, words("混排的班级"));
    labelBy(w, "透明标签10", w.numberPrefixEdit, words("考号前缀"));
    nameComboBox(w.numberingBox, words("考号顺序"));
}

void nameControls(ImportWindow& w) {
    labelBy(w, "透明标签1", w.pathEdit, words("配置文件路径"));
}

void nameControls(DisplaySetupWindow& w) {
    nameComboBox(w.screenList, words("显示在哪个屏幕"),
                 w.findChild<QLabel*>(QString::fromUtf8("透明标签1")));
    labelBy(w, "透明标签2", w.portEdit, words("网页端口"));
    w.qrCode->setAccessibleName(words("网页地址的二维码"));
}

void nameControls(PlanWindow& w) {
    nameComboBox(w.planBox, words("考试安排"), w.findChild<QLabel*>(QString::fromUtf8("安排标签")));
    labelBy(w, "名称标签", w.nameEdit, words("安排名称"));
    w.newButton->setAccessibleName(words("新建考试安排"));
    w.activeBox->setAccessibleName(words("当前使用这个安排"));
    w.sittingList->setAccessibleName(words("考试场次列表"));
    labelBy(w, "日期标签", w.dateEdit, words("场次日期"));
    labelBy(w, "科目标签", w.subjectEdit, words("场次科目"));
    labelBy(w, "开始标签", w.startEdit, words("场次开始时间"));
    labelBy(w, "时长标签", w.durationEdit, words("场次时长（分钟）"));
    w.addButton->setAccessibleName(words("添加场次"));
    w.changeButton->setAccessibleName(words("修改所选场次"));
    w.removeButton->setAccessibleName(words("删除所选场次"));
    w.copyDateEdit->setAccessibleName(words("当天复制到的日期"));
    w.moveMinutesEdit->setAccessibleName(words("整天平移的分钟数"));
    labelBy(w, "安排提醒标签", w.cueList, words("本安排的提醒列表"));
    labelBy(w, "提醒名称标签", w.cueNameEdit, words("提醒名称"));
    nameComboBox(w.cueAnchorBox, words("提醒的计时起点"),
                 w.findChild<QLabel*>(QString::fromUtf8("提醒起点标签")));
    labelBy(w, "提醒分钟标签", w.cueMinutesEdit, words("提醒的分钟数（负数为之前）"));
    w.cuePathEdit->setAccessibleName(words("提醒的录音文件"));
    w.cueChooseButton->setAccessibleName(words("选择提醒的录音文件"));
}

void nameControls(ArrangementWindow& w) {
    labelBy(w, "透明标签1", w.classNameEdit, words("年级名单的班级名称"));
    nameComboBox(w.separatorBox, words("年级名单的分隔符"),
                 w.findChild<QLabel*>(QString::fromUtf8("透明标签2")));
    w.rosterEdit->setAccessibleName(words("年级学生名单"));
    nameComboBox(w.classList, words("已导入的年级班级"));
    w.deleteButton->setAccessibleName(words("删除所选班级"));
    labelBy(w, "透明标签3", w.roomsEdit, words("考场列表，每行一个考场"));
    captionOf(w, "透明标签4", w.batchCountEdit);
    nameCounter(w.batchCountEdit, words("批量生成的考场数"));
    captionOf(w, "透明标签5", w.batchRowsEdit);
    nameCounter(w.batchRowsEdit, words("批量考场的座位排数"));
    captionOf(w, "透明标签6", w.batchColumnsEdit);
    nameCounter(w.batchColumnsEdit, words("批量考场的座位列数"));
    nameComboBox(w.batchSpacingBox, words("批量考场的留空方式"));
    w.batchButton->setAccessibleName(words("批量生成考场"));
    nameComboBox(w.orderBox, words("编排顺序"),
                 w.findChild<QLabel*>(QString::fromUtf8("透明标签7")));
    labelBy(w, "透明标签8", w.prefixEdit, words("考号前缀"));
    captionOf(w, "透明标签9", w.roomDigitsEdit);
    nameCounter(w.roomDigitsEdit, words("考号中考场号的位数"));
    captionOf(w, "透明标签10", w.seatDigitsEdit);
    nameCounter(w.seatDigitsEdit, words("考号中座号的位数"));
    labelBy(w, "透明标签11", w.examEdit, words("考试名称"));
    labelBy(w, "透明标签12", w.codeEdit, words("抽签码"));
    w.reproduceButton->setAccessibleName(words("按抽签码重现编排"));
    w.summary->setAccessibleName(words("编排结果表"));
}

void nameControls(RoomStatusWindow& w) {
    w.roomList->setAccessibleName(words("各考场的状态"));
    labelBy(w, "透明标签1", w.groupsEdit, words("本次运行的延时组"));
    w.applyGroupsButton->setAccessibleName(words("应用延时组"));
    nameComboBox(w.groupChoice, words("所选考场的延时组"));
    w.groupCueList->setAccessibleName(words("各延时组的提醒"));
}

}  // namespace exambell
