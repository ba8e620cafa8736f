#include "ui/AccessibleNames.h"

#include <QLabel>
#include <QToolButton>

#include "settings/ExamSettings.h"
#include "ui/DisplaySetupWindow.h"
#include "ui/ImportWindow.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
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

// A box named by the caption beside it: a screen reader finds the caption through its buddy.
void labelBy(QWidget& window, const char* caption, Control* box, const QString& name) {
    box->setAccessibleName(name);
    if (auto* label = window.findChild<QLabel*>(QString::fromUtf8(caption))) {
        label->setBuddy(box->widget());
    }
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

}  // namespace exambell
