#pragma once
// The week at a glance: a plan's sittings day by day with every cue's time, the sheet an exam
// office hangs on the wall. Made as a ChartDocument, so that the seating chart's page code
// (ChartOutput) writes it to PDF or prints it.

#include "plans/ExamPlan.h"
#include "seating/ChartDocument.h"

namespace exambell {

// One row per sitting in order of date and start: the row label "1月12日 星期一", then 科目,
// 时间 "08:00-10:30", and a column per cue that sounds in the plan: the main window's cues 1 to
// 6 that some sitting has on (cue 7's bells are too many for a cell), then the plan's own cues
// by name (two of one name share a column). A cell holds the cue's time, or is empty where the
// cue does not sound.
ChartDocument weekSheet(const ExamPlan& plan);

}  // namespace exambell
