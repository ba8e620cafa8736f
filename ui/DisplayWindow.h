#pragma once
// The exam-room clock, full screen on the screen the operator chose (a projector, a second
// monitor): the time very large, the date and weekday, and for the exam it shows its subject,
// start and end, its phase and the time left or until the start. The last 15 minutes stand out.
// Every line fits the window: a text too wide for it (a long subject) is shown smaller, and the
// window never grows past its screen.
// Esc closes it. It draws what it is given; the tick that feeds it lives elsewhere.

#include <QWidget>

#include "display/DisplayState.h"

class QScreen;

namespace exambell {

class TransparentLabel;

class DisplayWindow : public QWidget {
    Q_OBJECT
  public:
    explicit DisplayWindow(QWidget* owner = nullptr);

    // Full screen on that screen (nullptr: the primary one).
    void openOn(QScreen* screen);
    void showState(const DisplayState& state);
    bool lastStretchShown() const { return lastStretch_; }

    TransparentLabel* dateLabel = nullptr;       // 日期标签: date and weekday
    TransparentLabel* timeLabel = nullptr;       // 时间标签: HH:MM:SS
    TransparentLabel* subjectLabel = nullptr;    // 科目标签
    TransparentLabel* timesLabel = nullptr;      // 起止时间标签: "开考 09:00  结束 11:00"
    TransparentLabel* phaseLabel = nullptr;      // 阶段标签: 距开考 / 考试中 / 已结束
    TransparentLabel* remainingLabel = nullptr;  // 剩余时间标签: HH:MM:SS
    // 考场概况行: the room pages in one line ("在线 3 个考场，失去联系 1 个"), or nothing.
    TransparentLabel* roomsLabel = nullptr;
    void showRooms(const Text& summary);

  Q_SIGNALS:
    void closed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void applyColours();
    // Each line at its share of the height, smaller when its text is wider than the window.
    void fitFonts();
    bool lastStretch_ = false;
};

}  // namespace exambell
