#include "ui/SeatingWindow.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>

#include "ui/AccessibleNames.h"
#include "ui/QtText.h"

namespace exambell {
namespace {

constexpr const char* kTitle = "座位表生成";
constexpr const char* kClassHeading = "班级                   考试人数：";
constexpr const char* kGridHeading = "排(横→) ×          列(竖↓)";
constexpr const char* kSampleRoster =
    "张伟,王芳,李娜,刘洋,陈静,杨帆,赵磊,黄敏,周杰,吴婷,徐明,孙丽,马超,朱琳,胡军,郭颖,何平,"
    "高峰,林晓,罗兰,郑浩,梁爽,谢天,宋佳,唐宁,许诺,韩梅,冯雪,邓超,曹阳,彭博,曾敏,萧然,田甜,"
    "董洁,袁野,潘越,于晴,蒋欣,蔡琴,余音,杜鹃";
constexpr int kRowHeight = 24;

// The run of blanks in a heading where boxes are placed: its pixel span, and where the text ends.
struct Gap {
    int start;
    int end;
    int textEnd;
};

// The headings leave a run of blanks for the boxes that sit in them. Lengthens the shown run
// (the caption stays the design text) until it is at least wanted pixels, and says where it lies.
Gap widenGap(QLabel* label, int wanted) {
    QString text = label->text();
    const qsizetype first = text.indexOf(QStringLiteral("  "));
    qsizetype last = first;
    while (last < text.size() && text.at(last) == u' ') {
        ++last;
    }
    const QFontMetrics metrics(label->font());
    const int space = std::max(metrics.horizontalAdvance(u' '), 1);
    const qsizetype needed = (wanted + space - 1) / space;
    if (needed > last - first) {
        text = text.left(first) + QString(needed, u' ') + text.mid(last);
        last = first + needed;
        label->setText(text);
    }
    return {metrics.horizontalAdvance(text.left(first)), metrics.horizontalAdvance(text.left(last)),
            metrics.horizontalAdvance(text)};
}

}  // namespace

SeatingWindow::SeatingWindow(QWidget* owner)
    : Window(owner, gbk("座位表窗口"), gbk(kTitle), 928, kHeight) {
    classGroup = new QGroupBox(toQString(gbk("操作班级")), this);
    classGroup->setObjectName(QStringLiteral("分组框1"));
    classGroup->setGeometry(8, 8, 288, 144);
    auto* classHeading = new TransparentLabel(classGroup, gbk("透明标签2"), gbk(kClassHeading));
    classHeading->setGeometry(10, 22, 274, kRowHeight);
    const Gap classGap = widenGap(classHeading->label(), 104);
    classBox = new ComboBox(classGroup, gbk("班级组合框"), ComboBox::Kind::ListOnly, true);
    classBox->setGeometry(10 + classGap.start + 2, 22, classGap.end - classGap.start - 6,
                          kRowHeight);
    classBox->addItem(gbk("通用班级"), 0);
    countEdit = new EditBox(classGroup, gbk("人数编辑"), gbk("42"));
    countEdit->setGeometry(10 + classGap.textEnd + 2, 22, 44, kRowHeight);
    countEdit->setDigitsOnly(true);
    countEdit->attachUpDown(1, 999);

    rowsEdit = new EditBox(classGroup, gbk("横排编辑"), gbk("8"));
    rowsEdit->setGeometry(10, 60, 40, kRowHeight);
    rowsEdit->setDigitsOnly(true);
    rowsEdit->attachUpDown(1, 99);
    auto* gridHeading = new TransparentLabel(classGroup, gbk("透明标签1"), gbk(kGridHeading));
    gridHeading->setGeometry(72, 60, 212, kRowHeight);
    const Gap gridGap = widenGap(gridHeading->label(), 66);
    columnsEdit = new EditBox(classGroup, gbk("竖列编辑"), gbk("6"));
    columnsEdit->setGeometry(72 + gridGap.start + 2, 60, 40, kRowHeight);
    columnsEdit->setDigitsOnly(true);
    columnsEdit->attachUpDown(1, 99);

    generateButton = new Button(classGroup, gbk("生成座位按钮"), gbk("生成随机座位"));
    generateButton->setGeometry(10, 100, 130, 32);
    exportButton = new Button(classGroup, gbk("导出Excel按钮"), gbk("导出Excel"));
    exportButton->setGeometry(148, 100, 130, 32);
    exportButton->setDisabled(true);

    importGroup = new QGroupBox(toQString(gbk("导入班级")), this);
    importGroup->setObjectName(QStringLiteral("分组框2"));
    importGroup->setGeometry(300, 8, 621, 144);
    auto* nameHeading = new TransparentLabel(importGroup, gbk("透明标签4"), gbk("班级"));
    nameHeading->setGeometry(8, 22, 40, kRowHeight);
    classNameEdit = new EditBox(importGroup, gbk("班级编辑框"), gbk("18软件5班"));
    classNameEdit->setGeometry(50, 22, 74, kRowHeight);
    auto* separatorHeading = new TransparentLabel(importGroup, gbk("透明标签3"), gbk("分隔符"));
    separatorHeading->setGeometry(8, 56, 40, kRowHeight);
    separatorBox = new ComboBox(importGroup, gbk("分割符列表"), ComboBox::Kind::Editable, true);
    separatorBox->setGeometry(50, 56, 74, kRowHeight);
    for (const char* separator : {",", "，", "#", "换行", "自定义"}) {
        separatorBox->addItem(gbk(separator), 0);
    }
    separatorBox->setText(gbk(","));
    importButton = new Button(importGroup, gbk("一键导入按钮"), gbk("一键导入/修改"));
    importButton->setGeometry(8, 96, 116, 32);
    rosterEdit =
        new EditBox(importGroup, gbk("人员编辑框"), gbk(kSampleRoster), EditBox::Lines::Multi);
    rosterEdit->setGeometry(130, 12, 483, 125);

    grid = new Grid(this, gbk("高级表格1"));
    grid->setGeometry(8, 160, 913, 344);

    constexpr int kFirstRow = kDesignHeight - 20;
    constexpr int kSecondRow = kFirstRow + 36;
    auto* codeHeading = new TransparentLabel(this, gbk("透明标签6"), gbk("抽签码"));
    codeHeading->setGeometry(8, kFirstRow, 48, kRowHeight);
    codeEdit = new EditBox(this, gbk("抽签码编辑"), Text());
    codeEdit->setGeometry(58, kFirstRow, 112, kRowHeight);
    reproduceButton = new Button(this, gbk("按码生成按钮"), gbk("按码重现"));
    reproduceButton->setGeometry(176, kFirstRow - 2, 90, 28);
    codeLabel = new TransparentLabel(this, gbk("抽签码标签"), Text());
    codeLabel->setGeometry(280, kFirstRow, 190, kRowHeight);
    fingerprintLabel = new TransparentLabel(this, gbk("名单指纹标签"), Text());
    fingerprintLabel->setGeometry(476, kFirstRow, 170, kRowHeight);
    renameButton = new Button(this, gbk("改名班级按钮"), gbk("改名班级"));
    renameButton->setGeometry(705, kFirstRow - 2, 104, 28);
    deleteButton = new Button(this, gbk("删除班级按钮"), gbk("删除班级"));
    deleteButton->setGeometry(817, kFirstRow - 2, 104, 28);

    auto* roomHeading = new TransparentLabel(this, gbk("透明标签7"), gbk("考场"));
    roomHeading->setGeometry(8, kSecondRow, 36, kRowHeight);
    roomEdit = new EditBox(this, gbk("考场编辑框"), Text());
    roomEdit->setGeometry(46, kSecondRow, 124, kRowHeight);
    auto* examHeading = new TransparentLabel(this, gbk("透明标签8"), gbk("考试"));
    examHeading->setGeometry(176, kSecondRow, 36, kRowHeight);
    examEdit = new EditBox(this, gbk("考试编辑框"), Text());
    examEdit->setGeometry(214, kSecondRow, 200, kRowHeight);
    pdfButton = new Button(this, gbk("导出PDF按钮"), gbk("导出PDF"));
    pdfButton->setGeometry(593, kSecondRow - 2, 104, 28);
    printButton = new Button(this, gbk("打印按钮"), gbk("打印"));
    printButton->setGeometry(705, kSecondRow - 2, 104, 28);
    saveWorkbookButton = new Button(this, gbk("另存Excel按钮"), gbk("另存Excel"));
    saveWorkbookButton->setGeometry(817, kSecondRow - 2, 104, 28);
    auto* mixedHeading = new TransparentLabel(this, gbk("透明标签9"), gbk("混排"));
    mixedHeading->setGeometry(422, kSecondRow, 36, kRowHeight);
    mixedEdit = new EditBox(this, gbk("混排班级编辑框"), Text());
    mixedEdit->setGeometry(460, kSecondRow, 126, kRowHeight);

    constexpr int kThirdRow = kSecondRow + 36;
    auto* numberHeading = new TransparentLabel(this, gbk("透明标签10"), gbk("考号前缀"));
    numberHeading->setGeometry(8, kThirdRow, 60, kRowHeight);
    numberPrefixEdit = new EditBox(this, gbk("考号前缀编辑框"), Text());
    numberPrefixEdit->setGeometry(70, kThirdRow, 100, kRowHeight);
    numberingBox = new ComboBox(this, gbk("考号顺序列表"), ComboBox::Kind::ListOnly, false);
    numberingBox->setGeometry(176, kThirdRow, 110, kRowHeight);
    for (const char* order : {"不编考号", "按行编号", "蛇形编号"}) {
        numberingBox->addItem(gbk(order), 0);
    }
    numberingBox->setCurrentIndex(0);
    roomsButton = new Button(this, gbk("考场编排按钮"), gbk("考场编排"));
    roomsButton->setGeometry(817, kThirdRow - 2, 104, 28);

    for (Button* button : {pdfButton, printButton, saveWorkbookButton}) {
        button->setDisabled(true);
    }

    // Tab follows the eye: each group top to bottom, the grid, then the rows below it left to
    // right.
    std::vector<QWidget*> order;
    for (Control* c : std::initializer_list<Control*>{
             classBox,           countEdit,        rowsEdit,      columnsEdit,
             generateButton,     exportButton,     classNameEdit, separatorBox,
             importButton,       rosterEdit,       grid,          codeEdit,
             reproduceButton,    renameButton,     deleteButton,  roomEdit,
             examEdit,           mixedEdit,        pdfButton,     printButton,
             saveWorkbookButton, numberPrefixEdit, numberingBox,  roomsButton}) {
        order.push_back(c->widget());
    }
    setVisualTabOrder(order);
    nameControls(*this);
}

}  // namespace exambell
