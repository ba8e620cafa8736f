#include "app/ImportWindowBinder.h"

#include "ui/ImportWindow.h"

namespace exambell {

ImportWindowBinder::ImportWindowBinder(ImportWindow& window, Dialogs& dialogs, Text startFolder,
                                       Text configPath, std::function<void()> startUp)
    : QObject(&window),
      view_(window),
      settings_(view_, dialogs, std::move(startFolder), std::move(configPath), std::move(startUp)) {
    // 修改 "点击选择文件", then the import when the name is right.
    connect(window.chooseButton, &Button::clicked, this, [this] { settings_.chooseImportFile(); });
    // 按钮1 "恢复出厂".
    connect(window.resetButton, &Button::clicked, this, [this] { settings_.factoryReset(); });
    // 拖放对象1: files dropped anywhere on the window.
    connect(window.dropTarget, &DropTarget::filesDropped, this,
            [this](const Text& names) { settings_.takeDroppedFile(names); });
}

}  // namespace exambell
