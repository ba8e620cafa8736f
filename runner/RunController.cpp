#include "runner/RunController.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <array>

#include "runner/CueSchedule.h"
#include "text/Encoding.h"

namespace exambell {

static_assert(kScheduleExamCount == kExamCount && kScheduleCueCount == kCueCount);

namespace {

const Text& confirmStartText() {
    static const Text text = utf8ToGbk("请核对设置是否正确，确认后才可以开始运行");
    return text;
}
const Text& nothingToRunText() {
    static const Text text = utf8ToGbk("本次时间设置无实际作用，请修改");
    return text;
}
const Text& startTooltip() {
    static const Text text = utf8ToGbk("开始运行");
    return text;
}
const Text& pauseTooltip() {
    static const Text text = utf8ToGbk("暂停运行");
    return text;
}

// Day names by the weekday of LocalTime (0 = Sunday).
const Text& dayName(int weekday) {
    static const std::array<Text, 7> names = {
        utf8ToGbk("星期日"), utf8ToGbk("星期一"), utf8ToGbk("星期二"), utf8ToGbk("星期三"),
        utf8ToGbk("星期四"), utf8ToGbk("星期五"), utf8ToGbk("星期六")};
    return names.at(static_cast<std::size_t>(std::clamp(weekday, 0, 6)));
}

// The schedule of a start holds at least one line of more than three bytes.
constexpr std::size_t kShortestSchedule = 4;

}  // namespace

RunController::RunController(MainWindow& window, Clock& clock, Dialogs& dialogs,
                             const AudioOutput& audio, RunOperations operations)
    : window_(window),
      clock_(clock),
      dialogs_(dialogs),
      operations_(std::move(operations)),
      scheduler_(
          clock, audio,
          [this](int cue) {
              if (operations_.playCue) {
                  operations_.playCue(cue);
              }
          },
          [this] { runEnded(); }),
      ticker_(clock, [this] { onClockTick(); }) {
    connect(window_.runButton, &ImageButton::clicked, this, &RunController::toggleRun);
    ticker_.start();
}

RunController::~RunController() = default;

bool RunController::runState() const {
    return window_.runButton->checked();
}

void RunController::setRunState(bool running) {
    window_.runButton->setChecked(running);
}

void RunController::toggleRun() {
    // A request that comes while a sequence is under way (from a tick or a save inside one of its
    // waits) is carried out when that sequence has finished, with runState as it then is.
    if (inToggle_) {
        toggleAgain_ = true;
        return;
    }
    inToggle_ = true;
    do {
        toggleAgain_ = false;
        if (runState()) {
            if (!active_) {
                startRequest();
            }
        } else {
            pauseSequence();
        }
    } while (toggleAgain_);
    inToggle_ = false;
}

void RunController::pauseRun() {
    setRunState(false);
    toggleRun();
}

void RunController::startRequest() {
    ImageButton& button = *window_.runButton;
    if (operations_.checkCueFiles && !operations_.checkCueFiles()) {
        setRunState(false);
        return;
    }
    button.setDisabled(true);
    if (operations_.savedFlag && !operations_.savedFlag()) {
        if (dialogs_.message(confirmStartText(), MessageButtons::YesNo, MessageIcon::None,
                             &window_) != kYes) {
            button.setDisabled(false);
            setRunState(false);
            return;
        }
        if (operations_.saveSettings) {
            operations_.saveSettings();
        }
    }
    if (runState()) {
        startSequence();
    } else {
        pauseSequence();
    }
}

void RunController::startSequence() {
    ImageButton& button = *window_.runButton;
    button.setDisabled(true);
    window_.reminderList->deleteAllRows();
    const Text schedule = cleanScheduleText(deleteLeadingBlanks(buildSchedule()));
    if (schedule.size() < kShortestSchedule) {
        dialogs_.message(nothingToRunText(), MessageButtons::Ok, MessageIcon::None, &window_);
        setRunState(false);
        button.setDisabled(false);
        return;
    }
    if (operations_.saveExamSettings) {
        operations_.saveExamSettings();
    }
    fillReminderList(schedule);
    window_.setWindowWidth(MainWindow::kWideWidth);
    buildPendingCues();
    slideRunButton(MainWindow::kRunButtonRunningLeft);
    window_.clockLabel->setVisible(true);
    button.setDisabled(false);
    button.setTooltip(pauseTooltip());
}

void RunController::pauseSequence() {
    ImageButton& button = *window_.runButton;
    // Cues still waiting for their turn are dropped; what is sounding plays to its end.
    active_ = false;
    scheduler_.stop();
    window_.setWindowWidth(MainWindow::kNarrowWidth);
    button.setTooltip(startTooltip());
    button.setDisabled(true);
    window_.clockLabel->setVisible(false);
    slideRunButton(MainWindow::kRunButtonIdleLeft);
    button.setDisabled(false);
}

void RunController::slideRunButton(int target) {
    ImageButton& button = *window_.runButton;
    const int from = button.left();
    const int direction = target < from ? -1 : 1;
    // The loop moves in whole steps until it has passed the target, then snaps onto it. The
    // position follows the elapsed time (a step per millisecond), so a slow wait does not
    // stretch the slide; every wait processes events, and the tick goes on meanwhile.
    const int steps = (std::abs(target - from) + kSlideStep) / kSlideStep;
    QElapsedTimer elapsed;
    elapsed.start();
    int done = 0;
    while (done < steps) {
        done = std::clamp(static_cast<int>(elapsed.elapsed()), done + 1, steps);
        button.setLeft(from + direction * kSlideStep * done);
        waitOneMillisecond();
    }
    button.setLeft(target);
}

void RunController::waitOneMillisecond() {
    QEventLoop loop;
    QTimer::singleShot(1, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

Text RunController::buildSchedule() {
    ExamSettings exams;
    for (int n = 1; n <= kExamCount; ++n) {
        ExamSetting& e = exams[static_cast<std::size_t>(n - 1)];
        e.enabled = window_.examEnabled[n]->checked();
        e.subject = window_.examSubject[n]->text();
        e.start = window_.examStart[n]->text();
        e.duration = window_.examDuration[n]->text();
    }
    CueSettings cues;
    for (int n = 1; n <= kCueCount; ++n) {
        CueSetting& c = cues[static_cast<std::size_t>(n - 1)];
        c.enabled = window_.cueEnabled[n]->checked();
        c.caption = window_.cueEnabled[n]->caption();
        c.path = window_.cuePath[n]->text();
    }
    const LocalTime now = clock_.now();
    scheduleSecond_ = localEpochSeconds(now);
    runExams_ = exams;
    return exambell::buildSchedule(exams, cues, now.hour * 60 + now.minute);
}

void RunController::fillReminderList(const Text& schedule) {
    ReportList& list = *window_.reminderList;
    for (const ReminderRow& row : reminderRows(schedule)) {
        const int r = list.addRow();
        list.setCell(r, 0, row.number);
        list.setCell(r, 1, row.subject);
        list.setCell(r, 2, row.time);
        list.setCell(r, 3, row.caption);
        list.setCell(r, 4, row.fileName);
    }
}

void RunController::buildPendingCues() {
    const ReportList& list = *window_.reminderList;
    std::vector<ReminderRow> rows;
    for (int r = 0; r < list.rowCount(); ++r) {
        rows.push_back(ReminderRow{list.cell(r, 0), list.cell(r, 1), list.cell(r, 2),
                                   list.cell(r, 3), list.cell(r, 4)});
    }
    CueSettings cues;
    for (int n = 1; n <= kCueCount; ++n) {
        cues[static_cast<std::size_t>(n - 1)].caption = MainWindow::cueCaption(n);
    }
    scheduler_.stop();
    scheduler_.pendingCues().rebuild(rows, cues, scheduleSecond_);
    active_ = true;
}

void RunController::onClockTick() {
    const LocalTime now = clock_.now();
    Text caption = dayName(now.weekday);
    caption += "  ";
    caption += twoDigits(now.hour);
    caption += ':';
    caption += twoDigits(now.minute);
    caption += ':';
    caption += twoDigits(now.second);
    window_.clockLabel->setCaption(caption);
    // Ticks inside the waits of a start that has not built its cues yet play nothing.
    if (!runState() || !active_) {
        return;
    }
    scheduler_.tick(now);
}

void RunController::runEnded() {
    active_ = false;
    pauseRun();
}

}  // namespace exambell
