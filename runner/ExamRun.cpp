#include "runner/ExamRun.h"

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "schedule/CueAudio.h"
#include "text/Encoding.h"

namespace exambell {

namespace {

constexpr int kMinutesPerDay = 1440;
constexpr int kBellCue = 7;
constexpr int kBellInterval = 15;
// Outcomes arrive for the play under way or shortly after; older plays are forgotten.
constexpr std::size_t kRememberedPlays = 16;

Text timeOfDay(const LocalTime& t) {
    return twoDigits(t.hour) + ':' + twoDigits(t.minute) + ':' + twoDigits(t.second);
}

// "H:MM" or "HH:MM" with an hour and a minute of the day.
bool isTimeOfDay(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 ||
        text.size() - colon - 1 != 2) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != colon && (text[i] < '0' || text[i] > '9')) {
            return false;
        }
    }
    return startMinutes(text) / 60 < 24 && startMinutes(text) % 60 < 60;
}

Text withoutCommas(std::string_view text) {
    static const Text fullWidthComma = utf8ToGbk("，");
    Text out;
    // GBK trail bytes start at 0x40, so a byte "," is always a character of its own.
    for (char c : text) {
        if (c == ',') {
            out += fullWidthComma;
        } else {
            out += c;
        }
    }
    return out;
}

int floorDiv(std::int64_t a, int b) {
    return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b));
}

}  // namespace

ExamRun::ExamRun(Clock& clock, const AudioOutput& audio, CueScheduler::PlayCue playCue,
                 CueScheduler::Finished finished, MissNotifier* notifier)
    : clock_(clock),
      scheduler_(clock, audio, std::move(playCue), std::move(finished)),
      notifier_(notifier) {
    scheduler_.setProgressHooks([this](int, const std::vector<int>& ids,
                                       std::int64_t dueSecond) { starting(ids, dueSecond); },
                                [this](const std::vector<int>& ids) { dropped(ids); });
}

Text ExamRun::plan(const ExamSettings& exams, const CueSettings& cues, const LocalTime& now) {
    scheduler_.stop();
    scheduler_.pendingCues().clear();
    active_ = false;
    rows_.clear();
    plays_.clear();
    extraPaths_.clear();
    planSecond_ = localEpochSeconds(now);
    const int nowMinutes = now.hour * 60 + now.minute;
    for (int n = 0; n < kCueCount; ++n) {
        captions_[static_cast<std::size_t>(n)] = cues[static_cast<std::size_t>(n)].caption;
    }
    const Text schedule = buildSchedule(exams, cues, nowMinutes);
    const std::vector<ReminderRow> all = reminderRows(schedule);
    // The schedule is the exams' lines one after the other; each exam's share is as many rows
    // as its own lines make.
    std::size_t next = 0;
    for (int e = 0; e < kExamCount; ++e) {
        const ExamSetting& exam = exams[static_cast<std::size_t>(e)];
        Sitting& sitting = sittings_[static_cast<std::size_t>(e)];
        sitting = Sitting{exam.enabled, exam.subject, exam.start, exam.duration, 0, {}};
        for (int n = 0; n < kCueCount; ++n) {
            sitting.cueOn[static_cast<std::size_t>(n)] = cues[static_cast<std::size_t>(n)].enabled;
        }
        if (!exam.enabled) {
            continue;
        }
        sitting.dayOffset = examDayOffset(exam.start, exam.duration, nowMinutes);
        const std::size_t count =
            reminderRows(
                cleanScheduleText(examCueLines(exam.start, exam.subject, exam.duration, cues,
                                               nowMinutes - sitting.dayOffset * kMinutesPerDay)))
                .size();
        const std::size_t end = std::min(all.size(), next + count);
        std::vector<ReminderRow> share(all.begin() + static_cast<std::ptrdiff_t>(next),
                                       all.begin() + static_cast<std::ptrdiff_t>(end));
        next = end;
        std::vector<RunRow> made = makeRows(share, e + 1, sitting);
        addExtraRows(made, e + 1, sitting, exam, nowMinutes - sitting.dayOffset * kMinutesPerDay,
                     {});
        rows_.insert(rows_.end(), made.begin(), made.end());
    }
    renumber();
    if (rows_.size() == all.size()) {
        return schedule;
    }
    // Extra cues joined the rows: the schedule text is theirs, line for line, so that the list
    // made from it shows every row.
    Text withExtras;
    for (const RunRow& r : rows_) {
        withExtras += Text(withExtras.empty() ? "" : "\r\n") + r.row.subject + ',' + r.row.time +
                      ',' + r.row.caption + ',' + r.row.fileName;
    }
    return withExtras;
}

