// The floor of the start-up benchmark: a bare Qt window showing one Chinese label, linked with
// Qt Widgets only. Writes "shown" once the label has painted, then ends at once.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            QTimer::singleShot(0, [] {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QLabel label(QStringLiteral("考铃"));
    FirstPaint paint;
    label.installEventFilter(&paint);
    label.show();
    return QApplication::exec();
}
