#include "ui/CheckBox.h"

#include <QCheckBox>
#include <QPushButton>

#include "ui/QtText.h"

namespace exambell {
namespace {

// A push-button check box must show at a glance whether it is on: checked it looks pressed in
// (sunken border, text shifted) and green with white text; unchecked it stands out light grey.
// Colours in the style's own units, so they scale with QT_SCALE_FACTOR like everything else.
constexpr const char* kPushLook = R"(
QPushButton {
    color: #1a1a1a;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e2e2e2);
    border: 1px solid #8a8a8a;
    border-radius: 3px;
    padding: 1px 2px 2px 1px;
}
QPushButton:hover { border-color: #3b73b9; }
QPushButton:focus { border: 1px solid #1f5fae; }
QPushButton:checked {
    color: #ffffff;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #16652f, stop:1 #2f9150);
    border: 1px solid #0e4420;
    border-top: 2px solid #0a3018;
    border-left: 2px solid #0a3018;
    padding: 2px 1px 1px 2px;
}
QPushButton:checked:focus { border-color: #0a3018; border-bottom: 1px solid #9cc3ff; border-right: 1px solid #9cc3ff; }
QPushButton:disabled { color: #8a8a8a; }
)";
// What a screen reader adds to the caption.
constexpr const char* kOnDescription = "已选中";
constexpr const char* kOffDescription = "未选中";

QAbstractButton* makeButton(QWidget* parent, CheckBox::Look look) {
    if (look == CheckBox::Look::PushButton) {
        auto* button = new QPushButton(parent);
        button->setCheckable(true);
        button->setStyleSheet(QString::fromUtf8(kPushLook));
        auto describe = [button](bool checked) {
            button->setAccessibleDescription(
                QString::fromUtf8(checked ? kOnDescription : kOffDescription));
        };
        describe(false);
        QObject::connect(button, &QPushButton::toggled, button, describe);
        return button;
    }
    return new QCheckBox(parent);
}

}  // namespace

CheckBox::CheckBox(QWidget* parent, const Text& designName, const Text& caption, Look look)
    : Control(makeButton(parent, look), designName) {
    button()->setText(toQString(caption));
    connect(button(), &QAbstractButton::clicked, this, [this] { Q_EMIT clicked(); });
}

QAbstractButton* CheckBox::button() const {
    return static_cast<QAbstractButton*>(widget());
}

bool CheckBox::checked() const {
    return button()->isChecked();
}

void CheckBox::setChecked(bool checked) {
    button()->setChecked(checked);
}

Text CheckBox::caption() const {
    return fromQString(button()->text());
}

void CheckBox::setCaption(const Text& caption) {
    button()->setText(toQString(caption));
}

}  // namespace exambell
