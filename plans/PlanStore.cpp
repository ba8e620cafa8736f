#include "plans/PlanStore.h"

#include <algorithm>

#include "plans/SectionReplace.h"
#include "settings/ProfileStore.h"

namespace exambell {
namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::string_view kPlansSection = "plans";
constexpr std::string_view kActiveKey = "active";
constexpr std::string_view kCountKey = "count";
constexpr std::string_view kNameKey = "name";
constexpr std::string_view kAutoStartKey = "auto_start";
constexpr std::string_view kDaysKey = "days";
constexpr std::string_view kCuesKey = "cues";
constexpr std::array<std::string_view, 4> kAnchorNames = {"start", "end", "first", "later"};

Text planSection(int number) {
    return "plan_" + toText(number);
}

Text dayKey(std::string_view date, int k) {
    return Text(date) + "_" + toText(k);
}

Text cueKey(int k) {
    return "cue_" + toText(k);
}

Text cueSrcKey(int k) {
    return cueKey(k) + "_src";
}

// The first `count` comma-separated fields of value and the rest after them.
std::optional<std::vector<Text>> fields(std::string_view value, std::size_t count) {
    std::vector<Text> out;
    std::size_t from = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t comma = value.find(',', from);
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        out.emplace_back(value.substr(from, comma - from));
        from = comma + 1;
    }
    out.emplace_back(value.substr(from));
    return out;
}

}  // namespace

Text sittingValue(const PlanSitting& s) {
    Text switches;
    for (bool on : s.cues) {
        switches += on ? '1' : '0';
    }
    return s.start + "," + toText(s.duration) + "," + switches + "," + s.subject;
}

std::optional<PlanSitting> sittingFromValue(std::string_view date, std::string_view value) {
    const auto parts = fields(value, 3);
    if (!parts || (*parts)[2].size() != kCueCount || !parseClock((*parts)[0])) {
        return std::nullopt;
    }
    PlanSitting s;
    s.date = Text(date);
    s.start = clockText(*parseClock((*parts)[0]));
    s.duration = static_cast<int>(toInteger((*parts)[1]));
    for (std::size_t i = 0; i < kCueCount; ++i) {
        s.cues[i] = (*parts)[2][i] == '1';
    }
    s.subject = (*parts)[3];
    if (!checkSitting(s).empty()) {
        return std::nullopt;
    }
    return s;
}

Text PlanStore::read(std::string_view section, std::string_view key) const {
    return ProfileStore::read(configPath_, section, key, "");
}

bool PlanStore::write(std::string_view section, std::string_view key, std::string_view value) {
    return ProfileStore::write(configPath_, section, key, value);
}

int PlanStore::planCount() const {
    const std::int64_t n = toInteger(read(kPlansSection, kCountKey));
    return n < 0 || n > 999 ? 0 : static_cast<int>(n);
}

int PlanStore::activeNumber() const {
    const std::int64_t n = toInteger(read(kPlansSection, kActiveKey));
    return n >= 1 && n <= planCount() ? static_cast<int>(n) : 0;
}

std::vector<Text> PlanStore::days(int number) const {
    std::vector<Text> out;
    for (const Text& d : splitText(read(planSection(number), kDaysKey), ",")) {
        if (parseDate(d)) {
            out.push_back(d);
        }
    }
    return out;
}

std::vector<PlanSitting> PlanStore::daySittings(int number, std::string_view date) const {
    std::vector<PlanSitting> day;
    const Text section = planSection(number);
    for (int k = 1; k <= kSittingsPerDay; ++k) {
        const Text value = read(section, dayKey(date, k));
        if (value.empty()) {
            continue;
        }
        if (auto s = sittingFromValue(date, value)) {
            day.push_back(std::move(*s));
        }
    }
    sortSittings(day);
    return day;
}

std::vector<PlanCue> PlanStore::cues(int number) const {
    std::vector<PlanCue> out;
    const Text section = planSection(number);
    const std::int64_t count = std::min<std::int64_t>(toInteger(read(section, kCuesKey)), 99);
    for (int k = 1; k <= count; ++k) {
        const auto parts = fields(read(section, cueKey(k)), 2);
        if (!parts || (*parts)[2].empty()) {
            continue;
        }
        const auto anchor = std::find(kAnchorNames.begin(), kAnchorNames.end(), (*parts)[0]);
        if (anchor == kAnchorNames.end()) {
            continue;
        }
        PlanCue cue;
        cue.anchor = static_cast<CueAnchor>(anchor - kAnchorNames.begin());
        cue.offset = static_cast<int>(toInteger((*parts)[1]));
        cue.name = (*parts)[2];
        cue.path = read(section, cueSrcKey(k));
        out.push_back(std::move(cue));
    }
    return out;
}

