#include "ui/Window.h"

#include <QCloseEvent>

#include "ui/QtText.h"

namespace exambell {

Window::Window(QWidget* owner, const Text& designName, const Text& title, int width, int height)
    : QWidget(owner, Qt::Window) {
    setObjectName(toQString(designName));
    setWindowTitle(toQString(title));
    setFixedSize(width, height);
}

void Window::setWindowWidth(int width) {
    setFixedWidth(width);
}

void Window::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    Q_EMIT closing();
    QWidget::closeEvent(event);
}

}  // namespace exambell
