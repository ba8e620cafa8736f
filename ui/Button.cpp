#include "ui/Button.h"

#include <QPushButton>

#include "ui/QtText.h"

namespace exambell {

Button::Button(QWidget* parent, const Text& designName, const Text& caption)
    : Control(new QPushButton(toQString(caption), parent), designName) {
    button()->setAutoDefault(false);
    connect(button(), &QPushButton::clicked, this, [this] { Q_EMIT clicked(); });
}

QPushButton* Button::button() const {
    return static_cast<QPushButton*>(widget());
}

Text Button::caption() const {
    return fromQString(button()->text());
}

}  // namespace exambell
