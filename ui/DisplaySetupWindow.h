#pragma once
// The window that opens the exam-room clock: which screen it fills, and whether the same clock
// is offered as a web page on the school's network, with the address to type in a classroom and
// its QR code. Opened from the main window's 考场时钟按钮; not modal.

#include <QList>

#include "text/Text.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/EditBox.h"
#include "ui/PictureBox.h"
#include "ui/TransparentLabel.h"
#include "ui/Window.h"

class QScreen;

namespace exambell {

class DisplaySetupWindow : public Window {
    Q_OBJECT
  public:
    explicit DisplaySetupWindow(QWidget* owner = nullptr);

    // The screen chosen in 屏幕列表 (the list is filled from the screens at hand), or nullptr.
    QScreen* chosenScreen() const;
    // Refills the list of screens, keeping the choice when that screen is still there.
    void refreshScreens();

    // The address a classroom types (UTF-8, ASCII in practice), shown with its QR code; empty:
    // the page is off, nothing shown.
    void showAddress(const std::string& address);
    // A line under the code: why the page could not be switched on, or "" for none.
    void showServerMessage(const Text& message);

    ComboBox* screenList = nullptr;            // 屏幕列表
    Button* openButton = nullptr;              // 全屏显示按钮 "全屏显示"
    CheckBox* serveCheck = nullptr;            // 网页开关 "在校园网上提供网页"
    EditBox* portEdit = nullptr;               // 端口编辑: digits only
    TransparentLabel* addressLabel = nullptr;  // 网页地址标签
    PictureBox* qrCode = nullptr;              // 二维码
    TransparentLabel* messageLabel = nullptr;  // 网页提示标签
    Button* roomsButton = nullptr;  // 考场状态按钮 "考场状态": the room pages seen

  private:
    QList<QScreen*> screens_;
};

}  // namespace exambell
