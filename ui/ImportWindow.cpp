#include "ui/ImportWindow.h"

#include <QLabel>
#include <QPalette>

#include "ui/AccessibleNames.h"
#include "ui/QtText.h"

namespace exambell {
namespace {

constexpr const char* kTitle = "导入配置";
constexpr const char* kPathText = "请选择/拖入配置文件 config.ini";
// Six line breaks push the hint below the choose button that lies over the label.
constexpr const char* kDropHint = "\r\n\r\n\r\n\r\n\r\n\r\n或将config.ini文件拖到这里";

}  // namespace

ImportWindow::ImportWindow(QWidget* owner)
    : Window(owner, gbk("导入配置窗口"), gbk(kTitle), 362, 242),
      fileDialog(gbk("通用对话框1"), this) {
    auto* pathHeading = new TransparentLabel(this, gbk("透明标签1"), gbk("文件路径"));
    pathHeading->setGeometry(10, 12, 52, 24);
    pathEdit = new EditBox(this, gbk("编辑框1"), gbk(kPathText));
    pathEdit->setGeometry(64, 12, 220, 24);
    pathEdit->setShowsEnd();
    QPalette greyGreen = pathEdit->widget()->palette();
    greyGreen.setColor(QPalette::Base, QColor(0xD8, 0xE4, 0xD8));
    pathEdit->widget()->setPalette(greyGreen);
    resetButton = new Button(this, gbk("按钮1"), gbk("恢复出厂"));
    resetButton->setGeometry(290, 10, 64, 28);

    QString hint = toQString(gbk(kDropHint));
    hint.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    dropHint = new QLabel(hint, this);
    dropHint->setObjectName(QStringLiteral("标签1"));
    dropHint->setGeometry(13, 56, 336, 168);
    dropHint->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    dropHint->setFrameShape(QFrame::Box);
    chooseButton = new Button(this, gbk("修改"), gbk("点击选择文件"));
    chooseButton->setGeometry(110, 80, 142, 32);

    dropTarget = new DropTarget(this, gbk("拖放对象1"));
    dropTarget->registerWindow(this);
    nameControls(*this);
}

}  // namespace exambell
