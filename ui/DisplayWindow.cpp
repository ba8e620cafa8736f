#include "ui/DisplayWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

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

// Font pixel sizes as a share of the window's height: the largest a line is shown at.
constexpr double kTimeShare = 0.26;
constexpr double kSubjectShare = 0.10;
constexpr double kCountShare = 0.09;
constexpr double kLineShare = 0.05;
// Share of the window's width a line may take.
constexpr double kWidthShare = 0.94;
constexpr int kCountSpacing = 40;
constexpr int kSmallestPixels = 8;

QFont fontOf(TransparentLabel* label, int pixels, bool bold) {
    QFont font = label->widget()->font();
    font.setPixelSize(std::max(pixels, kSmallestPixels));
    font.setBold(bold);
    return font;
}

// The largest pixel size up to `pixels` at which the texts, side by side with `spacing` between
// them, are no wider than `room`.
int fittingPixels(const std::vector<TransparentLabel*>& labels, int pixels, bool bold, int room,
                  int spacing) {
    auto wide = [&](int size) {
        int sum = spacing * (static_cast<int>(labels.size()) - 1);
        for (TransparentLabel* label : labels) {
            sum +=
                QFontMetrics(fontOf(label, size, bold)).horizontalAdvance(label->label()->text());
        }
        return sum;
    };
    // Text width grows about in proportion to the size: scale once, then step down the rest.
    const int first = wide(pixels);
    if (first > room && first > 0) {
        pixels = static_cast<int>(static_cast<double>(pixels) * room / first);
    }
    while (pixels > kSmallestPixels && wide(pixels) > room) {
        --pixels;
    }
    return std::max(pixels, kSmallestPixels);
}

void setPixelSize(TransparentLabel* label, int pixels, bool bold) {
    const QFont font = fontOf(label, pixels, bold);
    if (label->widget()->font() != font) {
        label->widget()->setFont(font);
    }
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
    // A long text never widens the window (past the screen): the font shrinks instead. The
    // phase and its count keep the width of their texts, which their fitting keeps within the
    // window, so that the stretches beside them centre the pair.
    auto fullWidth = [&](const char* name) {
        TransparentLabel* label = add(layout, name);
        label->widget()->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        return label;
    };
    dateLabel = fullWidth("日期标签");
    timeLabel = fullWidth("时间标签");
    subjectLabel = fullWidth("科目标签");
    timesLabel = fullWidth("起止时间标签");
    // The phase and its count side by side: "考试中  01:23:45".
    auto* count = new QHBoxLayout;
    count->addStretch(1);
    phaseLabel = add(count, "阶段标签");
    count->addSpacing(kCountSpacing);
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
    fitFonts();
}

void DisplayWindow::fitFonts() {
    const int h = height();
    const int room = static_cast<int>(width() * kWidthShare);
    auto fit = [&](TransparentLabel* label, double share, bool bold) {
        const int pixels = static_cast<int>(h * share);
        setPixelSize(label, fittingPixels({label}, pixels, bold, room, 0), bold);
    };
    fit(timeLabel, kTimeShare, true);
    fit(subjectLabel, kSubjectShare, true);
    fit(dateLabel, kLineShare, false);
    fit(timesLabel, kLineShare, false);
    // The phase and its count share one size, side by side.
    const int count = fittingPixels({phaseLabel, remainingLabel}, static_cast<int>(h * kCountShare),
                                    true, room, kCountSpacing);
    setPixelSize(phaseLabel, count, true);
    setPixelSize(remainingLabel, count, true);
    fit(roomsLabel, kLineShare / 2, false);
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
    fitFonts();
    QWidget::resizeEvent(event);
}

void DisplayWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT closed();
    QWidget::closeEvent(event);
}

}  // namespace exambell
