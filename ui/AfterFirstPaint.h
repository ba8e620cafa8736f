#pragma once
// Runs an action once, right after a widget has been painted for the first time: for work that
// can wait until the window is on the screen. If no paint comes (a window that starts hidden or
// minimised), the action runs after `latest` milliseconds all the same.

#include <QObject>
#include <QTimer>
#include <functional>

class QWidget;

namespace exambell {

class AfterFirstPaint : public QObject {
  public:
    AfterFirstPaint(QWidget& widget, std::function<void()> action, int latest = 2000);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void runOnce();

    QWidget& widget_;
    std::function<void()> action_;
    QTimer fallback_;
};

}  // namespace exambell
