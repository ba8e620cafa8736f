#include "ui/AfterFirstPaint.h"

#include <QEvent>
#include <QWidget>

namespace exambell {

AfterFirstPaint::AfterFirstPaint(QWidget& widget, std::function<void()> action, int latest)
    : widget_(widget), action_(std::move(action)) {
    widget_.installEventFilter(this);
    fallback_.setSingleShot(true);
    connect(&fallback_, &QTimer::timeout, this, [this] { runOnce(); });
    fallback_.start(latest);
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && action_) {
        // After the paint has been handled and the window's contents have been flushed.
        QTimer::singleShot(0, this, [this] { runOnce(); });
    }
    return QObject::eventFilter(watched, event);
}

void AfterFirstPaint::runOnce() {
    if (!action_) {
        return;
    }
    widget_.removeEventFilter(this);
    fallback_.stop();
    const std::function<void()> action = std::move(action_);
    action_ = nullptr;
    action();
}

}  // namespace exambell
