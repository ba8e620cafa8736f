#include "runner/RunController.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <array>

#include "runner/CueSchedule.h"
#include "settings/SettingsFile.h"
#include "text/Encoding.h"

namespace exambell {

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

const Text& shiftRangeText() {
    static const Text text = utf8ToGbk("平移的分钟数须在-720到720之间");
    return text;
}

// A shift refused because the start would move into the day before.
Text shiftDayBeforeText(const Text& start) {
    static const Text head = utf8ToGbk("平移后开考时间（");
    static const Text tail = utf8ToGbk("）已在前一天，未平移；请改小平移的分钟数");
    return head + start + tail;
}

// What a shift applied, in the note beside the list: "已平移：数学 +10分钟，开考 09:10，结束
// 10:10", with "按新开考时间 09:30 " before the minutes when a typed start was moved, and
// "；2项提醒的时间已过，标为错过" when cues fell behind.
Text shiftAppliedText(const Text& subject, int minutes, const ExamRun::Shift& shift) {
    static const Text head = utf8ToGbk("已平移：");
    static const Text fromTyped = utf8ToGbk("按新开考时间 ");
    static const Text unit = utf8ToGbk("分钟，开考 ");
    static const Text endWord = utf8ToGbk("，结束 ");
    static const Text behindHead = utf8ToGbk("；");
    static const Text behindTail = utf8ToGbk("项提醒的时间已过，标为错过");
    Text out = head + subject + ' ';
    if (shift.fromTyped) {
        out += fromTyped + shift.from + ' ';
    }
    out += (minutes >= 0 ? Text("+") : Text()) + toText(minutes) + unit + shift.start + endWord +
           shift.end;
    if (shift.behind > 0) {
        out += behindHead + toText(shift.behind) + behindTail;
    }
    return out;
}

// The schedule of a start holds at least one line of more than three bytes.
constexpr std::size_t kShortestSchedule = 4;

}  // namespace

RunController::RunController(RunView& view, SettingsForm& rows, Clock& clock, Dialogs& dialogs,
                             const AudioOutput& audio, RunOperations operations,
                             RunProgressView* progress)
    : view_(view),
      rows_(rows),
      clock_(clock),
      dialogs_(dialogs),
      operations_(std::move(operations)),
      progressView_(progress),
      progress_(progress ? std::make_unique<RunProgressPresenter>(*progress) : nullptr),
      run_(
          clock, audio,
          [this](int cue) {
              if (operations_.playCue) {
                  operations_.playCue(cue);
              }
          },
          [this] { runEnded(); }, progress_.get()),
      ticker_(clock, [this] { onClockTick(); }) {
    run_.setChanged([this] {
        if (progress_) {
            progress_->showMarks(run_);
        }
    });
    if (progress_) {
        progress_->clear();
    }
    ticker_.start();
}

RunController::~RunController() = default;

bool RunController::runState() const {
    return view_.runChecked();
}

