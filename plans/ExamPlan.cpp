#include "plans/ExamPlan.h"

#include <algorithm>

#include "schedule/ExamFields.h"
#include "text/Paths.h"

namespace exambell {
namespace {

const Text kFullWidthColon = utf8ToGbk("：");
const Text kOverlapJoin = utf8ToGbk(" 与 ");
const Text kOverlapEnd = utf8ToGbk(" 时间重叠");
const Text kMoveOutOfDay = utf8ToGbk("平移后考试不在同一天内：");
const Text kNoSittingsOnDay = utf8ToGbk("这一天没有考试：");
const Text kSameDay = utf8ToGbk("目标日期与原日期相同");
const std::array<Text, 7> kWeekdays = {
    utf8ToGbk("星期日"), utf8ToGbk("星期一"), utf8ToGbk("星期二"), utf8ToGbk("星期三"),
    utf8ToGbk("星期四"), utf8ToGbk("星期五"), utf8ToGbk("星期六")};

bool allDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[static_cast<std::size_t>(month - 1)];
}

Text span(const PlanSitting& s) {
    return s.subject + " " + s.start + "-" + clockText(sittingEnd(s));
}

}  // namespace

std::optional<PlanDate> parseDate(std::string_view text) {
    char separator = 0;
    for (char c : {'-', '/', '.'}) {
        if (text.find(c) != std::string_view::npos) {
            separator = c;
            break;
        }
    }
    if (separator == 0) {
        return std::nullopt;
    }
    const std::vector<Text> parts = splitText(text, std::string_view(&separator, 1));
    if (parts.size() != 3 || parts[0].size() != 4 || parts[1].size() > 2 || parts[2].size() > 2 ||
        !allDigits(parts[0]) || !allDigits(parts[1]) || !allDigits(parts[2])) {
        return std::nullopt;
    }
    PlanDate d{static_cast<int>(toInteger(parts[0])), static_cast<int>(toInteger(parts[1])),
               static_cast<int>(toInteger(parts[2]))};
    if (d.year < 1970 || d.month < 1 || d.month > 12 || d.day < 1 ||
        d.day > daysInMonth(d.year, d.month)) {
        return std::nullopt;
    }
    return d;
}

Text dateText(int year, int month, int day) {
    return toText(year) + "-" + twoDigits(month) + "-" + twoDigits(day);
}

Text dateText(const PlanDate& date) {
    return dateText(date.year, date.month, date.day);
}

