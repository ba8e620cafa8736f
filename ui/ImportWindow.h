#pragma once
// The import-settings window of the design ("导入配置", 362 x 242): the chosen file's path, a
// button to choose the file, a drop area and the factory reset. Wrappers as in ui/MainWindow.h.
// The main window opens it modally.

#include "platform/FileDialog.h"
#include "text/Text.h"
#include "ui/Button.h"
#include "ui/DropTarget.h"
#include "ui/EditBox.h"
#include "ui/TransparentLabel.h"
#include "ui/Window.h"

class QLabel;

namespace exambell {

class ImportWindow : public Window {
  public:
    explicit ImportWindow(QWidget* owner);

    EditBox* pathEdit = nullptr;       // 编辑框1: "请选择/拖入配置文件 config.ini"
    Button* resetButton = nullptr;     // 按钮1 "恢复出厂"
    Button* chooseButton = nullptr;    // 修改 "点击选择文件"
    QLabel* dropHint = nullptr;        // 标签1: the drop area's hint
    FileDialog fileDialog;             // 通用对话框1
    DropTarget* dropTarget = nullptr;  // 拖放对象1, registered on the whole window
};

}  // namespace exambell
