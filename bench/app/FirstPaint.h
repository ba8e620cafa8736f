#pragma once
// What the start-up benchmark's children share: the line a child writes once its window has
// painted for the first time, and the floor's window, a bare Qt window showing one Chinese label.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace exambell::bench {

// Writes "shown" after the first paint and ends the process at once (what comes after is not
// timed); `before` runs first.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(void (*before)() = nullptr) : before_(before) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [before = before_] {
                if (before != nullptr) {
                    before();
                }
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    void (*before_)();
    bool seen_ = false;
};

inline int runBareWindow(int argc, char** argv) {
    QApplication qt(argc, argv);
    QLabel label(QStringLiteral("考铃"));
    FirstPaint paint;
    label.installEventFilter(&paint);
    label.show();
    return QApplication::exec();
}

}  // namespace exambell::bench
