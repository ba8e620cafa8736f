#include "ui/ArrangementWindow.h"

#include <QGroupBox>

#include "ui/AccessibleNames.h"
#include "ui/QtText.h"

namespace exambell {

namespace {

constexpr int kRowHeight = 24;
constexpr const char* kRoomsHint =
    "第01考场,8,5\r\n第02考场,8,5,隔列\r\n第03考场,8,5,不留空,3-2 4-1";

QGroupBox* group(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* box = new QGroupBox(toQString(gbk(caption)), parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setGeometry(geometry);
    return box;
}

TransparentLabel* label(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* result = new TransparentLabel(parent, gbk(name), gbk(caption));
    result->setGeometry(geometry.x(), geometry.y(), geometry.width(), geometry.height());
    return result;
}

EditBox* number(QWidget* parent, const char* name, const char* initial, QRect geometry, int lo,
                int hi) {
    auto* box = new EditBox(parent, gbk(name), gbk(initial));
    box->setGeometry(geometry.x(), geometry.y(), geometry.width(), geometry.height());
    box->setDigitsOnly(true);
    box->attachUpDown(lo, hi);
    return box;
}

}  // namespace

ArrangementWindow::ArrangementWindow(QWidget* owner)
    : Window(owner, gbk("考场编排窗口"), gbk("考场编排"), kWidth, kHeight) {
    QGroupBox* classes = group(this, "年级名单分组框", "年级名单", QRect(8, 8, 330, 262));
    label(classes, "透明标签1", "班级", QRect(8, 22, 36, kRowHeight));
    classNameEdit = new EditBox(classes, gbk("年级班级编辑框"), gbk("高一1班"));
    classNameEdit->setGeometry(46, 22, 110, kRowHeight);
    label(classes, "透明标签2", "分隔符", QRect(164, 22, 48, kRowHeight));
    separatorBox = new ComboBox(classes, gbk("年级分隔符列表"), ComboBox::Kind::Editable, true);
    separatorBox->setGeometry(214, 22, 106, kRowHeight);
    for (const char* separator : {",", "，", "#", "换行", "自定义"}) {
        separatorBox->addItem(gbk(separator), 0);
    }
    separatorBox->setText(gbk("换行"));
    rosterEdit = new EditBox(classes, gbk("年级名单编辑框"), Text(), EditBox::Lines::Multi);
    rosterEdit->setGeometry(8, 52, 312, 130);
    importButton = new Button(classes, gbk("导入年级班级按钮"), gbk("导入/修改班级"));
    importButton->setGeometry(8, 188, 150, 28);
    classList = new ComboBox(classes, gbk("年级班级列表"), ComboBox::Kind::ListOnly, false);
    classList->setGeometry(8, 226, 200, kRowHeight);
    deleteButton = new Button(classes, gbk("删除年级班级按钮"), gbk("删除班级"));
    deleteButton->setGeometry(216, 224, 104, 28);

    QGroupBox* rooms = group(this, "考场分组框", "考场", QRect(346, 8, 606, 262));
    label(rooms, "透明标签3", "每行一个考场：名称,排,列,留空(不留空/隔列/隔座),停用座位(排-列)",
          QRect(8, 20, 590, kRowHeight));
    roomsEdit = new EditBox(rooms, gbk("考场列表编辑框"), gbk(kRoomsHint), EditBox::Lines::Multi);
    roomsEdit->setGeometry(8, 46, 590, 170);
    label(rooms, "透明标签4", "考场数", QRect(8, 226, 48, kRowHeight));
    batchCountEdit = number(rooms, "批量考场数编辑", "30", QRect(58, 226, 44, kRowHeight), 1, 999);
    label(rooms, "透明标签5", "排", QRect(130, 226, 18, kRowHeight));
    batchRowsEdit = number(rooms, "批量排数编辑", "8", QRect(150, 226, 36, kRowHeight), 1, 99);
    label(rooms, "透明标签6", "列", QRect(212, 226, 18, kRowHeight));
    batchColumnsEdit = number(rooms, "批量列数编辑", "5", QRect(232, 226, 36, kRowHeight), 1, 99);
    batchSpacingBox = new ComboBox(rooms, gbk("批量留空列表"), ComboBox::Kind::ListOnly, false);
    batchSpacingBox->setGeometry(296, 226, 90, kRowHeight);
    for (const char* spacing : {"不留空", "隔列", "隔座"}) {
        batchSpacingBox->addItem(gbk(spacing), 0);
    }
    batchSpacingBox->setCurrentIndex(0);
    batchButton = new Button(rooms, gbk("批量生成考场按钮"), gbk("批量生成"));
    batchButton->setGeometry(394, 224, 104, 28);

    QGroupBox* arrangement = group(this, "编排分组框", "编排", QRect(8, 276, 944, 96));
    label(arrangement, "透明标签7", "顺序", QRect(8, 22, 36, kRowHeight));
    orderBox = new ComboBox(arrangement, gbk("编排顺序列表"), ComboBox::Kind::ListOnly, false);
    orderBox->setGeometry(46, 22, 150, kRowHeight);
    for (const char* order : {"全年级随机", "按班级，班内随机", "按班级和姓名"}) {
        orderBox->addItem(gbk(order), 0);
    }
    orderBox->setCurrentIndex(0);
    mixedBox = new CheckBox(arrangement, gbk("同班不相邻复选框"), gbk("同班不相邻"));
    mixedBox->setGeometry(206, 22, 110, kRowHeight);
    mixedBox->setChecked(true);
    label(arrangement, "透明标签8", "考号前缀", QRect(322, 22, 60, kRowHeight));
    prefixEdit = new EditBox(arrangement, gbk("编排考号前缀编辑框"), Text());
    prefixEdit->setGeometry(384, 22, 90, kRowHeight);
    label(arrangement, "透明标签9", "考场位数", QRect(482, 22, 60, kRowHeight));
    roomDigitsEdit = number(arrangement, "考场位数编辑", "2", QRect(544, 22, 30, kRowHeight), 0, 3);
    label(arrangement, "透明标签10", "座号位数", QRect(600, 22, 60, kRowHeight));
    seatDigitsEdit = number(arrangement, "座号位数编辑", "2", QRect(662, 22, 30, kRowHeight), 1, 4);
    label(arrangement, "透明标签11", "考试", QRect(718, 22, 36, kRowHeight));
    examEdit = new EditBox(arrangement, gbk("编排考试编辑框"), Text());
    examEdit->setGeometry(756, 22, 180, kRowHeight);

    arrangeButton = new Button(arrangement, gbk("开始编排按钮"), gbk("开始编排"));
    arrangeButton->setGeometry(8, 56, 110, 30);
    label(arrangement, "透明标签12", "抽签码", QRect(130, 59, 48, kRowHeight));
    codeEdit = new EditBox(arrangement, gbk("编排抽签码编辑"), Text());
    codeEdit->setGeometry(180, 59, 112, kRowHeight);
    reproduceButton = new Button(arrangement, gbk("按码编排按钮"), gbk("按码重现"));
    reproduceButton->setGeometry(298, 57, 90, 28);
    codeLabel = new TransparentLabel(arrangement, gbk("编排抽签码标签"), Text());
    codeLabel->setGeometry(400, 59, 180, kRowHeight);
    fingerprintLabel = new TransparentLabel(arrangement, gbk("编排指纹标签"), Text());
    fingerprintLabel->setGeometry(584, 59, 150, kRowHeight);
    noteLabel = new TransparentLabel(arrangement, gbk("编排说明标签"), Text());
    noteLabel->setGeometry(738, 59, 200, kRowHeight);

    summary = new Grid(this, gbk("编排结果表格"));
    summary->setGeometry(8, 380, 944, 172);

    pdfButton = new Button(this, gbk("导出考场PDF按钮"), gbk("导出考场PDF"));
    pdfButton->setGeometry(608, 560, 110, 30);
    labelsButton = new Button(this, gbk("导出桌贴按钮"), gbk("导出桌贴"));
    labelsButton->setGeometry(726, 560, 110, 30);
    workbookButton = new Button(this, gbk("导出编排Excel按钮"), gbk("导出Excel"));
    workbookButton->setGeometry(844, 560, 108, 30);
    for (Button* button : {pdfButton, labelsButton, workbookButton}) {
        button->setDisabled(true);
    }

    std::vector<QWidget*> order;
    for (Control* c : std::initializer_list<Control*>{
             classNameEdit,   separatorBox,   rosterEdit,     importButton,  classList,
             deleteButton,    roomsEdit,      batchCountEdit, batchRowsEdit, batchColumnsEdit,
             batchSpacingBox, batchButton,    orderBox,       mixedBox,      prefixEdit,
             roomDigitsEdit,  seatDigitsEdit, examEdit,       arrangeButton, codeEdit,
             reproduceButton, summary,        pdfButton,      labelsButton,  workbookButton}) {
        order.push_back(c->widget());
    }
    setVisualTabOrder(order);
    nameControls(*this);
}

}  // namespace exambell
