#pragma once
// The run's schedule as text: one line per cue moment of the enabled exams, the lines the reminder
// list shows. Pure functions of the exam and cue settings and the current minute of the day.
//
// A schedule line holds four fields joined by ",": subject, moment "HH:MM:00", cue caption, file
// name of the cue's audio file. Lines are joined by CR LF.

#include <cstdint>
#include <string_view>
#include <vector>

#include "settings/ExamSettings.h"
#include "text/Text.h"

namespace exambell {

// Minutes of the day of a start text: hour before the first ":", minute after the last ":"
// (no ":" gives 0).
std::int64_t startMinutes(std::string_view start);

// The moment "HH:MM:00" of a cue: offset < 0 counts back from the start; otherwise the moment is
// end - offset, end = start + duration. Wraps past midnight in both directions.
Text cueMoment(std::string_view start, std::int64_t offset, std::string_view duration);

// The lines of one exam, each preceded by CR LF, for the cues that lie ahead of nowMinutes (minute
// of the day; seconds do not count). With cue 7 enabled the bells come first in time order, then
// the exam's cue 5 and cue 6 lines; a bell on the moment of one of those is left out.
Text examCueLines(std::string_view start, std::string_view subject, std::string_view duration,
                  const CueSettings& cues, int nowMinutes);

// Which day's sitting of an exam a run started at nowMinutes serves, in days from today: -1 when
// yesterday's sitting runs past midnight and has not ended yet (its evening cues are not listed
// again), +1 when today's sitting is over and tomorrow's starts within kNextDayHorizonMinutes
// (a run started shortly before midnight for an exam shortly after it), else 0. Pass
// nowMinutes - 1440 * offset to examCueLines to schedule that sitting.
inline constexpr int kNextDayHorizonMinutes = 180;
int examDayOffset(std::string_view start, std::string_view duration, int nowMinutes);

// The schedule of all enabled exams, exam by exam, lines joined by single CR LF pairs; each exam
// is scheduled for the sitting examDayOffset chooses.
Text buildSchedule(const ExamSettings& exams, const CueSettings& cues, int nowMinutes);

// Drops one leading and one trailing CR LF and joins the line breaks around blank lines.
Text cleanScheduleText(std::string_view text);

// One row of the reminder list: "序号", "考试科目", "播放时间", "备注", "铃声".
struct ReminderRow {
    Text number;
    Text subject;
    Text time;
    Text caption;
    Text fileName;
};

// The rows of a cleaned schedule text, one per non-empty line; the number counts lines from 1.
std::vector<ReminderRow> reminderRows(std::string_view schedule);

}  // namespace exambell
