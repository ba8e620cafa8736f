#include "runner/PendingCues.h"

#include <algorithm>

namespace exambell {

namespace {
constexpr std::int64_t kSecondsPerDay = 86400;

bool twoDigitsAt(std::string_view text, std::size_t at, int& value) {
    if (at + 2 > text.size() || text[at] < '0' || text[at] > '9' || text[at + 1] < '0' ||
        text[at + 1] > '9') {
        return false;
    }
    value = (text[at] - '0') * 10 + (text[at + 1] - '0');
    return true;
}
}  // namespace

int secondOfDay(std::string_view time) {
    int h = 0;
    int m = 0;
    int s = 0;
    if (time.size() != 8 || time[2] != ':' || time[5] != ':' || !twoDigitsAt(time, 0, h) ||
        !twoDigitsAt(time, 3, m) || !twoDigitsAt(time, 6, s) || h > 23 || m > 59 || s > 59) {
        return -1;
    }
    return h * 3600 + m * 60 + s;
}

void PendingCues::rebuild(const std::vector<ReminderRow>& rows, const CueSettings& cues,
                          std::int64_t referenceSecond) {
    entries_.clear();
    const std::int64_t minuteStart = referenceSecond - (referenceSecond % 60 + 60) % 60;
    const std::int64_t dayStart =
        minuteStart - (minuteStart % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
    for (const ReminderRow& row : rows) {
        int cue = 0;
        for (int n = 0; n < kCueCount && cue == 0; ++n) {
            if (row.caption == cues[n].caption) {
                cue = n + 1;
            }
        }
        if (cue == 0) {
            continue;
        }
        const int second = secondOfDay(row.time);
        std::int64_t due = kNever;
        if (second >= 0) {
            due = dayStart + second;
            if (due < minuteStart) {
                due += kSecondsPerDay;
            }
        }
        entries_.push_back(PendingCue{row.time, row.caption, cue, due});
    }
    findEarliest();
}

void PendingCues::findEarliest() {
    earliest_ = kNever;
    for (const PendingCue& e : entries_) {
        earliest_ = std::min(earliest_, e.dueSecond);
    }
}

PendingCues::Due PendingCues::takeDue(std::int64_t nowSecond, std::int64_t catchUpSeconds) {
    Due due;
    if (nowSecond < earliest_) {
        return due;
    }
    std::vector<PendingCue> taken;
    auto keep = std::stable_partition(entries_.begin(), entries_.end(),
                                      [&](const PendingCue& e) { return e.dueSecond > nowSecond; });
    taken.assign(std::make_move_iterator(keep), std::make_move_iterator(entries_.end()));
    entries_.erase(keep, entries_.end());
    findEarliest();
    std::stable_sort(taken.begin(), taken.end(), [](const PendingCue& a, const PendingCue& b) {
        return a.dueSecond < b.dueSecond;
    });
    for (std::size_t i = 0; i < taken.size(); ++i) {
        if (nowSecond - taken[i].dueSecond > catchUpSeconds) {
            ++due.missed;
            continue;
        }
        bool repeated = false;
        for (std::size_t j = 0; j < i && !repeated; ++j) {
            repeated =
                taken[j].dueSecond == taken[i].dueSecond && taken[j].caption == taken[i].caption;
        }
        if (!repeated) {
            due.cues.push_back(taken[i].cue);
        }
    }
    return due;
}

}  // namespace exambell
