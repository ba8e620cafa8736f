#include "ui/DisplayWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/QtText.h"
#include "ui/TransparentLabel.h"

namespace exambell {
namespace {

constexpr const char* kWindowName = "考场时钟窗口";
constexpr const char* kTitle = "考场时钟";
constexpr const char* kStartCaption = "开考 ";
constexpr const char* kEndCaption = "    结束 ";

const QColor kBackground(0x0B, 0x1A, 0x2A);
const QColor kText(0xF4, 0xF4, 0xF4);
const QColor kDim(0xC8, 0xD3, 0xDF);
// The last 15 minutes: a warm background and a red count.
const QColor kStretchBackground(0x3A, 0x0E, 0x0E);
const QColor kStretchCount(0xFF, 0x5A, 0x4F);

// Font pixel sizes as a share of the window's height.
constexpr double kTimeShare = 0.26;
constexpr double kSubjectShare = 0.10;
constexpr double kCountShare = 0.09;
constexpr double kLineShare = 0.05;

void setPixelSize(TransparentLabel* label, int pixels, bool bold) {
    QFont font = label->widget()->font();
    font.setPixelSize(std::max(pixels, 8));
    font.setBold(bold);
    label->widget()->setFont(font);
}

void setColour(TransparentLabel* label, const QColor& colour) {
    QPalette p = label->label()->palette();
    p.setColor(QPalette::WindowText, colour);
    label->label()->setPalette(p);
}

}  // namespace

DisplayWindow::DisplayWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(toQString(gbk(kWindowName)));
    setWindowTitle(toQString(gbk(kTitle)));
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    auto add = [&](QBoxLayout* into, const char* name) {
        auto* label = new TransparentLabel(this, gbk(name), Text());
        label->label()->setAlignment(Qt::AlignCenter);
        into->addWidget(label->widget());
        return label;
    };
    dateLabel = add(layout, "日期标签");
    timeLabel = add(layout, "时间标签");
    subjectLabel = add(layout, "科目标签");
    timesLabel = add(layout, "起止时间标签");
    // The phase and its count side by side: "考试中  01:23:45".
    auto* count = new QHBoxLayout;
    count->addStretch(1);
    phaseLabel = add(count, "阶段标签");
    count->addSpacing(40);
    remainingLabel = add(count, "剩余时间标签");
    count->addStretch(1);
    layout->addLayout(count);
    layout->addStretch(1);
    roomsLabel = add(layout, "考场概况行");
    resize(1024, 768);
    applyColours();
}

void DisplayWindow::openOn(QScreen* screen) {
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    // Placed on the screen first: a window goes full screen on the screen it lies on.
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    showFullScreen();
    raise();
    activateWindow();
}

void DisplayWindow::showState(const DisplayState& state) {
    dateLabel->setCaption(state.date + "  " + state.weekday);
    timeLabel->setCaption(state.time);
    const bool exam = state.phase != DisplayPhase::NoExam;
    subjectLabel->setCaption(exam ? state.subject : Text());
    timesLabel->setCaption(exam ? gbk(kStartCaption) + state.start + gbk(kEndCaption) + state.end
                                : Text());
    phaseLabel->setCaption(state.phaseText);
    const bool counting =
        state.phase == DisplayPhase::BeforeStart || state.phase == DisplayPhase::InProgress;
    remainingLabel->setCaption(counting ? state.remaining : Text());
    if (state.lastStretch != lastStretch_) {
        lastStretch_ = state.lastStretch;
        applyColours();
    }
}

void DisplayWindow::showRooms(const Text& summary) {
    roomsLabel->setCaption(summary);
}

void DisplayWindow::applyColours() {
    QPalette p = palette();
    p.setColor(QPalette::Window, lastStretch_ ? kStretchBackground : kBackground);
    setPalette(p);
    for (TransparentLabel* label : {timeLabel, subjectLabel}) {
        setColour(label, kText);
    }
    for (TransparentLabel* label : {dateLabel, timesLabel, roomsLabel}) {
        setColour(label, kDim);
    }
    for (TransparentLabel* label : {phaseLabel, remainingLabel}) {
        setColour(label, lastStretch_ ? kStretchCount : kText);
    }
}

void DisplayWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DisplayWindow::resizeEvent(QResizeEvent* event) {
    const int h = height();
    setPixelSize(timeLabel, static_cast<int>(h * kTimeShare), true);
    setPixelSize(subjectLabel, static_cast<int>(h * kSubjectShare), true);
    setPixelSize(phaseLabel, static_cast<int>(h * kCountShare), true);
    setPixelSize(remainingLabel, static_cast<int>(h * kCountShare), true);
    setPixelSize(dateLabel, static_cast<int>(h * kLineShare), false);
    setPixelSize(timesLabel, static_cast<int>(h * kLineShare), false);
    setPixelSize(roomsLabel, static_cast<int>(h * kLineShare / 2), false);
    QWidget::resizeEvent(event);
}

void DisplayWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT closed();
    QWidget::closeEvent(event);
}

}  // namespace exambell
