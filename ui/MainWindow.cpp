#include "ui/MainWindow.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "runner/RunProgressView.h"
#include "ui/AccessibleNames.h"
#include "ui/QtText.h"

namespace exambell {
namespace {

// Title: the product with its version and a credit line.
constexpr const char* kTitle = "考铃 ExamBell 2.0 — 考铃开发组为考务办公室制作";
constexpr const char* kWindowName = "主窗口";

constexpr const char* kExamGroup = "考试科目";
constexpr const char* kCueGroup = "提醒时段";
constexpr const char* kEndLabelText = "保存自动获取结束时间";
constexpr const char* kDurationText = "120分钟";
constexpr const char* kCuePathText = "音频文件路径src://";
constexpr const char* kChooseCaption = "选择";
constexpr const char* kTestCaption = "试听";
constexpr std::array<const char*, kExamCount + 1> kSubjects = {"", "数学", "英语", "网页设计",
                                                               "自习"};
constexpr std::array<const char*, kExamCount + 1> kStarts = {"", "09:00", "13:00", "15:00",
                                                             "18:00"};
constexpr std::array<int, kExamCount + 1> kExamRowTop = {0, 44, 75, 107, 137};
constexpr std::array<int, kCueCount + 1> kCueRowTop = {0, 24, 48, 72, 102, 131, 155, 184};
// Typed texts of the exam boxes stop at this many GBK bytes.
constexpr int kExamTypingLimit = 5;

Text numbered(const char* prefix, int n, const char* suffix = "") {
    return gbk(prefix) + toText(n) + gbk(suffix);
}

TransparentLabel* heading(QWidget* parent, const char* name, const char* caption, int left, int top,
                          int width) {
    auto* label = new TransparentLabel(parent, gbk(name), gbk(caption));
    label->setGeometry(left, top, width, 20);
    label->label()->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

MainWindow::MainWindow(QWidget* owner)
    : Window(owner, gbk(kWindowName), gbk(kTitle), kWideWidth, kDesignHeight),
      fileDialog(gbk("通用对话框1"), this) {
    // Exams.
    examGroup = new QGroupBox(toQString(gbk(kExamGroup)), this);
    examGroup->setObjectName(QStringLiteral("分组框1"));
    examGroup->setGeometry(8, 8, 440, 168);
    heading(examGroup, "透明标签4", "科目", 36, 20, 80);
    heading(examGroup, "透明标签1", "开考时间", 124, 20, 70);
    heading(examGroup, "透明标签2", "考试时长", 202, 20, 70);
    heading(examGroup, "透明标签3", "本场结束时间", 280, 20, 150);
    for (int n = 1; n <= kExamCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        const int y = kExamRowTop[i];
        examEnabled[i] = new CheckBox(examGroup, numbered("科目", n), Text());
        examEnabled[i]->setGeometry(12, y, 20, 22);
        examSubject[i] = new EditBox(examGroup, numbered("科目", n, "科目"), gbk(kSubjects[i]));
        examSubject[i]->setGeometry(36, y, 80, 22);
        examStart[i] = new EditBox(examGroup, numbered("科目", n, "时间"), gbk(kStarts[i]));
        examStart[i]->setGeometry(124, y, 70, 22);
        examDuration[i] = new EditBox(examGroup, numbered("科目", n, "时长"), gbk(kDurationText));
        examDuration[i]->setGeometry(202, y, 70, 22);
        examDuration[i]->setDigitsOnly(true);
        for (EditBox* box : {examSubject[i], examStart[i], examDuration[i]}) {
            box->setCentred();
            box->setTypingLimit(kExamTypingLimit);
        }
        examEnd[i] =
            new TransparentLabel(examGroup, numbered("科目", n, "结束"), gbk(kEndLabelText));
        examEnd[i]->setGeometry(280, y, 150, 22);
        examEnd[i]->label()->setAlignment(Qt::AlignCenter);
    }

    // Cues.
    cueGroup = new QGroupBox(toQString(gbk(kCueGroup)), this);
    cueGroup->setObjectName(QStringLiteral("分组框2"));
    cueGroup->setGeometry(8, 178, 440, 214);
    for (int n = 1; n <= kCueCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        const int y = kCueRowTop[i];
        cueEnabled[i] =
            new CheckBox(cueGroup, numbered("提醒", n), cueCaption(n), CheckBox::Look::PushButton);
        cueEnabled[i]->setGeometry(10, y, 100, 22);
        cuePath[i] = new EditBox(cueGroup, numbered("提醒路径", n), gbk(kCuePathText));
        cuePath[i]->setGeometry(116, y, 212, 22);
        QPalette greyGreen = cuePath[i]->widget()->palette();
        greyGreen.setColor(QPalette::Base, QColor(0xD8, 0xE4, 0xD8));
        cuePath[i]->widget()->setPalette(greyGreen);
        cueChoose[i] = new Button(cueGroup, numbered("修改", n), gbk(kChooseCaption));
        cueChoose[i]->setGeometry(334, y, 48, 22);
        cueTest[i] = new Button(cueGroup, numbered("试听", n), gbk(kTestCaption));
        cueTest[i]->setGeometry(386, y, 48, 22);
    }

    // The bottom row of buttons.
    saveButton = new Button(this, gbk("保存设置按钮"), gbk("保存设置"));
    saveButton->setGeometry(8, 394, 72, 32);
    importButton = new Button(this, gbk("导出设置按钮"), gbk("导入配置"));
    importButton->setGeometry(84, 394, 72, 32);
    stopButton = new Button(this, gbk("停止播放按钮"), gbk("停止正在播放的音频"));
    stopButton->setGeometry(160, 394, 136, 32);
    downloadButton = new Button(this, gbk("下载语音按钮"), gbk("下载语音"));
    downloadButton->setGeometry(300, 394, 72, 32);
    seatingButton = new Button(this, gbk("座位表生成按钮"), gbk("座位表生成"));
    seatingButton->setGeometry(376, 394, 72, 32);

    runButton = new ImageButton(this, gbk("开始运行按钮"), gbk("开始运行"));
    runButton->setGeometry(kRunButtonIdleLeft, 431, 64, 64);
    clockLabel = new TransparentLabel(this, gbk("当前时间标签"), Text());
    clockLabel->setGeometry(92, 430, 296, 81);
    QFont clockFont = clockLabel->widget()->font();
    clockFont.setBold(true);
    clockFont.setPixelSize(32);
    clockLabel->widget()->setFont(clockFont);
    clockLabel->setVisible(false);
    // In the free strip along the bottom of the left column, below the clock label.
    statusLabel = new TransparentLabel(this, gbk("状态标签"), Text());
    statusLabel->setGeometry(8, 512, 440, 18);
    QPalette warning = statusLabel->widget()->palette();
    warning.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    statusLabel->widget()->setPalette(warning);
    displayButton = new Button(this, gbk("考场时钟按钮"), gbk("考场时钟"));
    displayButton->setGeometry(392, 462, 56, 30);
    planButton = new Button(this, gbk("考试安排按钮"), gbk("考试安排"));
    planButton->setGeometry(392, 430, 56, 30);
    planNotice = new TransparentLabel(this, gbk("安排提示标签"), Text());
    planNotice->setGeometry(8, 430, 180, 80);
    planNotice->label()->setWordWrap(true);
    planNotice->label()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    planNotice->widget()->setStyleSheet(QStringLiteral("color: #1f4e8c;"));
    planNotice->setVisible(false);

    // The reminder list on the right.
    reminderHeading = new TransparentLabel(this, gbk("透明标签5"), gbk("提醒列表"));
    reminderHeading->setGeometry(462, 12, 455, 20);
    reminderList = new ReportList(this, gbk("超级列表框1"),
                                  {{gbk("序号"), 50},
                                   {gbk("考试科目"), 100},
                                   {gbk("播放时间"), 80},
                                   {gbk("备注"), 110},
                                   {gbk("铃声"), 120},
                                   {gbk("状态"), 130}});
    reminderList->setGeometry(455, 40, 462, 472);

    // Run progress and the late start, in the room the design leaves free.
    countdownLabel = new TransparentLabel(this, gbk("倒计时标签"), Text());
    // Below the clock text, inside the clock label's lower edge: the bottom strip holds 状态标签.
    countdownLabel->setGeometry(92, 493, 296, 18);
    QFont countdownFont = countdownLabel->widget()->font();
    countdownFont.setBold(true);
    countdownFont.setPixelSize(14);
    countdownLabel->widget()->setFont(countdownFont);
    countdownLabel->setVisible(false);
    editNote = new TransparentLabel(this, gbk("修改提示标签"), Text());
    editNote->setGeometry(462, 512, 455, 18);
    editNote->widget()->setStyleSheet(QStringLiteral("color: #b35c00;"));
    editNote->setVisible(false);
    shiftExam = new ComboBox(this, gbk("平移考试框"), ComboBox::Kind::ListOnly, false);
    shiftExam->setGeometry(596, 9, 104, 24);
    // Box and arrows in one, where the box and its arrow pair were.
    shiftMinutes = new SpinBox(this, gbk("平移分钟框"), -kMaxShiftMinutes, kMaxShiftMinutes, 10);
    shiftMinutes->setGeometry(704, 9, 62, 24);
    shiftUnit = new TransparentLabel(this, gbk("平移单位标签"), gbk("分钟"));
    shiftUnit->setGeometry(770, 9, 30, 24);
    shiftButton = new Button(this, gbk("平移按钮"), gbk("平移考试"));
    shiftButton->setGeometry(804, 8, 110, 26);
    missNotice = new NoticePanel(this, gbk("播放提示框"), gbk("知道了"));
    missNotice->setGeometry(455, 392, 462, 120);

    // Over the left column, last so that they lie on top.
    tipAuthor = new CheckBox(this, gbk("打赏作者"), gbk("打赏作者"), CheckBox::Look::PushButton);
    tipAuthor->setGeometry(350, 3, 90, 22);
    picture = new PictureBox(this, gbk("图片框1"));
    picture->setGeometry(232, 29, 200, 248);
    picture->setVisible(false);

    // Tab follows the eye: 打赏作者 at the top first, then the rows top to bottom.
    std::vector<QWidget*> order{tipAuthor->widget()};
    for (int n = 1; n <= kExamCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        for (Control* c : std::initializer_list<Control*>{examEnabled[i], examSubject[i],
                                                          examStart[i], examDuration[i]}) {
            order.push_back(c->widget());
        }
    }
    for (int n = 1; n <= kCueCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        for (Control* c :
             std::initializer_list<Control*>{cueEnabled[i], cuePath[i], cueChoose[i], cueTest[i]}) {
            order.push_back(c->widget());
        }
        cuePath[i]->setShowsEnd();
    }
    // The right part: the late-start row above the list, the list, the notice over its foot.
    for (Control* c : std::initializer_list<Control*>{
             saveButton, importButton, stopButton, downloadButton, seatingButton, runButton,
             planButton, displayButton, shiftExam, shiftMinutes, shiftButton, reminderList}) {
        order.push_back(c->widget());
    }
    order.push_back(missNotice->dismissButton());
    setVisualTabOrder(order);
    nameControls(*this);
}

}  // namespace exambell
