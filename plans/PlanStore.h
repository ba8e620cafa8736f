#pragma once
// The exam plans in config.ini, in sections of their own beside the exam and cue sections, every
// key read or written through ProfileStore (GBK):
//
//   [plans]    active=<number of the active plan, 0: none>  count=<plans kept>
//   [plan_N]   name, auto_start ("1"/"0"), days=<dates with sittings, "YYYY-MM-DD,...">,
//              <date>_<k> = "HH:MM,<minutes>,<seven 0/1 cue switches>,<subject>" for the k-th
//              sitting (1..4) of that day in order of start, cues=<count>,
//              cue_<k> = "<anchor>,<offset>,<name>" (anchor start/end/first/later),
//              cue_<k>_src = <path of its recording>
//
// A day's sittings sit under keys named by their date, so the sittings of one day are read with
// a handful of reads whatever the size of the plan: start-up reads only today's. A plan is
// written as one whole section in one replacement of the file (SectionReplace.h): a save of a
// week of sittings costs one flush to disk, and a failed one leaves the old plan whole. The
// subject and the cue name come last in their values: a comma in them is theirs.

#include <optional>
#include <string_view>
#include <vector>

#include "plans/ExamPlan.h"

namespace exambell {

class PlanStore {
  public:
    explicit PlanStore(Text configPath) : configPath_(std::move(configPath)) {}
    const Text& configPath() const { return configPath_; }

    // Number (1-based) of the active plan; 0 when none is active or it is out of range.
    int activeNumber() const;
    int planCount() const;
    // Plan N whole (1 .. planCount()); an empty plan for any other N.
    ExamPlan load(int number) const;
    std::vector<ExamPlan> loadAll() const;

    // Writes plan N (1 .. planCount() + 1: one more adds a plan) as its whole section. False when
    // the file refused the write (the old file stays whole) or a value holds a line break.
    bool save(int number, const ExamPlan& plan);
    // Removes plan N: the later ones move up one number, the active number follows its plan.
    bool remove(int number);
    bool setActive(int number);

    // What start-up and midnight need of the active plan: its name, number and option and the
    // sittings of one date, read key by key without the rest of the plan.
    struct Day {
        int number = 0;  // 0: no active plan
        Text name;
        bool autoStart = false;
        std::vector<PlanSitting> sittings;
    };
    Day activeDay(std::string_view date) const;
    // The sittings of one date of plan N, in order of start.
    std::vector<PlanSitting> daySittings(int number, std::string_view date) const;
    // Replaces the sittings of one date of plan N (a save from the main window): the other days
    // and the plan's cues are not touched.
    bool writeDay(int number, std::string_view date, const std::vector<PlanSitting>& sittings);
    // The cues of plan N.
    std::vector<PlanCue> cues(int number) const;

  private:
    Text read(std::string_view section, std::string_view key) const;
    bool write(std::string_view section, std::string_view key, std::string_view value);
    std::vector<Text> days(int number) const;
    // The whole section of plan N as the file holds it.
    static Text sectionText(int number, const ExamPlan& plan);

    Text configPath_;
};

// A sitting's value in its key, and back (nothing when it does not read as one).
Text sittingValue(const PlanSitting& sitting);
std::optional<PlanSitting> sittingFromValue(std::string_view date, std::string_view value);

}  // namespace exambell
