#include "ui/DisplaySetupWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>

#include "ui/AccessibleNames.h"
#include "ui/QrCodeImage.h"
#include "ui/QtText.h"

namespace exambell {
namespace {

constexpr const char* kWindowName = "考场时钟设置窗口";
constexpr const char* kTitle = "考场时钟";
constexpr const char* kScreenCaption = "显示在";
constexpr const char* kOpenCaption = "全屏显示";
constexpr const char* kServeCaption = "在校园网上提供网页";
constexpr const char* kPortCaption = "端口";
constexpr const char* kAddressIntro = "在教室电脑的浏览器中输入：";
constexpr int kPortTypingLimit = 5;
constexpr int kQrModulePixels = 4;
constexpr int kWidth = 380;
constexpr int kHeight = 372;
// The message line under the code: three lines of the window's font fit; a longer message makes
// the window taller rather than lose its first or last line.
constexpr int kMessageTop = 308;
constexpr int kMessageHeight = 58;
constexpr int kBottomMargin = 6;

Text screenName(QScreen* screen, int n) {
    const QRect g = screen->geometry();
    return gbk("屏幕 ") + toText(n) + "  " + fromQString(screen->name()) + "  " +
           toText(g.width()) + "x" + toText(g.height());
}

}  // namespace

DisplaySetupWindow::DisplaySetupWindow(QWidget* owner)
    : Window(owner, gbk(kWindowName), gbk(kTitle), kWidth, kHeight) {
    auto* screenCaption = new TransparentLabel(this, gbk("透明标签1"), gbk(kScreenCaption));
    screenCaption->setGeometry(12, 12, 56, 22);
    screenList = new ComboBox(this, gbk("屏幕列表"), ComboBox::Kind::ListOnly, false);
    screenList->setGeometry(70, 10, 200, 26);
    openButton = new Button(this, gbk("全屏显示按钮"), gbk(kOpenCaption));
    openButton->setGeometry(280, 9, 88, 28);

    serveCheck = new CheckBox(this, gbk("网页开关"), gbk(kServeCaption));
    serveCheck->setGeometry(12, 48, 220, 24);
    auto* portCaption = new TransparentLabel(this, gbk("透明标签2"), gbk(kPortCaption));
    portCaption->setGeometry(240, 50, 36, 22);
    portEdit = new EditBox(this, gbk("端口编辑"), gbk("8787"));
    portEdit->setGeometry(280, 48, 88, 24);
    portEdit->setDigitsOnly(true);
    portEdit->setTypingLimit(kPortTypingLimit);

    addressLabel = new TransparentLabel(this, gbk("网页地址标签"), Text());
    addressLabel->setGeometry(12, 80, 356, 44);
    addressLabel->label()->setAlignment(Qt::AlignCenter);
    addressLabel->label()->setTextInteractionFlags(Qt::TextSelectableByMouse);
    qrCode = new PictureBox(this, gbk("二维码"));
    qrCode->setGeometry(100, 126, 180, 180);
    qrCode->label()->setAlignment(Qt::AlignCenter);
    qrCode->setVisible(false);
    // Left of the QR code, where no other control lies.
    roomsButton = new Button(this, gbk("考场状态按钮"), gbk("考场状态"));
    roomsButton->setGeometry(12, 126, 80, 28);
    messageLabel = new TransparentLabel(this, gbk("网页提示标签"), Text());
    messageLabel->setGeometry(12, kMessageTop, 356, kMessageHeight);
    messageLabel->label()->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    messageLabel->label()->setWordWrap(true);
    refreshScreens();
    nameControls(*this);
}

void DisplaySetupWindow::refreshScreens() {
    QScreen* chosen = chosenScreen();
    screens_ = QGuiApplication::screens();
    screenList->clear();
    int keep = 0;
    for (int i = 0; i < screens_.size(); ++i) {
        screenList->addItem(screenName(screens_[i], i + 1), i);
        if (screens_[i] == chosen) {
            keep = i;
        }
    }
    // A second screen (the projector) is the likely choice when there is one.
    if (!chosen && screens_.size() > 1) {
        keep = 1;
    }
    if (!screens_.isEmpty()) {
        screenList->setCurrentIndex(keep);
    }
}

QScreen* DisplaySetupWindow::chosenScreen() const {
    const int i = screenList ? screenList->currentIndex() : -1;
    if (i < 0 || i >= screens_.size()) {
        return nullptr;
    }
    QScreen* screen = screens_[i];
    return QGuiApplication::screens().contains(screen) ? screen : nullptr;
}

void DisplaySetupWindow::showAddress(const std::string& address) {
    if (address.empty()) {
        addressLabel->setCaption(Text());
        qrCode->setVisible(false);
        return;
    }
    addressLabel->setCaption(gbk(kAddressIntro) + "\r\n" + address);
    qrCode->setPicture(qrCodeImage(address, kQrModulePixels));
    qrCode->setVisible(true);
}

void DisplaySetupWindow::showServerMessage(const Text& message) {
    messageLabel->setCaption(message);
    QLabel* label = messageLabel->label();
    const int height = std::max(kMessageHeight, label->heightForWidth(label->width()));
    if (height != label->height()) {
        messageLabel->setGeometry(12, kMessageTop, 356, height);
        setFixedSize(kWidth, std::max(kHeight, kMessageTop + height + kBottomMargin));
    }
}

}  // namespace exambell
