#include "ui/Window.h"

#include <QCloseEvent>
#include <QResizeEvent>

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

void Window::setVisualTabOrder(const std::vector<QWidget*>& order) {
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void Window::bringForward() {
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void Window::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The focus policy a control had before it left the window.
    static constexpr const char* kOwnPolicy = "exambellFocusPolicy";
    static constexpr int kShownAtLeast = 8;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QVariant own = child->property(kOwnPolicy);
        // The reminder list keeps one pixel column inside the narrow main window.
        if (child->geometry().intersected(rect()).width() < kShownAtLeast) {
            if (!own.isValid() && child->focusPolicy() != Qt::NoFocus) {
                child->setProperty(kOwnPolicy, static_cast<int>(child->focusPolicy()));
                child->setFocusPolicy(Qt::NoFocus);
            }
        } else if (own.isValid()) {
            child->setFocusPolicy(static_cast<Qt::FocusPolicy>(own.toInt()));
            child->setProperty(kOwnPolicy, QVariant());
        }
    }
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
