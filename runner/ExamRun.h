#pragma once
// One run of the announcements, without any window: the schedule read at the start, its rows as
// the reminder list shows them, the pending cues and their scheduler, and how each row fares.
// The owner feeds it the one-second tick and draws rows() and countdown(); cues that cannot play
// are reported to a MissNotifier.
//
// Each exam of the run keeps the sitting it was scheduled for (see examDayOffset), so a late
// start can move that exam alone: shiftExam re-plans it from a start moved by some minutes and
// keeps every row that has played or was missed; a cue of that exam that has played (or was
// missed) is not listed again, whatever its new moment.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "platform/Clock.h"
#include "runner/CueScheduler.h"
#include "runner/MissNotifier.h"
#include "runner/RunProgress.h"

namespace exambell {

// A cue of an exam beyond the seven of the main window (an exam plan's own: 进场, 禁止入场, ...):
// its name (the row's 备注), its recording, and its moment in minutes from the exam's start.
struct ExtraCue {
    Text name;
    Text path;
    int offset = 0;
};
// The extra cues of exam N (1 .. 4) as its row now stands.
using ExtraCuesOf = std::function<std::vector<ExtraCue>(int exam, const ExamSetting& setting)>;
// Extra cues are numbered from here on in RunRow::cue and PendingCue::cue, each exam a range of
// its own, so that a late start knows which of them have played.
inline constexpr int kFirstExtraCue = 100;
inline constexpr int kExtraCuesPerExam = 50;

struct RunRow {
    ReminderRow row;  // "序号" counts the rows of the list as it now stands
    int id = 0;       // stable for the life of the run; PendingCue::row holds it
    int exam = 0;     // 1 .. 4
    int cue = 0;      // 1 .. 7, or an extra cue (kFirstExtraCue and on)
    int bell = -1;    // cue 7: the bell 15 x bell minutes before the end
    RowProgress progress;
};

class ExamRun {
  public:
    using PlayId = std::uint64_t;

    // playCue starts cue N's sound and returns; finished is called when nothing is left to play
    // (the automatic end). notifier may be null.
    ExamRun(Clock& clock, const AudioOutput& audio, CueScheduler::PlayCue playCue,
            CueScheduler::Finished finished, MissNotifier* notifier);
    ExamRun(const ExamRun&) = delete;
    ExamRun& operator=(const ExamRun&) = delete;

    // Reads the schedule at now: returns the schedule text of the enabled exams (buildSchedule)
    // and makes rows() from it. Nothing is pending until begin().
    Text plan(const ExamSettings& exams, const CueSettings& cues, const LocalTime& now);
    // Every row of the plan becomes pending; the run is active.
    void begin();
    // The run paused: nothing plays any more; cues waiting for their turn are dropped.
    void stop();
    bool active() const { return active_; }

    // One tick of the active run at now.
    void tick(const LocalTime& now);

    const std::vector<RunRow>& rows() const { return rows_; }
    // The countdown to the earliest pending cue; "" when none.
    Text countdown(const LocalTime& now) const;
    // Called whenever rows() or their marks changed (not for the countdown).
    void setChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    // The play started last (0 before the first). Outcomes may come later, by this id.
    PlayId currentPlay() const { return lastPlay_; }
    // What became of a play, told by the audio side when it knows: the play's rows are marked
    // played at startedAt (when the sound started later than asked, as after waiting for a
    // device: the mark then says how late; null keeps the second the play was asked for), waiting
    // for a device (no notice yet: the sound may still start), or missed for a reason and
    // reported. A missed row stays missed: each cue has one outcome. Unknown or forgotten plays
    // are ignored; outcomes are still taken after the run has ended.
    void reportPlayed(PlayId play, const LocalTime* startedAt = nullptr);
    void reportWaiting(PlayId play);
    void reportMissed(PlayId play, MissReason reason);

    // The exams the run serves as it now stands: those enabled at the start, with the start a
    // late start moved them to.
    ExamSettings exams() const;
    // Whether exam N (1 .. 4) was enabled when the run started.
    bool inRun(int exam) const;
    // The cue switches exam N (1 .. 4) runs with (index 0 is cue 1); all off for any other N.
    std::array<bool, kCueCount> cueSwitches(int exam) const;

