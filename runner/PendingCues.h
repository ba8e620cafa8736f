#pragma once
// PendingCues: the cues of the running schedule that have not played yet, one entry per row of
// the reminder list, in row order.

#include <cstdint>
#include <utility>
#include <vector>

#include "runner/CueSchedule.h"

namespace exambell {

struct PendingCue {
    Text time;     // "HH:MM:00", as the reminder list shows it
    Text caption;  // the cue's caption, as the reminder list shows it
    int cue = 0;   // 1 .. 7
    // Local second (localEpochSeconds) at which the entry falls due.
    std::int64_t dueSecond = 0;
    // Which reminder row the entry stands for: the row's index for rebuild(), or whatever stable
    // key the owner of assign() chose.
    int row = -1;
};

class PendingCues {
  public:
    // Entries that never fall due (a time that is no time of day).
    static constexpr std::int64_t kNever = INT64_MAX;

    // Replaces the entries by one per row. Each row's time falls due the first time that time of
    // day comes at or after the start of the minute of referenceSecond (the local second at which
    // the schedule was made; every row lies ahead of it, at most a day). A row whose caption
    // names none of the cues is dropped: it could never play.
    void rebuild(const std::vector<ReminderRow>& rows, const CueSettings& cues,
                 std::int64_t referenceSecond);
    // Replaces the entries by prepared ones.
    void assign(std::vector<PendingCue> entries) {
        entries_ = std::move(entries);
        findEarliest();
    }
    void clear() {
        entries_.clear();
        earliest_ = kNever;
    }

    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    const std::vector<PendingCue>& entries() const { return entries_; }

    struct DueCue {
        int cue = 0;
        std::vector<int> rows;  // the rows of every entry the cue stands for
        std::int64_t dueSecond = 0;
    };
    struct Due {
        // The cues to play now, earliest first, list order within one second; entries of the same
        // second and caption give one cue.
        std::vector<int> cues;
        std::vector<DueCue> plays;  // the same, with their rows
        // Entries whose moment passed more than catchUpSeconds ago: dropped, not played late.
        int missed = 0;
        std::vector<int> missedRows;
    };
    // Removes and returns every entry due at or before nowSecond.
    Due takeDue(std::int64_t nowSecond, std::int64_t catchUpSeconds);

  private:
    void findEarliest();

    std::vector<PendingCue> entries_;
    std::int64_t earliest_ = kNever;  // the smallest dueSecond, so most ticks do no scan
};

// Second of the day of a "HH:MM:SS" text, or -1 when it is none.
int secondOfDay(std::string_view time);

// The local second at which a "HH:MM:SS" time first comes at or after the start of the minute of
// referenceSecond; PendingCues::kNever when the text is no time of day.
std::int64_t nextOccurrence(std::string_view time, std::int64_t referenceSecond);

}  // namespace exambell
