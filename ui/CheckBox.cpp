#include "ui/CheckBox.h"

#include <QCheckBox>
#include <QPushButton>

#include "ui/QtText.h"

namespace exambell {
namespace {

QAbstractButton* makeButton(QWidget* parent, CheckBox::Look look) {
    if (look == CheckBox::Look::PushButton) {
        auto* button = new QPushButton(parent);
        button->setCheckable(true);
        return button;
    }
    return new QCheckBox(parent);
}

}  // namespace

CheckBox::CheckBox(QWidget* parent, const Text& designName, const Text& caption, Look look)
    : Control(makeButton(parent, look), designName, caption.empty()) {
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
