#include "ui/MainWindow.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

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
constexpr std::array<const char*, kCueCount + 1> kCueCaptions = {
    "", "开考前15分钟", "开考前8分钟", "开考前5分钟", "开考", "结束前15分钟", "结束", "每隔15分钟"};
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

const Text& MainWindow::cueCaption(int n) {
    static const std::array<Text, kCueCount + 1> captions = [] {
        std::array<Text, kCueCount + 1> all;
        for (int i = 1; i <= kCueCount; ++i) {
            all[static_cast<std::size_t>(i)] = gbk(kCueCaptions[static_cast<std::size_t>(i)]);
        }
        return all;
    }();
    return captions.at(static_cast<std::size_t>(n));
}

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
    displayButton = new Button(this, gbk("考场时钟按钮"), gbk("考场时钟"));
    displayButton->setGeometry(392, 462, 56, 30);

    // The reminder list on the right.
    reminderHeading = new TransparentLabel(this, gbk("透明标签5"), gbk("提醒列表"));
    reminderHeading->setGeometry(462, 12, 455, 20);
    reminderList = new ReportList(this, gbk("超级列表框1"),
                                  {{gbk("序号"), 50},
                                   {gbk("考试科目"), 100},
                                   {gbk("播放时间"), 80},
                                   {gbk("备注"), 110},
                                   {gbk("铃声"), 120}});
    reminderList->setGeometry(455, 40, 462, 472);

    // Over the left column, last so that they lie on top.
    tipAuthor = new CheckBox(this, gbk("打赏作者"), gbk("打赏作者"), CheckBox::Look::PushButton);
    tipAuthor->setGeometry(350, 3, 90, 22);
    picture = new PictureBox(this, gbk("图片框1"));
    picture->setGeometry(232, 29, 200, 248);
    picture->setVisible(false);
}

}  // namespace exambell
