#include "ui/Control.h"

#include <QWidget>

#include "ui/QtText.h"

namespace exambell {

Control::Control(QWidget* widget, const Text& designName) : QObject(widget), widget_(widget) {
    widget_->setObjectName(toQString(designName));
}

Text Control::designName() const {
    return fromQString(widget_->objectName());
}

bool Control::visible() const {
    QWidget* parent = widget_->parentWidget();
    return parent ? widget_->isVisibleTo(parent) : !widget_->isHidden();
}

void Control::setVisible(bool visible) {
    widget_->setVisible(visible);
}

bool Control::disabled() const {
    return widget_->testAttribute(Qt::WA_ForceDisabled);
}

void Control::setDisabled(bool disabled) {
    widget_->setDisabled(disabled);
}

int Control::left() const {
    return widget_->x();
}

int Control::top() const {
    return widget_->y();
}

int Control::width() const {
    return widget_->width();
}

int Control::height() const {
    return widget_->height();
}

void Control::setLeft(int left) {
    widget_->move(left, widget_->y());
}

void Control::setGeometry(int left, int top, int width, int height) {
    widget_->setGeometry(left, top, width, height);
}

void Control::setFocus() {
    widget_->setFocus(Qt::OtherFocusReason);
}

bool Control::hasFocus() const {
    return widget_->hasFocus();
}

void Control::setAccessibleName(const QString& name) {
    widget_->setAccessibleName(name);
}

}  // namespace exambell