void RunController::setRunState(bool running) {
    view_.setRunChecked(running);
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
    if (operations_.checkCueFiles && !operations_.checkCueFiles()) {
        setRunState(false);
        return;
    }
    view_.setRunEnabled(false);
    if (operations_.checkBeforeRun && !operations_.checkBeforeRun()) {
        view_.setRunEnabled(true);
        setRunState(false);
        return;
    }
    if (operations_.savedFlag && !operations_.savedFlag()) {
        if (dialogs_.message(confirmStartText(), MessageButtons::YesNo, MessageIcon::None,
                             view_.dialogOwner()) != kYes) {
            view_.setRunEnabled(true);
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
    view_.setRunEnabled(false);
    view_.clearReminders();
    const Text schedule = cleanScheduleText(deleteLeadingBlanks(buildSchedule()));
    if (schedule.size() < kShortestSchedule) {
        dialogs_.message(nothingToRunText(), MessageButtons::Ok, MessageIcon::None,
                         view_.dialogOwner());
        setRunState(false);
        view_.setRunEnabled(true);
        return;
    }
    if (operations_.saveExamSettings) {
        operations_.saveExamSettings();
    }
    fillReminderList(schedule);
    view_.setWide(true);
    buildPendingCues();
    if (operations_.runActiveChanged) {
        operations_.runActiveChanged(true);
    }
    slideRunButton(view_.runButtonRestingLeft(true));
    view_.setClockVisible(true);
    view_.setRunEnabled(true);
    view_.setRunTooltip(pauseTooltip());
}

void RunController::pauseSequence() {
    // Cues still waiting for their turn are dropped; what is sounding plays to its end.
    active_ = false;
    run_.stop();
    if (progress_) {
        progress_->clear();
    }
    if (operations_.runActiveChanged) {
        operations_.runActiveChanged(false);
    }
    view_.setWide(false);
    view_.setRunTooltip(startTooltip());
    view_.setRunEnabled(false);
    view_.setClockVisible(false);
    slideRunButton(view_.runButtonRestingLeft(false));
    view_.setRunEnabled(true);
}

void RunController::slideRunButton(int target) {
    const int from = view_.runButtonLeft();
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
        view_.setRunButtonLeft(from + direction * kSlideStep * done);
        waitOneMillisecond();
    }
    view_.setRunButtonLeft(target);
}

void RunController::waitOneMillisecond() {
    QEventLoop loop;
    QTimer::singleShot(1, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

Text RunController::buildSchedule() {
    return run_.plan(rows_.exams(), rows_.cues(), clock_.now());
}

void RunController::fillReminderList(const Text& schedule) {
    for (const ReminderRow& row : reminderRows(schedule)) {
        view_.addReminder(row);
    }
    if (progress_) {
        progress_->forgetMarks();
    }
}

void RunController::buildPendingCues() {
    // The rows of the list are the rows of the plan (fillReminderList made them from its text).
    run_.begin();
    active_ = true;
    if (progress_) {
        const LocalTime now = clock_.now();
        const ExamSettings exams = rows_.exams();
        progress_->showMarks(run_);
        progress_->showCountdown(run_, now);
        progress_->showShiftChoices(run_, exams);
        progress_->showEdits(run_, exams, rows_.cues());
    }
}

void RunController::showRows() {
    view_.clearReminders();
    for (const RunRow& r : run_.rows()) {
        view_.addReminder(r.row);
    }
    if (progress_) {
        progress_->forgetMarks();
        progress_->showMarks(run_);
    }
}

bool RunController::shiftExam(int exam, int minutes) {
    if (!active_ || exam < 1 || exam > kExamCount) {
        return false;
    }
    ExamSettings exams = rows_.exams();
    ExamSetting& moved = exams[static_cast<std::size_t>(exam - 1)];
    const LocalTime now = clock_.now();
    const ExamRun::Shift shift = run_.shiftExam(exam, minutes, moved, rows_.cues(), now);
    if (!shift.done) {
        if (shift.refusal == ExamRun::ShiftRefusal::DayBefore) {
            dialogs_.message(shiftDayBeforeText(shift.start), MessageButtons::Ok, MessageIcon::None,
                             view_.dialogOwner());
        }
        return false;
    }
    // The start box keeps the new time, so a save writes it.
    moved.start = shift.start;
    rows_.setExams(exams);
    rows_.setExamEnd(
        exam, endTimeCaption(toInteger(shift.start.substr(0, 2)),
                             toInteger(shift.start.substr(3, 2)), toInteger(moved.duration)));
    showRows();
    if (progress_) {
        progress_->setShiftNote(shiftAppliedText(moved.subject, minutes, shift));
        progress_->showCountdown(run_, now);
        progress_->showEdits(run_, exams, rows_.cues());
    }
    return true;
}

void RunController::shiftChosenExam() {
    if (progressView_ == nullptr || !active_) {
        return;
    }
    const std::optional<int> minutes = progressView_->shiftMinutes();
    if (!minutes || *minutes < -kMaxShiftMinutes || *minutes > kMaxShiftMinutes) {
        dialogs_.message(shiftRangeText(), MessageButtons::Ok, MessageIcon::None,
                         view_.dialogOwner());
        return;
    }
    shiftExam(progressView_->shiftChoice(), *minutes);
}

void RunController::noticeDismissed() {
    if (!runState()) {
        view_.setWide(false);
    }
}

void RunController::noteEdits() {
    if (progress_) {
        progress_->showEdits(run_, rows_.exams(), rows_.cues());
    }
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
    view_.setClockCaption(caption);
    // Ticks inside the waits of a start that has not built its cues yet play nothing.
    if (!runState() || !active_) {
        return;
    }
    run_.tick(now);
    if (progress_ && active_) {
        progress_->showMarks(run_);
        progress_->showCountdown(run_, now);
        noteEdits();
    }
}

void RunController::runEnded() {
    active_ = false;
    pauseRun();
}

}  // namespace exambell