std::vector<RunRow> ExamRun::makeRows(const std::vector<ReminderRow>& rows, int exam,
                                      const Sitting& sitting) {
    std::vector<RunRow> out;
    // Bells are told apart by how far before the end they ring.
    const int endSecond = secondOfDay(cueMoment(sitting.start, 0, sitting.duration));
    for (const ReminderRow& row : rows) {
        RunRow r;
        r.row = row;
        r.id = nextId_++;
        r.exam = exam;
        for (int n = 0; n < kCueCount && r.cue == 0; ++n) {
            if (row.caption == captions_[static_cast<std::size_t>(n)]) {
                r.cue = n + 1;
            }
        }
        const int second = secondOfDay(row.time);
        if (r.cue == kBellCue && second >= 0 && endSecond >= 0) {
            const int before =
                ((endSecond - second) / 60 % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
            r.bell = before / kBellInterval;
        }
        out.push_back(std::move(r));
    }
    return out;
}

void ExamRun::renumber() {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].row.number = toText(static_cast<std::int64_t>(i + 1));
    }
}

void ExamRun::begin() {
    std::vector<PendingCue> entries;
    for (const RunRow& r : rows_) {
        if (r.cue != 0) {
            entries.push_back(PendingCue{r.row.time, r.row.caption, r.cue,
                                         nextOccurrence(r.row.time, planSecond_), r.id});
        }
    }
    scheduler_.stop();
    scheduler_.pendingCues().assign(std::move(entries));
    active_ = true;
    refresh();
}

void ExamRun::stop() {
    active_ = false;
    scheduler_.stop();
    refresh();
}

void ExamRun::tick(const LocalTime& now) {
    if (active_) {
        scheduler_.tick(now);
    }
}

