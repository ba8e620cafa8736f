#include "ui/SpinBox.h"

#include <QSpinBox>

#include "ui/QtText.h"

namespace exambell {

SpinBox::SpinBox(QWidget* parent, const Text& designName, int minimum, int maximum, int initial)
    : Control(new QSpinBox(parent), designName) {
    QSpinBox* box = spinBox();
    box->setRange(minimum, maximum);
    box->setValue(initial);
    box->setAlignment(Qt::AlignCenter);
    // The value is read when it is used, not on every key.
    box->setKeyboardTracking(false);
}

QSpinBox* SpinBox::spinBox() const {
    return static_cast<QSpinBox*>(widget());
}

std::optional<int> SpinBox::value() const {
    const QSpinBox* box = spinBox();
    if (!box->hasAcceptableInput()) {
        return std::nullopt;
    }
    bool ok = false;
    const int typed = box->cleanText().toInt(&ok);
    if (!ok || typed < box->minimum() || typed > box->maximum()) {
        return std::nullopt;
    }
    return typed;
}

void SpinBox::setValue(int value) {
    spinBox()->setValue(value);
}

Text SpinBox::text() const {
    return fromQString(spinBox()->cleanText());
}

}  // namespace exambell
