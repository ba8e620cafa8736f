#include "runner/CueScheduler.h"

#include <iterator>
#include <utility>

namespace exambell {

CueScheduler::CueScheduler(Clock& clock, const AudioOutput& audio, PlayCue playCue,
                           Finished finished)
    : clock_(clock), audio_(audio), playCue_(std::move(playCue)), finished_(std::move(finished)) {}

CueScheduler::~CueScheduler() {
    stop();
}

void CueScheduler::tick(const LocalTime& now) {
    PendingCues::Due due = pending_.takeDue(localEpochSeconds(now), kCatchUpSeconds);
    missed_ += due.missed;
    if (!due.missedRows.empty() && dropped_) {
        dropped_(due.missedRows);
    }
    if (!due.plays.empty()) {
        // A cue that falls due sounds at its second, cutting off whatever plays; the others of
        // its second queue behind those already waiting.
        PendingCues::DueCue first = std::move(due.plays.front());
        waiting_.insert(waiting_.end(), std::make_move_iterator(due.plays.begin() + 1),
                        std::make_move_iterator(due.plays.end()));
        play(first);
    }
    finishIfDone();
}

void CueScheduler::stop() {
    waiting_.clear();
    if (polling_) {
        clock_.cancel(pollTimer_);
        polling_ = false;
    }
}

std::vector<int> CueScheduler::waitingRows() const {
    std::vector<int> rows;
    for (const PendingCues::DueCue& w : waiting_) {
        rows.insert(rows.end(), w.rows.begin(), w.rows.end());
    }
    return rows;
}

void CueScheduler::play(const PendingCues::DueCue& cue) {
    waitingSince_ = clock_.tickCount();
    if (starting_) {
        starting_(cue.cue, cue.rows, cue.dueSecond);
    }
    playCue_(cue.cue);
    if (!waiting_.empty()) {
        armPoll();
    }
}

void CueScheduler::armPoll() {
    if (polling_) {
        return;
    }
    polling_ = true;
    pollTimer_ =
        clock_.callAt(clock_.wallMilliseconds() + kIdlePollMilliseconds, [this] { poll(); });
}

void CueScheduler::poll() {
    polling_ = false;
    if (waiting_.empty()) {
        return;
    }
    if (audio_.isIdle() || clock_.tickCount() - waitingSince_ >= kMaxIdleWaitMilliseconds) {
        PendingCues::DueCue cue = std::move(waiting_.front());
        waiting_.pop_front();
        play(cue);
        if (finishIfDone()) {
            return;
        }
    }
    if (!waiting_.empty()) {
        armPoll();
    }
}

bool CueScheduler::finishIfDone() {
    if (!pending_.empty() || !waiting_.empty()) {
        return false;
    }
    if (finished_) {
        finished_();
    }
    return true;
}

}  // namespace exambell
