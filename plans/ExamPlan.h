#pragma once
// An exam plan (考试安排): the sittings of an exam week, each carrying its date, and the plan's
// own cues beyond the seven of the main window. Plain records and the checks they get wherever
// they are made (the plan window, an import, a save from the main window); PlanStore keeps them
// in config.ini.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "settings/ExamSettings.h"
#include "text/Encoding.h"
#include "text/Text.h"

namespace exambell {

// The main window has four exam rows: a day holds at most that many sittings.
inline constexpr int kSittingsPerDay = kExamCount;
// Longest sitting, as the duration box caps it.
inline constexpr int kMaxSittingMinutes = 999;

struct PlanSitting {
    Text date;           // "YYYY-MM-DD"
    Text subject;        // GBK
    Text start;          // "HH:MM"
    int duration = 120;  // minutes, 1 .. kMaxSittingMinutes
    // Cue n (1..7) of the main window sounds for this sitting when cues[n - 1].
    std::array<bool, kCueCount> cues{};

    bool operator==(const PlanSitting&) const = default;
};

// Where a plan cue is counted from.
enum class CueAnchor {
    Start,       // every sitting's start
    End,         // every sitting's end
    FirstStart,  // the start of the first sitting of a half-day only
    LaterStart,  // the start of every sitting but the first of its half-day
};

struct PlanCue {
    Text name;  // GBK; the 备注 of its reminder rows
    CueAnchor anchor = CueAnchor::Start;
    int offset = 0;  // minutes after the anchor (negative: before it)
    Text path;       // its recording

    bool operator==(const PlanCue&) const = default;
};

struct ExamPlan {
    Text name;
    // 到点自动开始: the run starts by itself once a day's sittings are loaded.
    bool autoStart = false;
    std::vector<PlanSitting> sittings;  // kept sorted by date and start (sortSittings)
    std::vector<PlanCue> cues;

    bool operator==(const ExamPlan&) const = default;
};

// ---- Dates and times ------------------------------------------------------------------------

struct PlanDate {
    int year = 0;
    int month = 0;
    int day = 0;
};
// A date "YYYY-MM-DD" of the calendar (also "YYYY/M/D" and "YYYY.M.D", as spreadsheets write
// them); nothing for anything else, 2026-02-30 included.
std::optional<PlanDate> parseDate(std::string_view text);
Text dateText(const PlanDate& date);
Text dateText(int year, int month, int day);
// Days since 1970-01-01, and back.
std::int64_t dayNumber(const PlanDate& date);
PlanDate dateOfDay(std::int64_t dayNumber);
// "星期一" .. "星期日" of a date.
Text weekdayName(const PlanDate& date);

// Minutes of the day of a "H:MM"/"HH:MM" (full-width colon read too) within 00:00..23:59;
// nothing for anything else, 25:00 included.
std::optional<int> parseClock(std::string_view text);
Text clockText(int minutesOfDay);  // wraps into the day

int sittingStart(const PlanSitting& s);  // minutes of the day
int sittingEnd(const PlanSitting& s);    // start + duration, may pass 1440

// ---- Checks -----------------------------------------------------------------------------------

// Messages, shared by the plan window and the import.
inline const Text kDateWrongMessage = utf8ToGbk("日期格式错误");
inline const Text kTooManySittingsMessage = utf8ToGbk("一天最多四场考试");
inline const Text kSubjectLineBreakMessage = utf8ToGbk("科目不能含有换行");

// The field checks of one sitting, with the exam rows' messages: an empty subject, a start that
// is no time of the day, a duration of 0 or more than 999 minutes, a date that is no date. ""
// when it passes.
Text checkSitting(const PlanSitting& sitting);

// Two sittings of one day that overlap, as "数学 09:00-11:00 与 英语 10:30-12:30 时间重叠"; "" when
// they do not (or lie on different days).
Text overlapMessage(const PlanSitting& a, const PlanSitting& b);

// The problem of adding candidate to sittings (replacing the one at index `replacing`, if any):
// its own check, more than four sittings on its day, an overlap with another of its day. "" when
// it fits.
Text checkSittingFits(const std::vector<PlanSitting>& sittings, const PlanSitting& candidate,
                      std::optional<std::size_t> replacing = std::nullopt);

// ---- Operations -------------------------------------------------------------------------------

void sortSittings(std::vector<PlanSitting>& sittings);
// The sittings of one date, sorted by start.
std::vector<PlanSitting> sittingsOn(const ExamPlan& plan, std::string_view date);
// The dates that have sittings, in order.
std::vector<Text> planDates(const ExamPlan& plan);

// Copies the sittings of one day to another date; refused (with the message) when the target
// day would hold more than four or an overlap. The plan is unchanged when refused.
Text copyDay(ExamPlan& plan, std::string_view from, std::string_view to);
// Moves every sitting of a day by minutes (either sign); refused when a sitting would leave its
// day (start before 00:00 or at 24:00 or later).
Text moveDay(ExamPlan& plan, std::string_view date, int minutes);

// The exam rows a day's sittings fill: its sittings in order of start, enabled; rows left over
// keep what `current` holds, unchecked.
ExamSettings examRowsFor(const std::vector<PlanSitting>& day, const ExamSettings& current);

// The cues a plan adds to one sitting, with their moment in minutes of the sitting's day (may
// lie outside 0..1439). daySittings: all sittings of its day, to find the half-days.
struct SittingCue {
    Text name;
    Text path;
    int minute = 0;
};
std::vector<SittingCue> planCuesFor(const ExamPlan& plan, const PlanSitting& sitting,
                                    const std::vector<PlanSitting>& daySittings);
// The half-day of a start: 0 morning (before 12:00), 1 afternoon (before 18:00), 2 evening.
int halfDayOf(int startMinutes);

// The default plan cues of a new plan, with the shipped recordings in voiceFolder: 进场 30
// minutes before the first sitting of a half-day, 禁止入场 15 minutes after each start, 可以交卷
// 30 minutes before each end.
std::vector<PlanCue> defaultPlanCues(std::string_view voiceFolder);

}  // namespace exambell