void ExamRun::addExtraRows(std::vector<RunRow>& rows, int exam, const Sitting& sitting,
                           const ExamSetting& setting, int nowMinutes,
                           const std::set<std::pair<int, int>>& done) {
    if (!extraCues_) {
        return;
    }
    const std::vector<ExtraCue> extras = extraCues_(exam, setting);
    const std::int64_t start = startMinutes(sitting.start);
    // How far ahead of now a moment lies, in minutes of one day.
    const auto ahead = [nowMinutes](std::int64_t minuteOfDay) {
        return ((minuteOfDay - nowMinutes) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
    };
    for (std::size_t k = 0; k < extras.size() && k < kExtraCuesPerExam; ++k) {
        const std::int64_t at = start + extras[k].offset;
        // Ahead of the current minute, within the day, like the cues of the window.
        if (at - nowMinutes <= 0 || at - nowMinutes >= kMinutesPerDay) {
            continue;
        }
        const int cue = kFirstExtraCue + (exam - 1) * kExtraCuesPerExam + static_cast<int>(k);
        if (done.count({cue, -1}) != 0) {
            continue;
        }
        extraPaths_[cue] = extras[k].path;
        const std::int64_t t = ((at % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
        RunRow r;
        // The schedule text separates its fields with ",": the row's texts carry "，" instead.
        r.row =
            ReminderRow{Text(), withoutCommas(sitting.subject),
                        twoDigits(t / 60) + ':' + twoDigits(t % 60) + ":00",
                        withoutCommas(extras[k].name), withoutCommas(fileNameOf(extras[k].path))};
        r.id = nextId_++;
        r.exam = exam;
        r.cue = cue;
        const std::int64_t due = ahead(t);
        auto place = std::find_if(rows.begin(), rows.end(), [&](const RunRow& other) {
            const int second = secondOfDay(other.row.time);
            return second >= 0 && ahead(second / 60) > due;
        });
        rows.insert(place, std::move(r));
    }
}

Text ExamRun::extraCuePath(int cue) const {
    const auto found = extraPaths_.find(cue);
    return found != extraPaths_.end() ? found->second : Text();
}

RunRow* ExamRun::rowById(int id) {
    for (RunRow& r : rows_) {
        if (r.id == id) {
            return &r;
        }
    }
    return nullptr;
}

void ExamRun::starting(const std::vector<int>& ids, std::int64_t dueSecond) {
    const Text at = timeOfDay(clock_.now());
    for (int id : ids) {
        if (RunRow* r = rowById(id)) {
            r->progress = RowProgress{RowState::Played, at, 0, MissReason::ClockJump};
        }
    }
    plays_.push_back(Play{++lastPlay_, ids, dueSecond});
    if (plays_.size() > kRememberedPlays) {
        plays_.erase(plays_.begin());
    }
    refresh();
}

void ExamRun::dropped(const std::vector<int>& ids) {
    markMissed(ids, MissReason::ClockJump);
    refresh();
}

void ExamRun::markMissed(const std::vector<int>& ids, MissReason reason) {
    std::vector<MissedCue> report;
    for (int id : ids) {
        RunRow* r = rowById(id);
        if (r == nullptr ||
            (r->progress.state == RowState::Missed && r->progress.reason == reason)) {
            continue;
        }
        r->progress = RowProgress{RowState::Missed, Text(), 0, reason};
        report.push_back(MissedCue{static_cast<int>(toInteger(r->row.number)), r->row.subject,
                                   r->row.time, r->row.caption, reason});
    }
    if (!report.empty() && notifier_ != nullptr) {
        notifier_->cuesMissed(report);
    }
}

const ExamRun::Play* ExamRun::findPlay(PlayId play) const {
    for (const Play& p : plays_) {
        if (p.id == play) {
            return &p;
        }
    }
    return nullptr;
}

void ExamRun::reportPlayed(PlayId play, const LocalTime* startedAt) {
    const Play* p = findPlay(play);
    if (p == nullptr) {
        return;
    }
    for (int id : p->rows) {
        RunRow* r = rowById(id);
        // One outcome per cue: a cue said to be missed stays missed.
        if (r == nullptr || r->progress.state == RowState::Missed) {
            continue;
        }
        r->progress.state = RowState::Played;
        if (startedAt != nullptr || r->progress.playedAt.empty()) {
            r->progress.playedAt = timeOfDay(startedAt != nullptr ? *startedAt : clock_.now());
        }
        if (startedAt != nullptr) {
            r->progress.lateSeconds =
                std::max<std::int64_t>(0, localEpochSeconds(*startedAt) - p->dueSecond);
        }
    }
    refresh();
}

void ExamRun::reportWaiting(PlayId play) {
    const Play* p = findPlay(play);
    if (p == nullptr) {
        return;
    }
    for (int id : p->rows) {
        RunRow* r = rowById(id);
        if (r != nullptr && r->progress.state != RowState::Missed) {
            r->progress = RowProgress{RowState::WaitingForDevice, Text(), 0, MissReason::ClockJump};
        }
    }
    refresh();
}

void ExamRun::reportMissed(PlayId play, MissReason reason) {
    const Play* p = findPlay(play);
    if (p == nullptr) {
        return;
    }
    const std::vector<int> copy = p->rows;
    markMissed(copy, reason);
    refresh();
}

void ExamRun::refresh() {
    const PendingCues& pending = scheduler_.pendingCues();
    std::int64_t earliest = PendingCues::kNever;
    for (const PendingCue& e : pending.entries()) {
        earliest = std::min(earliest, e.dueSecond);
    }
    std::set<int> next;
    std::set<int> ahead;
    if (active_) {
        for (const PendingCue& e : pending.entries()) {
            (e.dueSecond == earliest ? next : ahead).insert(e.row);
        }
        for (int id : scheduler_.waitingRows()) {
            next.insert(id);
        }
    }
    for (RunRow& r : rows_) {
        if (next.count(r.id) != 0) {
            r.progress.state = RowState::Next;
        } else if (ahead.count(r.id) != 0 || r.progress.state == RowState::Next) {
            r.progress.state = RowState::Ahead;
        }
    }
    if (changed_) {
        changed_();
    }
}

Text ExamRun::countdown(const LocalTime& now) const {
    if (!active_) {
        return Text();
    }
    const PendingCue* first = nullptr;
    for (const PendingCue& e : scheduler_.pendingCues().entries()) {
        if (first == nullptr || e.dueSecond < first->dueSecond) {
            first = &e;
        }
    }
    if (first == nullptr || first->dueSecond == PendingCues::kNever) {
        return Text();
    }
    for (const RunRow& r : rows_) {
        if (r.id == first->row) {
            return countdownText(r.row.subject, r.row.caption,
                                 first->dueSecond - localEpochSeconds(now));
        }
    }
    return Text();
}

bool ExamRun::inRun(int exam) const {
    return exam >= 1 && exam <= kExamCount && sittings_[static_cast<std::size_t>(exam - 1)].inRun;
}

ExamRun::Shift ExamRun::shiftExam(int exam, int minutes, const ExamSetting& current,
                                  const CueSettings& cues, const LocalTime& now) {
    if (!active_ || !inRun(exam) || minutes <= -kMinutesPerDay || minutes >= kMinutesPerDay) {
        return Shift{};
    }
    Sitting& sitting = sittings_[static_cast<std::size_t>(exam - 1)];
    // A start typed during the run is what the shift moves (the edit note promises as much); a
    // start box that holds no time of day leaves the run's start.
    const bool typed =
        isTimeOfDay(current.start) && startMinutes(current.start) != startMinutes(sitting.start);
    const Text from = typed ? current.start : sitting.start;
    const std::int64_t moved =
        startMinutes(from) + std::int64_t{sitting.dayOffset} * kMinutesPerDay + minutes;
    const int day = floorDiv(moved, kMinutesPerDay);
    const std::int64_t startOfDay = moved - std::int64_t{day} * kMinutesPerDay;
    const Text start = twoDigits(startOfDay / 60) + ':' + twoDigits(startOfDay % 60);
    if (day < sitting.dayOffset) {
        // The start box holds a time of day only: a start moved into the day before would be
        // stored, and read at the next start, as one later on the sitting's own day. (A start
        // moved past midnight is read as the next day's by a start shortly before midnight, and
        // as today's after it: the same moment.)
        Shift refused;
        refused.refusal = ShiftRefusal::DayBefore;
        refused.start = start;
        return refused;
    }

    sitting.subject = current.subject;
    sitting.start = start;
    sitting.duration = current.duration;
    sitting.dayOffset = day;
    for (int n = 0; n < kCueCount; ++n) {
        sitting.cueOn[static_cast<std::size_t>(n)] = cues[static_cast<std::size_t>(n)].enabled;
    }

    // What of this exam has already sounded (or failed to) keeps its row and is not made again.
    PendingCues& pending = scheduler_.pendingCues();
    std::set<int> pendingIds;
    for (const PendingCue& e : pending.entries()) {
        pendingIds.insert(e.row);
    }
    std::set<std::pair<int, int>> done;
    std::set<std::pair<int, int>> wasPending;
    std::vector<RunRow> pendingExtras;
    std::vector<RunRow> kept;
    // The new rows go after the exam's remaining rows, else where its rows were, else before the
    // next exam's rows.
    constexpr std::size_t kNone = std::string::npos;
    std::size_t afterKept = kNone;
    std::size_t wherePending = kNone;
    std::size_t beforeLater = kNone;
    for (const RunRow& r : rows_) {
        if (r.exam == exam && pendingIds.count(r.id) != 0) {
            wherePending = std::min(wherePending, kept.size());
            wasPending.insert({r.cue, r.bell});
            if (r.cue >= kFirstExtraCue) {
                pendingExtras.push_back(r);
            }
            continue;
        }
        if (r.exam == exam) {
            done.insert({r.cue, r.bell});
            kept.push_back(r);
            afterKept = kept.size();
            continue;
        }
        if (r.exam > exam) {
            beforeLater = std::min(beforeLater, kept.size());
        }
        kept.push_back(r);
    }
    const std::size_t insertAt = afterKept != kNone      ? afterKept
                                 : wherePending != kNone ? wherePending
                                 : beforeLater != kNone  ? beforeLater
                                                         : kept.size();

    // The moved exam's every cue, then which of them still lie ahead: a cue that was pending and
    // now lies behind is kept as a missed row and reported, never dropped without a word.
    const int nowMinutes = now.hour * 60 + now.minute;
    const int sittingNow = nowMinutes - day * kMinutesPerDay;
    auto planned = [&](int fromMinutes) {
        return makeRows(reminderRows(cleanScheduleText(examCueLines(
                            start, current.subject, current.duration, cues, fromMinutes))),
                        exam, sitting);
    };
    std::set<std::pair<int, int>> ahead;
    std::vector<RunRow> fresh;
    for (RunRow& r : planned(sittingNow)) {
        if (r.cue != 0 && done.count({r.cue, r.bell}) == 0) {
            ahead.insert({r.cue, r.bell});
            fresh.push_back(std::move(r));
        }
    }
    std::vector<RunRow> placed;
    std::vector<int> behindIds;
    std::size_t nextFresh = 0;
    // Every cue of the day, in the exam's own order; earlier than any moment of the sitting.
    for (RunRow& r : planned(-2 * kMinutesPerDay)) {
        const std::pair<int, int> key{r.cue, r.bell};
        if (r.cue == 0 || done.count(key) != 0) {
            continue;
        }
        if (ahead.count(key) != 0) {
            placed.push_back(std::move(fresh[nextFresh++]));
        } else if (wasPending.count(key) != 0) {
            behindIds.push_back(r.id);
            placed.push_back(std::move(r));
        }
    }
    // Whatever the full plan did not place (none expected) still goes in.
    for (; nextFresh < fresh.size(); ++nextFresh) {
        placed.push_back(std::move(fresh[nextFresh]));
    }
    // The plan's own cues of the moved sitting that still lie ahead; a pending one that now lies
    // behind keeps its row, marked missed like the window's cues.
    addExtraRows(placed, exam, sitting, current, sittingNow, done);
    std::set<std::pair<int, int>> extrasAhead;
    for (const RunRow& r : placed) {
        if (r.cue >= kFirstExtraCue) {
            extrasAhead.insert({r.cue, r.bell});
            ahead.insert({r.cue, r.bell});
        }
    }
    for (RunRow& r : pendingExtras) {
        if (extrasAhead.count({r.cue, r.bell}) == 0) {
            behindIds.push_back(r.id);
            placed.push_back(std::move(r));
        }
    }

    std::vector<PendingCue> entries;
    for (const PendingCue& e : pending.entries()) {
        const RunRow* r = rowById(e.row);
        if (r == nullptr || r->exam != exam) {
            entries.push_back(e);
        }
    }
    const std::int64_t nowSecond = localEpochSeconds(now);
    for (const RunRow& r : placed) {
        if (ahead.count({r.cue, r.bell}) != 0) {
            entries.push_back(PendingCue{r.row.time, r.row.caption, r.cue,
                                         nextOccurrence(r.row.time, nowSecond), r.id});
        }
    }
    kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(insertAt), placed.begin(), placed.end());
    rows_ = std::move(kept);
    renumber();
    // Cues of one second play in list order, so the entries follow the rows.
    std::vector<int> position(static_cast<std::size_t>(nextId_), 0);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        position[static_cast<std::size_t>(rows_[i].id)] = static_cast<int>(i);
    }
    std::stable_sort(entries.begin(), entries.end(), [&](const PendingCue& a, const PendingCue& b) {
        return position[static_cast<std::size_t>(a.row)] <
               position[static_cast<std::size_t>(b.row)];
    });
    pending.assign(std::move(entries));
    markMissed(behindIds, MissReason::ShiftedPast);
    refresh();

    Text end = cueMoment(start, 0, current.duration);
    end.resize(5);
    Shift shift;
    shift.done = true;
    shift.start = start;
    shift.end = end;
    shift.from = from;
    shift.fromTyped = typed;
    shift.behind = static_cast<int>(behindIds.size());
    return shift;
}

bool ExamRun::editsWaiting(const ExamSettings& current, const CueSettings& cues) const {
    for (int e = 0; e < kExamCount; ++e) {
        const Sitting& s = sittings_[static_cast<std::size_t>(e)];
        const ExamSetting& now = current[static_cast<std::size_t>(e)];
        if (now.enabled != s.inRun) {
            return true;
        }
        if (!s.inRun) {
            continue;
        }
        if (now.subject != s.subject || startMinutes(now.start) != startMinutes(s.start) ||
            toInteger(now.duration) != toInteger(s.duration)) {
            return true;
        }
        for (int n = 0; n < kCueCount; ++n) {
            if (cues[static_cast<std::size_t>(n)].enabled != s.cueOn[static_cast<std::size_t>(n)]) {
                return true;
            }
        }
    }
    return false;
}

const Text& ExamRun::editsWaitingText() {
    static const Text text =
        utf8ToGbk("考试设置已修改：下次开始运行时生效（平移某场考试时即对该场生效）");
    return text;
}

std::array<bool, kCueCount> ExamRun::cueSwitches(int exam) const {
    if (exam < 1 || exam > kExamCount) {
        return {};
    }
    return sittings_[static_cast<std::size_t>(exam - 1)].cueOn;
}

ExamSettings ExamRun::exams() const {
    ExamSettings exams;
    for (std::size_t i = 0; i < sittings_.size(); ++i) {
        const Sitting& sitting = sittings_[i];
        exams[i] = ExamSetting{.enabled = sitting.inRun,
                               .subject = sitting.subject,
                               .start = sitting.start,
                               .duration = sitting.duration};
    }
    return exams;
}

}  // namespace exambell
