#include "app/RunSafeguards.h"

#include <QWidget>

#include "schedule/PreRunCheck.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"

namespace exambell {

namespace {

const Text& noDeviceStatus() {
    static const Text text = utf8ToGbk("没有音频设备，提醒无法播放");
    return text;
}
const Text& noInhibitorStatus() {
    static const Text text = utf8ToGbk("无法阻止电脑休眠，请关闭自动休眠");
    return text;
}
const Text& statusSeparator() {
    static const Text text = utf8ToGbk("；");
    return text;
}
const Text& inhibitReason() {
    static const Text text = utf8ToGbk("考试提醒运行中");
    return text;
}
const Text& closeDuringRunText() {
    static const Text text = utf8ToGbk("考试提醒正在运行，关闭窗口将停止运行。确定要关闭吗？");
    return text;
}

// No service to ask: the clock's state is unknown, which is no problem.
class UnknownClockSync : public ClockSync {
  public:
    void query(Answer answer) override { answer(ClockSyncState::Unknown); }
};

}  // namespace

RunSafeguards::RunSafeguards(MainWindow& window, Dialogs& dialogs, AudioOutput& audio,
                             ClockSync* clockSync, Inhibitor* inhibitor)
    : window_(window),
      dialogs_(dialogs),
      audio_(audio),
      clockSync_(clockSync),
      inhibitor_(inhibitor) {
    audio_.setDeviceHandler([this](bool open) {
        deviceTold_ = open;
        showStatus();
    });
    if (inhibitor_ != nullptr) {
        inhibitor_->setStateHandler([this](InhibitState) { showStatus(); });
    }
    showStatus();
}

RunSafeguards::~RunSafeguards() {
    audio_.setDeviceHandler({});
    if (inhibitor_ != nullptr) {
        inhibitor_->release();
        inhibitor_->setStateHandler({});
    }
}

bool RunSafeguards::checkBeforeRun() {
    const std::vector<RunProblem> problems = problemsBeforeRun();
    if (problems.empty()) {
        return true;
    }
    return dialogs_.message(runProblemsMessage(problems), MessageButtons::YesNo, MessageIcon::None,
                            &window_) == kYes;
}

std::vector<RunProblem> RunSafeguards::problemsBeforeRun() {
    std::vector<CueFileToCheck> cues;
    for (int n = 1; n <= kCueCount; ++n) {
        if (window_.cueEnabled[n]->checked()) {
            cues.push_back(
                CueFileToCheck{window_.cueEnabled[n]->caption(), window_.cuePath[n]->text()});
        }
    }
    UnknownClockSync unknown;
    PreRunCheck check(audio_, clockSync_ != nullptr ? *clockSync_ : unknown);
    std::vector<RunProblem> problems = check.run(cues);
    showStatus();
    return problems;
}

void RunSafeguards::runActiveChanged(bool active) {
    runActive_ = active;
    if (inhibitor_ != nullptr) {
        if (active) {
            inhibitor_->hold(inhibitReason());
        } else {
            inhibitor_->release();
        }
    }
    showStatus();
}

bool RunSafeguards::confirmCloseDuringRun() {
    return dialogs_.message(closeDuringRunText(), MessageButtons::YesNo, MessageIcon::None,
                            &window_) == kYes;
}

void RunSafeguards::showStatus() {
    Text status;
    // While an attempt is under way the device counts as missing if the output last said so: a
    // retry (before a play, at a run's end) must not blank the line until it has succeeded.
    const bool toldMissing = deviceTold_.has_value() && !*deviceTold_;
    if (!audio_.isDeviceOpen() && (!audio_.isDeviceOpening() || toldMissing)) {
        status = noDeviceStatus();
    }
    const bool noInhibitor =
        inhibitor_ == nullptr || inhibitor_->state() == InhibitState::Unavailable;
    if (runActive_ && noInhibitor) {
        if (!status.empty()) {
            status += statusSeparator();
        }
        status += noInhibitorStatus();
    }
    if (!settingsNote_.empty()) {
        if (!status.empty()) {
            status += statusSeparator();
        }
        status += settingsNote_;
    }
    window_.statusLabel->setCaption(status);
    // A long folder name may not fit the line: the whole text shows under the pointer.
    window_.statusLabel->widget()->setToolTip(toQString(status));
}

void RunSafeguards::setSettingsNote(const Text& note) {
    settingsNote_ = note;
    showStatus();
}

}  // namespace exambell