    enum class ShiftRefusal {
        None,
        NotRunning,  // no active run, the exam is not part of it, or a day's move or more
        DayBefore,   // the moved start would fall on the day before the exam's sitting
    };
    struct Shift {
        bool done = false;
        ShiftRefusal refusal = ShiftRefusal::NotRunning;  // when not done
        Text start;              // the exam's new start "HH:MM" (also when refused for DayBefore)
        Text end;                // its new end "HH:MM"
        Text from;               // the start that was moved
        bool fromTyped = false;  // from is a start typed during the run, not the run's own
        int behind = 0;          // pending cues that the move put behind now: marked missed
    };
    // Late start: exam N of the active run moves by minutes (either sign, less than a day) from
    // its start: the one typed into its start box during the run when that holds another time of
    // day, else the run's. Its rows still pending are replaced by the exam re-planned with the
    // subject, duration and cues given (the fields as they now stand) and the moved start: the
    // cues ahead of now are pending, a pending cue that the move put behind now stays as a row
    // marked missed (and reported); rows that played or were missed stay. Nothing else changes.
    // Refused when no run is active, the exam is not part of it, or the start would move into the
    // day before its sitting's (the start box holds a time of day only).
    Shift shiftExam(int exam, int minutes, const ExamSetting& current, const CueSettings& cues,
                    const LocalTime& now);

    // Whether the exams or cue switches as they now stand differ from what the run uses (the
    // files do not count: a cue's file is read when it plays).
    bool editsWaiting(const ExamSettings& current, const CueSettings& cues) const;
    // The note shown beside the list meanwhile.
    static const Text& editsWaitingText();

    // Where the run gets each exam's extra cues; they join the rows at plan() and at a late
    // start, marked and shifted like the others.
    void setExtraCues(ExtraCuesOf extraCues) { extraCues_ = std::move(extraCues); }
    // The recording of an extra cue of this run; "" for any other cue.
    Text extraCuePath(int cue) const;

    CueScheduler& scheduler() { return scheduler_; }
    const CueScheduler& scheduler() const { return scheduler_; }

  private:
    // What the run holds of one exam.
    struct Sitting {
        bool inRun = false;
        Text subject;
        Text start;
        Text duration;
        int dayOffset = 0;
        std::array<bool, kCueCount> cueOn{};
    };

    std::vector<RunRow> makeRows(const std::vector<ReminderRow>& rows, int exam,
                                 const Sitting& sitting);
    RunRow* rowById(int id);
    // The extra cues of an exam that lie ahead of nowMinutes (of the sitting's day), merged into
    // its rows in order of their moment.
    void addExtraRows(std::vector<RunRow>& rows, int exam, const Sitting& sitting,
                      const ExamSetting& setting, int nowMinutes,
                      const std::set<std::pair<int, int>>& done);
    struct Play;
    const Play* findPlay(PlayId play) const;
    void starting(const std::vector<int>& ids, std::int64_t dueSecond);
    void dropped(const std::vector<int>& ids);
    void markMissed(const std::vector<int>& ids, MissReason reason);
    void refresh();
    void renumber();

    Clock& clock_;
    CueScheduler scheduler_;
    MissNotifier* notifier_;
    std::function<void()> changed_;
    std::vector<RunRow> rows_;
    std::array<Sitting, kExamCount> sittings_{};
    std::array<Text, kCueCount> captions_{};
    std::int64_t planSecond_ = 0;
    int nextId_ = 1;
    bool active_ = false;
    struct Play {
        PlayId id = 0;
        std::vector<int> rows;
        std::int64_t dueSecond = 0;  // local second the cue fell due
    };
    std::vector<Play> plays_;  // the latest few plays, for late outcomes
    PlayId lastPlay_ = 0;
    ExtraCuesOf extraCues_;
    std::map<int, Text> extraPaths_;
};

}  // namespace exambell
