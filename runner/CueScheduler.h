#pragma once
// Plays the pending cues of a run at their seconds. Each tick hands over the current local time;
// every entry that fell due since the last tick plays (a gap of up to kCatchUpSeconds is caught
// up; an entry further behind, after a suspend or the clock set forward, is dropped, not played
// late). Entries are removed as they are taken, so none plays twice, also when the clock is set
// back. Cues of different captions that fall on the same second play one after the other: the
// first at once, each further one when the audio output has gone idle.

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "platform/Clock.h"
#include "runner/PendingCues.h"
#include "schedule/AudioOutput.h"

namespace exambell {

class CueScheduler {
  public:
    static constexpr std::int64_t kCatchUpSeconds = 10;
    // How often a waiting cue asks the audio output whether the one before it has finished.
    static constexpr std::int64_t kIdlePollMilliseconds = 50;
    // A waiting cue plays after this long even if the output never reports idle.
    static constexpr std::int64_t kMaxIdleWaitMilliseconds = 180000;

    using PlayCue = std::function<void(int cue)>;  // cue 1 .. 7
    using Finished = std::function<void()>;
    // The rows (PendingCue::row) a cue that is about to start stands for, and the local second it
    // fell due; called just before playCue.
    using Starting =
        std::function<void(int cue, const std::vector<int>& rows, std::int64_t dueSecond)>;
    // Rows dropped because their moment lay beyond the catch-up window.
    using Dropped = std::function<void(const std::vector<int>& rows)>;

    // playCue starts a cue's sound and returns; finished is called once the last entry of the
    // run has started to play (or was dropped), the run's automatic end.
    CueScheduler(Clock& clock, const AudioOutput& audio, PlayCue playCue, Finished finished);
    ~CueScheduler();
    CueScheduler(const CueScheduler&) = delete;
    CueScheduler& operator=(const CueScheduler&) = delete;

    // Optional: who follows the run row by row.
    void setProgressHooks(Starting starting, Dropped dropped) {
        starting_ = std::move(starting);
        dropped_ = std::move(dropped);
    }

    PendingCues& pendingCues() { return pending_; }
    const PendingCues& pendingCues() const { return pending_; }

    // One tick of a running schedule at the given local time.
    void tick(const LocalTime& now);
    // The run paused: cues still waiting for their turn are dropped (pending entries stay).
    void stop();

    std::size_t waitingCount() const { return waiting_.size(); }
    // The rows of the cues that fell due and wait for the sound before them to end.
    std::vector<int> waitingRows() const;
    // Entries dropped since construction because their moment lay beyond the catch-up window.
    std::int64_t missedCount() const { return missed_; }

  private:
    void play(const PendingCues::DueCue& cue);
    void armPoll();
    void poll();
    // Calls finished_ when nothing is left; returns whether it did.
    bool finishIfDone();

    Clock& clock_;
    const AudioOutput& audio_;
    PlayCue playCue_;
    Finished finished_;
    Starting starting_;
    Dropped dropped_;
    PendingCues pending_;
    std::deque<PendingCues::DueCue> waiting_;
    std::int64_t waitingSince_ = 0;  // tick count when the sound before the first waiting began
    Clock::TimerId pollTimer_ = 0;
    bool polling_ = false;
    std::int64_t missed_ = 0;
};

}  // namespace exambell
