#include "plans/PlanLoader.h"

#include "settings/SettingsFile.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

const Text kLoadedStart = utf8ToGbk("已载入考试安排“");
const Text kLoadedMiddle = utf8ToGbk("” ");
const Text kLoadedCount = utf8ToGbk(" 的考试 ");
const Text kLoadedEnd = utf8ToGbk(" 场");
const Text kEmptyStart = utf8ToGbk("考试安排“");
const Text kEmptyMiddle = utf8ToGbk("” ");
const Text kEmptyEnd = utf8ToGbk(" 没有考试，考试科目保持不变");
const Text kWriteBackRefused = utf8ToGbk("考试安排未能写入配置文件");
const Text kWriteBackPrefix = utf8ToGbk("考试安排未更新：");

Text dayCaption(const Text& date) {
    const auto d = parseDate(date);
    return d ? date + " " + weekdayName(*d) : date;
}

}  // namespace

Text dateOf(const LocalTime& t) {
    return dateText(t.year, t.month, t.day);
}

PlanLoader::PlanLoader(SettingsForm& rows, Clock& clock, Text configPath, PlanLoaderHooks hooks)
    : rows_(rows), clock_(clock), store_(std::move(configPath)), hooks_(std::move(hooks)) {}

PlanLoader::~PlanLoader() {
    if (armed_) {
        clock_.cancel(timer_);
    }
}

Text PlanLoader::loadedNotice(const Text& plan, const Text& date, std::size_t sittings) {
    return kLoadedStart + plan + kLoadedMiddle + dayCaption(date) + kLoadedCount +
           toText(static_cast<std::int64_t>(sittings)) + kLoadedEnd;
}

Text PlanLoader::emptyDayNotice(const Text& plan, const Text& date) {
    return kEmptyStart + plan + kEmptyMiddle + dayCaption(date) + kEmptyEnd;
}

void PlanLoader::loadToday() {
    watchedDate_.clear();
    checkDate();
}

void PlanLoader::checkDate() {
    armed_ = false;
    const Text today = dateOf(clock_.now());
    if (today != watchedDate_ && !(hooks_.runActive && hooks_.runActive())) {
        watchedDate_ = today;
        load(today);
    }
    arm();
}

void PlanLoader::arm() {
    if (armed_) {
        clock_.cancel(timer_);
    }
    const LocalTime now = clock_.now();
    const std::int64_t toMidnight =
        (86'400 - (now.hour * 3600 + now.minute * 60 + now.second)) * 1000 - now.millisecond;
    // Just past midnight, so that a timer a little early still sees the new day.
    const std::int64_t wait = std::min(toMidnight, kWatchMilliseconds) + 5;
    timer_ = clock_.callAt(clock_.wallMilliseconds() + wait, [this] { checkDate(); });
    armed_ = true;
}

void PlanLoader::load(const Text& date) {
    const PlanStore::Day day = store_.activeDay(date);
    if (day.number == 0) {
        loadedDate_.clear();
        loadedPlan_ = 0;
        return;
    }
    if (day.sittings.empty()) {
        loadedDate_.clear();
        loadedPlan_ = 0;
        if (hooks_.notice) {
            hooks_.notice(emptyDayNotice(day.name, date));
        }
        return;
    }
    rows_.setExams(examRowsFor(day.sittings, rows_.exams()));
    for (std::size_t i = 0; i < day.sittings.size() && i < kExamCount; ++i) {
        const int start = sittingStart(day.sittings[i]);
        rows_.setExamEnd(static_cast<int>(i + 1),
                         endTimeCaption(start / 60, start % 60, day.sittings[i].duration));
    }
    // A cue sounds for the day when one of its sittings has it on.
    CueSettings cues = rows_.cues();
    for (std::size_t i = 0; i < cues.size(); ++i) {
        bool on = false;
        for (const PlanSitting& s : day.sittings) {
            on = on || s.cues[i];
        }
        cues[i].enabled = on;
    }
    rows_.setCues(cues);
    loadedDate_ = date;
    loadedPlan_ = day.number;
    if (hooks_.rowsLoaded) {
        hooks_.rowsLoaded();
    }
    if (hooks_.notice) {
        hooks_.notice(loadedNotice(day.name, date, day.sittings.size()));
    }
    if (day.autoStart && hooks_.autoStart) {
        hooks_.autoStart();
    }
}

Text PlanLoader::writeBack() {
    if (loadedPlan_ == 0 || loadedDate_.empty()) {
        return Text();
    }
    const ExamSettings exams = rows_.exams();
    const CueSettings cues = rows_.cues();
    std::vector<PlanSitting> day;
    for (const ExamSetting& exam : exams) {
        if (!exam.enabled) {
            continue;
        }
        PlanSitting s;
        s.date = loadedDate_;
        s.subject = exam.subject;
        s.start = exam.start;
        s.duration = static_cast<int>(toInteger(exam.duration));
        for (std::size_t i = 0; i < cues.size(); ++i) {
            s.cues[i] = cues[i].enabled;
        }
        if (Text problem = checkSittingFits(day, s); !problem.empty()) {
            return kWriteBackPrefix + problem;
        }
        s.start = clockText(sittingStart(s));
        day.push_back(std::move(s));
    }
    if (!store_.writeDay(loadedPlan_, loadedDate_, day)) {
        return kWriteBackRefused;
    }
    return Text();
}

}  // namespace exambell
