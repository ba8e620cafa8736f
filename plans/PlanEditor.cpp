#include "plans/PlanEditor.h"

#include "schedule/ExamFields.h"

namespace exambell {

PlanEditor::PlanEditor(Text configPath, Text voiceFolder)
    : store_(std::move(configPath)), voiceFolder_(std::move(voiceFolder)) {}

void PlanEditor::reload() {
    plans_ = store_.loadAll();
    active_ = store_.activeNumber() - 1;
    current_ = active_ >= 0 ? active_ : (plans_.empty() ? -1 : 0);
    dirty_ = false;
}

void PlanEditor::choose(int index) {
    if (index >= 0 && index < static_cast<int>(plans_.size())) {
        current_ = index;
    }
}

const ExamPlan* PlanEditor::plan() const {
    return current_ >= 0 ? &plans_[static_cast<std::size_t>(current_)] : nullptr;
}

Text PlanEditor::newPlan(const Text& name) {
    if (name.empty()) {
        return kPlanNameMissingMessage;
    }
    ExamPlan plan;
    plan.name = name;
    plan.cues = defaultPlanCues(voiceFolder_);
    plans_.push_back(std::move(plan));
    current_ = static_cast<int>(plans_.size()) - 1;
    dirty_ = true;
    return Text();
}

Text PlanEditor::rename(const Text& name) {
    if (current_ < 0) {
        return newPlan(name);
    }
    if (name.empty()) {
        return kPlanNameMissingMessage;
    }
    plans_[static_cast<std::size_t>(current_)].name = name;
    dirty_ = true;
    return Text();
}

void PlanEditor::setAutoStart(bool on) {
    if (current_ >= 0) {
        plans_[static_cast<std::size_t>(current_)].autoStart = on;
        dirty_ = true;
    }
}

std::optional<PlanSitting> PlanEditor::sittingFrom(const SittingFields& fields,
                                                   const std::array<bool, kCueCount>& cues,
                                                   Text& problem) {
    PlanSitting s;
    s.cues = cues;
    const FieldCheck subject = checkSubjectText(fields.subject);
    if (subject.refused) {
        problem = kSubjectMissingMessage;
        return std::nullopt;
    }
    s.subject = fields.subject;
    const FieldCheck start = normaliseStartTimeText(fields.start);
    if (start.refused) {
        problem = kStartTimeFormatMessage;
        return std::nullopt;
    }
    s.start = start.text;
    const FieldCheck duration = normaliseDurationText(fields.duration);
    if (duration.refused) {
        problem = kDurationMissingMessage;
        return std::nullopt;
    }
    s.duration = static_cast<int>(toInteger(duration.text));
    const auto date = parseDate(fields.date);
    if (!date) {
        problem = kDateWrongMessage;
        return std::nullopt;
    }
    s.date = dateText(*date);
    problem = checkSitting(s);
    if (!problem.empty()) {
        return std::nullopt;
    }
    return s;
}

Text PlanEditor::addSitting(const SittingFields& fields, const std::array<bool, kCueCount>& cues) {
    if (current_ < 0) {
        return kPlanNameMissingMessage;
    }
    Text problem;
    const auto s = sittingFrom(fields, cues, problem);
    if (!s) {
        return problem;
    }
    ExamPlan& plan = plans_[static_cast<std::size_t>(current_)];
    problem = checkSittingFits(plan.sittings, *s);
    if (!problem.empty()) {
        return problem;
    }
    plan.sittings.push_back(*s);
    sortSittings(plan.sittings);
    dirty_ = true;
    return Text();
}

Text PlanEditor::replaceSitting(std::size_t index, const SittingFields& fields) {
    if (current_ < 0 || index >= plans_[static_cast<std::size_t>(current_)].sittings.size()) {
        return kNoSittingChosenMessage;
    }
    ExamPlan& plan = plans_[static_cast<std::size_t>(current_)];
    Text problem;
    const auto s = sittingFrom(fields, plan.sittings[index].cues, problem);
    if (!s) {
        return problem;
    }
    problem = checkSittingFits(plan.sittings, *s, index);
    if (!problem.empty()) {
        return problem;
    }
    plan.sittings[index] = *s;
    sortSittings(plan.sittings);
    dirty_ = true;
    return Text();
}

Text PlanEditor::removeSitting(std::size_t index) {
    if (current_ < 0 || index >= plans_[static_cast<std::size_t>(current_)].sittings.size()) {
        return kNoSittingChosenMessage;
    }
    auto& sittings = plans_[static_cast<std::size_t>(current_)].sittings;
    sittings.erase(sittings.begin() + static_cast<std::ptrdiff_t>(index));
    dirty_ = true;
    return Text();
}

Text PlanEditor::copyDay(std::size_t index, const Text& toDate) {
    if (current_ < 0 || index >= plans_[static_cast<std::size_t>(current_)].sittings.size()) {
        return kNoSittingChosenMessage;
    }
    ExamPlan& plan = plans_[static_cast<std::size_t>(current_)];
    const auto to = parseDate(toDate);
    if (!to) {
        return kDateWrongMessage;
    }
    const Text from = plan.sittings[index].date;
    Text problem = exambell::copyDay(plan, from, dateText(*to));
    dirty_ = dirty_ || problem.empty();
    return problem;
}

Text PlanEditor::moveDay(std::size_t index, const Text& minutes) {
    if (current_ < 0 || index >= plans_[static_cast<std::size_t>(current_)].sittings.size()) {
        return kNoSittingChosenMessage;
    }
    const std::int64_t by = toInteger(minutes);
    if (by == 0 || by <= -1440 || by >= 1440) {
        return kMoveMinutesWrongMessage;
    }
    ExamPlan& plan = plans_[static_cast<std::size_t>(current_)];
    const Text date = plan.sittings[index].date;
    Text problem = exambell::moveDay(plan, date, static_cast<int>(by));
    dirty_ = dirty_ || problem.empty();
    return problem;
}

Text PlanEditor::addSittings(const std::vector<PlanSitting>& sittings) {
    if (current_ < 0) {
        return kPlanNameMissingMessage;
    }
    ExamPlan& plan = plans_[static_cast<std::size_t>(current_)];
    std::vector<PlanSitting> result = plan.sittings;
    for (const PlanSitting& s : sittings) {
        if (Text problem = checkSittingFits(result, s); !problem.empty()) {
            return problem;
        }
        result.push_back(s);
    }
    sortSittings(result);
    plan.sittings = std::move(result);
    dirty_ = true;
    return Text();
}

Text PlanEditor::addCue(const PlanCueFields& fields) {
    if (current_ < 0) {
        return kPlanNameMissingMessage;
    }
    if (fields.name.empty()) {
        return kCueNameMissingMessage;
    }
    const Text digits = fields.minutes;
    bool number = !digits.empty();
    for (std::size_t i = 0; i < digits.size(); ++i) {
        number = number && ((digits[i] >= '0' && digits[i] <= '9') ||
                            (i == 0 && (digits[i] == '-' || digits[i] == '+')));
    }
    const std::int64_t minutes = toInteger(digits);
    if (!number || minutes <= -1440 || minutes >= 1440 || fields.anchor < 0 || fields.anchor > 3) {
        return kCueMinutesWrongMessage;
    }
    plans_[static_cast<std::size_t>(current_)].cues.push_back(
        PlanCue{fields.name, static_cast<CueAnchor>(fields.anchor), static_cast<int>(minutes),
                fields.path});
    dirty_ = true;
    return Text();
}

Text PlanEditor::removeCue(std::size_t index) {
    if (current_ < 0 || index >= plans_[static_cast<std::size_t>(current_)].cues.size()) {
        return Text();
    }
    auto& cues = plans_[static_cast<std::size_t>(current_)].cues;
    cues.erase(cues.begin() + static_cast<std::ptrdiff_t>(index));
    dirty_ = true;
    return Text();
}

bool PlanEditor::save() {
    // Every plan in order: a new plan's number follows the ones before it.
    for (std::size_t i = 0; i < plans_.size(); ++i) {
        if (!store_.save(static_cast<int>(i) + 1, plans_[i])) {
            return false;
        }
    }
    dirty_ = false;
    return true;
}

bool PlanEditor::setActive(bool on) {
    if (current_ < 0) {
        return false;
    }
    // A plan not yet in the file is written first: the active number must name it.
    if (current_ + 1 > store_.planCount() && !save()) {
        return false;
    }
    if (!store_.setActive(on ? current_ + 1 : 0)) {
        return false;
    }
    active_ = on ? current_ : -1;
    return true;
}

bool PlanEditor::removePlan() {
    if (current_ < 0) {
        return true;
    }
    if (current_ < store_.planCount() && !store_.remove(current_ + 1)) {
        return false;
    }
    const int keep = current_;
    plans_.erase(plans_.begin() + keep);
    if (active_ == keep) {
        active_ = -1;
    } else if (active_ > keep) {
        --active_;
    }
    current_ = plans_.empty() ? -1 : std::min(keep, static_cast<int>(plans_.size()) - 1);
    dirty_ = false;
    return true;
}

}  // namespace exambell
