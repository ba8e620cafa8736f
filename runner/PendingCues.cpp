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

std::int64_t nextOccurrence(std::string_view time, std::int64_t referenceSecond) {
    const int second = secondOfDay(time);
    if (second < 0) {
        return PendingCues::kNever;
    }
    const std::int64_t minuteStart = referenceSecond - (referenceSecond % 60 + 60) % 60;
    const std::int64_t dayStart =
        minuteStart - (minuteStart % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
    std::int64_t due = dayStart + second;
    if (due < minuteStart) {
        due += kSecondsPerDay;
    }
    return due;
}

void PendingCues::rebuild(const std::vector<ReminderRow>& rows, const CueSettings& cues,
                          std::int64_t referenceSecond) {
    entries_.clear();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const ReminderRow& row = rows[r];
        int cue = 0;
        for (int n = 0; n < kCueCount && cue == 0; ++n) {
            if (row.caption == cues[n].caption) {
                cue = n + 1;
            }
        }
        if (cue == 0) {
            continue;
        }
        entries_.push_back(PendingCue{row.time, row.caption, cue,
                                      nextOccurrence(row.time, referenceSecond),
                                      static_cast<int>(r)});
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
    // For each taken entry, the play it joined (or -1 when it was dropped).
    std::vector<int> playOf(taken.size(), -1);
    for (std::size_t i = 0; i < taken.size(); ++i) {
        if (nowSecond - taken[i].dueSecond > catchUpSeconds) {
            ++due.missed;
            due.missedRows.push_back(taken[i].row);
            continue;
        }
        for (std::size_t j = 0; j < i && playOf[i] < 0; ++j) {
            if (playOf[j] >= 0 && taken[j].dueSecond == taken[i].dueSecond &&
                taken[j].caption == taken[i].caption) {
                playOf[i] = playOf[j];
            }
        }
        if (playOf[i] >= 0) {
            due.plays[static_cast<std::size_t>(playOf[i])].rows.push_back(taken[i].row);
            continue;
        }
        playOf[i] = static_cast<int>(due.plays.size());
        due.cues.push_back(taken[i].cue);
        due.plays.push_back(DueCue{taken[i].cue, {taken[i].row}, taken[i].dueSecond});
    }
    return due;
}

}  // namespace exambell