std::int64_t dayNumber(const PlanDate& d) {
    const std::int64_t y = static_cast<std::int64_t>(d.year) - (d.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (d.month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

PlanDate dateOfDay(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return PlanDate{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

Text weekdayName(const PlanDate& date) {
    // 1970-01-01 was a Thursday.
    const std::int64_t w = ((dayNumber(date) % 7) + 7 + 4) % 7;
    return kWeekdays[static_cast<std::size_t>(w)];
}

std::optional<int> parseClock(std::string_view text) {
    Text t(text);
    const int wide = findText(t, kFullWidthColon);
    if (wide > 0) {
        t.replace(static_cast<std::size_t>(wide - 1), kFullWidthColon.size(), ":");
    }
    const std::size_t colon = t.find(':');
    if (colon == Text::npos) {
        return std::nullopt;
    }
    const std::string_view hour = std::string_view(t).substr(0, colon);
    std::string_view minute = std::string_view(t).substr(colon + 1);
    // "09:00:00", as spreadsheets write a time, has whole seconds.
    if (minute.size() == 5 && minute.substr(2) == ":00") {
        minute = minute.substr(0, 2);
    }
    if (hour.empty() || hour.size() > 2 || minute.size() != 2 || !allDigits(hour) ||
        !allDigits(minute)) {
        return std::nullopt;
    }
    const int h = static_cast<int>(toInteger(hour));
    const int m = static_cast<int>(toInteger(minute));
    if (h > 23 || m > 59) {
        return std::nullopt;
    }
    return h * 60 + m;
}

Text clockText(int minutes) {
    minutes = ((minutes % 1440) + 1440) % 1440;
    return twoDigits(minutes / 60) + ":" + twoDigits(minutes % 60);
}

int sittingStart(const PlanSitting& s) {
    return parseClock(s.start).value_or(0);
}

int sittingEnd(const PlanSitting& s) {
    return sittingStart(s) + s.duration;
}

Text checkSitting(const PlanSitting& s) {
    if (!parseDate(s.date)) {
        return kDateWrongMessage;
    }
    if (s.subject.empty()) {
        return kSubjectMissingMessage;
    }
    if (s.subject.find_first_of("\r\n") != Text::npos) {
        return kSubjectLineBreakMessage;
    }
    if (!parseClock(s.start)) {
        return kStartTimeFormatMessage;
    }
    if (s.duration <= 0 || s.duration > kMaxSittingMinutes) {
        return kDurationMissingMessage;
    }
    return Text();
}

Text overlapMessage(const PlanSitting& a, const PlanSitting& b) {
    if (a.date != b.date) {
        return Text();
    }
    if (sittingStart(a) < sittingEnd(b) && sittingStart(b) < sittingEnd(a)) {
        const bool aFirst = sittingStart(a) <= sittingStart(b);
        return span(aFirst ? a : b) + kOverlapJoin + span(aFirst ? b : a) + kOverlapEnd;
    }
    return Text();
}

Text checkSittingFits(const std::vector<PlanSitting>& sittings, const PlanSitting& candidate,
                      std::optional<std::size_t> replacing) {
    if (Text problem = checkSitting(candidate); !problem.empty()) {
        return problem;
    }
    int sameDay = 1;
    for (std::size_t i = 0; i < sittings.size(); ++i) {
        if ((replacing && *replacing == i) || sittings[i].date != candidate.date) {
            continue;
        }
        if (Text overlap = overlapMessage(sittings[i], candidate); !overlap.empty()) {
            return overlap;
        }
        ++sameDay;
    }
    if (sameDay > kSittingsPerDay) {
        return candidate.date + " " + kTooManySittingsMessage;
    }
    return Text();
}

void sortSittings(std::vector<PlanSitting>& sittings) {
    std::stable_sort(sittings.begin(), sittings.end(), [](const auto& a, const auto& b) {
        if (a.date != b.date) {
            return a.date < b.date;
        }
        return sittingStart(a) < sittingStart(b);
    });
}

std::vector<PlanSitting> sittingsOn(const ExamPlan& plan, std::string_view date) {
    std::vector<PlanSitting> day;
    for (const PlanSitting& s : plan.sittings) {
        if (s.date == date) {
            day.push_back(s);
        }
    }
    sortSittings(day);
    return day;
}

std::vector<Text> planDates(const ExamPlan& plan) {
    std::vector<Text> dates;
    for (const PlanSitting& s : plan.sittings) {
        if (std::find(dates.begin(), dates.end(), s.date) == dates.end()) {
            dates.push_back(s.date);
        }
    }
    std::sort(dates.begin(), dates.end());
    return dates;
}

Text copyDay(ExamPlan& plan, std::string_view from, std::string_view to) {
    if (!parseDate(to)) {
        return kDateWrongMessage;
    }
    if (from == to) {
        return kSameDay;
    }
    const std::vector<PlanSitting> day = sittingsOn(plan, from);
    if (day.empty()) {
        return kNoSittingsOnDay + Text(from);
    }
    std::vector<PlanSitting> result = plan.sittings;
    for (PlanSitting s : day) {
        s.date = Text(to);
        if (Text problem = checkSittingFits(result, s); !problem.empty()) {
            return problem;
        }
        result.push_back(s);
    }
    sortSittings(result);
    plan.sittings = std::move(result);
    return Text();
}

Text moveDay(ExamPlan& plan, std::string_view date, int minutes) {
    std::vector<PlanSitting> result = plan.sittings;
    bool any = false;
    for (PlanSitting& s : result) {
        if (s.date != date) {
            continue;
        }
        any = true;
        const int start = sittingStart(s) + minutes;
        if (start < 0 || start >= 1440) {
            return kMoveOutOfDay + s.subject;
        }
        s.start = clockText(start);
    }
    if (!any) {
        return kNoSittingsOnDay + Text(date);
    }
    sortSittings(result);
    plan.sittings = std::move(result);
    return Text();
}

ExamSettings examRowsFor(const std::vector<PlanSitting>& day, const ExamSettings& current) {
    ExamSettings rows = current;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i < day.size()) {
            rows[i].enabled = true;
            rows[i].subject = day[i].subject;
            rows[i].start = day[i].start;
            rows[i].duration = toText(day[i].duration) + kMinutesSuffix;
        } else {
            rows[i].enabled = false;
        }
    }
    return rows;
}

int halfDayOf(int startMinutes) {
    return startMinutes < 12 * 60 ? 0 : (startMinutes < 18 * 60 ? 1 : 2);
}

std::vector<SittingCue> planCuesFor(const ExamPlan& plan, const PlanSitting& sitting,
                                    const std::vector<PlanSitting>& daySittings) {
    const int start = sittingStart(sitting);
    bool firstOfHalfDay = true;
    for (const PlanSitting& other : daySittings) {
        const int otherStart = sittingStart(other);
        if (other.date == sitting.date && otherStart < start &&
            halfDayOf(otherStart) == halfDayOf(start)) {
            firstOfHalfDay = false;
        }
    }
    std::vector<SittingCue> cues;
    for (const PlanCue& cue : plan.cues) {
        int base = start;
        switch (cue.anchor) {
            case CueAnchor::Start:
                break;
            case CueAnchor::End:
                base = sittingEnd(sitting);
                break;
            case CueAnchor::FirstStart:
                if (!firstOfHalfDay) {
                    continue;
                }
                break;
            case CueAnchor::LaterStart:
                if (firstOfHalfDay) {
                    continue;
                }
                break;
        }
        cues.push_back(SittingCue{cue.name, cue.path, base + cue.offset});
    }
    std::stable_sort(cues.begin(), cues.end(),
                     [](const SittingCue& a, const SittingCue& b) { return a.minute < b.minute; });
    return cues;
}

std::vector<PlanCue> defaultPlanCues(std::string_view voiceFolder) {
    return {
        PlanCue{utf8ToGbk("进场"), CueAnchor::FirstStart, -30,
                joinPath(voiceFolder, utf8ToGbk("08进场.mp3"))},
        PlanCue{utf8ToGbk("禁止入场"), CueAnchor::Start, 15,
                joinPath(voiceFolder, utf8ToGbk("09禁止入场.mp3"))},
        PlanCue{utf8ToGbk("可以交卷"), CueAnchor::End, -30,
                joinPath(voiceFolder, utf8ToGbk("10可以交卷.mp3"))},
    };
}

}  // namespace exambell