ExamPlan PlanStore::load(int number) const {
    ExamPlan plan;
    if (number < 1 || number > planCount()) {
        return plan;
    }
    const Text section = planSection(number);
    plan.name = read(section, kNameKey);
    plan.autoStart = read(section, kAutoStartKey) == "1";
    for (const Text& date : days(number)) {
        for (PlanSitting& s : daySittings(number, date)) {
            plan.sittings.push_back(std::move(s));
        }
    }
    sortSittings(plan.sittings);
    plan.cues = cues(number);
    return plan;
}

std::vector<ExamPlan> PlanStore::loadAll() const {
    std::vector<ExamPlan> plans;
    for (int n = 1; n <= planCount(); ++n) {
        plans.push_back(load(n));
    }
    return plans;
}

Text PlanStore::sectionText(int number, const ExamPlan& plan) {
    Text text = "[" + planSection(number) + "]" + kLineEnd;
    const auto line = [&text](std::string_view key, std::string_view value) {
        text += Text(key) + "=" + Text(value) + kLineEnd;
    };
    line(kNameKey, plan.name);
    line(kAutoStartKey, plan.autoStart ? "1" : "0");
    const std::vector<Text> dates = planDates(plan);
    Text dayList;
    for (const Text& date : dates) {
        dayList += (dayList.empty() ? "" : ",") + date;
    }
    line(kDaysKey, dayList);
    for (const Text& date : dates) {
        const std::vector<PlanSitting> day = sittingsOn(plan, date);
        for (std::size_t k = 0; k < day.size() && k < kSittingsPerDay; ++k) {
            line(dayKey(date, static_cast<int>(k + 1)), sittingValue(day[k]));
        }
    }
    line(kCuesKey, toText(static_cast<std::int64_t>(plan.cues.size())));
    for (std::size_t k = 1; k <= plan.cues.size(); ++k) {
        const PlanCue& cue = plan.cues[k - 1];
        line(cueKey(static_cast<int>(k)), Text(kAnchorNames[static_cast<std::size_t>(cue.anchor)]) +
                                              "," + toText(cue.offset) + "," + cue.name);
        line(cueSrcKey(static_cast<int>(k)), cue.path);
    }
    return text;
}

bool PlanStore::save(int number, const ExamPlan& plan) {
    const int count = planCount();
    if (number < 1 || number > count + 1) {
        return false;
    }
    const Text text = sectionText(number, plan);
    // Every value of the section must stay on its line.
    if (std::count(text.begin(), text.end(), '\n') != std::count(text.begin(), text.end(), '\r')) {
        return false;
    }
    if (!replaceSection(configPath_, planSection(number), text)) {
        return false;
    }
    if (number == count + 1) {
        return write(kPlansSection, kCountKey, toText(number));
    }
    return true;
}

bool PlanStore::remove(int number) {
    const int count = planCount();
    if (number < 1 || number > count) {
        return false;
    }
    const int active = activeNumber();
    // A refused write stops before the count goes down: no plan is lost.
    for (int n = number; n < count; ++n) {
        if (!save(n, load(n + 1))) {
            return false;
        }
    }
    if (!replaceSection(configPath_, planSection(count), "")) {
        return false;
    }
    bool ok = write(kPlansSection, kCountKey, toText(count - 1));
    if (active == number) {
        ok = write(kPlansSection, kActiveKey, "0") && ok;
    } else if (active > number) {
        ok = write(kPlansSection, kActiveKey, toText(active - 1)) && ok;
    }
    return ok;
}

bool PlanStore::setActive(int number) {
    return write(kPlansSection, kActiveKey, toText(number));
}

PlanStore::Day PlanStore::activeDay(std::string_view date) const {
    Day day;
    day.number = activeNumber();
    if (day.number == 0) {
        return day;
    }
    const Text section = planSection(day.number);
    day.name = read(section, kNameKey);
    day.autoStart = read(section, kAutoStartKey) == "1";
    day.sittings = daySittings(day.number, date);
    return day;
}

bool PlanStore::writeDay(int number, std::string_view date,
                         const std::vector<PlanSitting>& sittings) {
    ExamPlan plan = load(number);
    std::erase_if(plan.sittings, [date](const PlanSitting& s) { return s.date == date; });
    for (PlanSitting s : sittings) {
        s.date = Text(date);
        plan.sittings.push_back(std::move(s));
    }
    sortSittings(plan.sittings);
    return save(number, plan);
}

}  // namespace exambell
