#pragma once
// What the plan window does, without the window: the plans kept in config.ini, the one being
// edited, and the edits with their checks. Every edit that fails returns its message and leaves
// the plan as it was; nothing reaches the file until save().

#include <optional>
#include <vector>

#include "plans/PlanStore.h"

namespace exambell {

// The texts of the sitting boxes, as the operator typed them.
struct SittingFields {
    Text date;
    Text subject;
    Text start;
    Text duration;
};

// The texts of the plan-cue boxes.
struct PlanCueFields {
    Text name;
    int anchor = 0;  // CueAnchor as int
    Text minutes;    // either sign
    Text path;
};

inline const Text kPlanNameMissingMessage = utf8ToGbk("考试安排名称不能为空");
inline const Text kCueNameMissingMessage = utf8ToGbk("提醒名称不能为空");
inline const Text kCueMinutesWrongMessage = utf8ToGbk("提醒分钟数错误");
inline const Text kMoveMinutesWrongMessage = utf8ToGbk("平移分钟数错误");
inline const Text kNoSittingChosenMessage = utf8ToGbk("请先在列表中选择一场考试");

class PlanEditor {
  public:
    // voiceFolder: where a new plan's default cue recordings are.
    PlanEditor(Text configPath, Text voiceFolder);

    // Reads the plans from the file; the active one (else the first) is edited.
    void reload();
    const std::vector<ExamPlan>& plans() const { return plans_; }
    // Index into plans() of the plan edited; -1 when there is none.
    int current() const { return current_; }
    // Index of the active plan, -1 when none.
    int active() const { return active_; }
    void choose(int index);
    const ExamPlan* plan() const;
    bool dirty() const { return dirty_; }

    // A new plan with the default plan cues; edited at once (saved by save()).
    Text newPlan(const Text& name);
    Text rename(const Text& name);
    void setAutoStart(bool on);

    // The sitting from the boxes: the exam rows' checks and messages (a start is tidied as the
    // start box tidies it, a duration as the duration box), then the date. cues: the switches a
    // new sitting gets.
    static std::optional<PlanSitting> sittingFrom(const SittingFields& fields,
                                                  const std::array<bool, kCueCount>& cues,
                                                  Text& problem);
    Text addSitting(const SittingFields& fields, const std::array<bool, kCueCount>& cues);
    // Replaces sitting `index` of the plan (in its sorted order); it keeps its cue switches.
    Text replaceSitting(std::size_t index, const SittingFields& fields);
    Text removeSitting(std::size_t index);
    Text copyDay(std::size_t index, const Text& toDate);  // the day of sitting `index`
    Text moveDay(std::size_t index, const Text& minutes);
    // Adds sittings that passed the import's checks: refused whole when one does not fit.
    Text addSittings(const std::vector<PlanSitting>& sittings);

    Text addCue(const PlanCueFields& fields);
    Text removeCue(std::size_t index);

    // Writes the plans (each one whole section); false when the file refused one.
    bool save();
    // Makes the plan edited the active one (or none) in the file.
    bool setActive(bool on);
    // Removes the plan edited from the file.
    bool removePlan();

  private:
    PlanStore store_;
    Text voiceFolder_;
    std::vector<ExamPlan> plans_;
    int current_ = -1;
    int active_ = -1;
    bool dirty_ = false;
};

}  // namespace exambell
