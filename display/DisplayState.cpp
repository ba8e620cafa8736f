#include "display/DisplayState.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <array>

#include "text/Encoding.h"

namespace exambell {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

const Text& dayName(int weekday) {
    static const std::array<Text, 7> names = {
        utf8ToGbk("星期日"), utf8ToGbk("星期一"), utf8ToGbk("星期二"), utf8ToGbk("星期三"),
        utf8ToGbk("星期四"), utf8ToGbk("星期五"), utf8ToGbk("星期六")};
    return names.at(static_cast<std::size_t>(std::clamp(weekday, 0, 6)));
}

const Text& phaseCaption(DisplayPhase phase) {
    static const Text before = utf8ToGbk("距开考");
    static const Text during = utf8ToGbk("考试中");
    static const Text ended = utf8ToGbk("已结束");
    static const Text none;
    switch (phase) {
        case DisplayPhase::BeforeStart:
            return before;
        case DisplayPhase::InProgress:
            return during;
        case DisplayPhase::Ended:
            return ended;
        case DisplayPhase::NoExam:
            break;
    }
    return none;
}

const char* phaseKey(DisplayPhase phase) {
    switch (phase) {
        case DisplayPhase::BeforeStart:
            return "before";
        case DisplayPhase::InProgress:
            return "running";
        case DisplayPhase::Ended:
            return "ended";
        case DisplayPhase::NoExam:
            break;
    }
    return "none";
}

Text dateText(const LocalTime& t) {
    return toText(t.year) + utf8ToGbk("年") + twoDigits(t.month) + utf8ToGbk("月") +
           twoDigits(t.day) + utf8ToGbk("日");
}

Text clockText(std::int64_t secondOfDay) {
    return twoDigits(secondOfDay / 3600) + ":" + twoDigits(secondOfDay / 60 % 60) + ":" +
           twoDigits(secondOfDay % 60);
}

Text minuteText(std::int64_t epochSecond) {
    const std::int64_t s = ((epochSecond % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    return twoDigits(s / 3600) + ":" + twoDigits(s / 60 % 60);
}

bool allDigits(std::string_view s) {
    return !s.empty() && s.size() <= 2 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

QString utf8(const Text& gbk) {
    return QString::fromStdString(gbkToUtf8(gbk));
}

}  // namespace

int displayStartMinutes(std::string_view start) {
    const std::size_t first = start.find(':');
    const std::size_t last = start.rfind(':');
    if (first == std::string_view::npos) {
        return -1;
    }
    const std::string_view hour = start.substr(0, first);
    const std::string_view minute = start.substr(last + 1);
    if (!allDigits(hour) || !allDigits(minute)) {
        return -1;
    }
    const int h = static_cast<int>(toInteger(hour));
    const int m = static_cast<int>(toInteger(minute));
    if (h > 23 || m > 59) {
        return -1;
    }
    return h * 60 + m;
}

Text durationText(std::int64_t seconds) {
    seconds = std::max<std::int64_t>(seconds, 0);
    return twoDigits(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" +
           twoDigits(seconds % 60);
}

DisplayState computeDisplayState(const std::vector<DisplayExam>& exams, const LocalTime& now) {
    DisplayState state;
    state.now = now;
    state.date = dateText(now);
    state.weekday = dayName(now.weekday);
    const std::int64_t nowSecond = localEpochSeconds(now);
    const std::int64_t today = nowSecond - nowSecond % kSecondsPerDay;
    state.time = clockText(nowSecond - today);

    for (const DisplayExam& exam : exams) {
        const int minutes = displayStartMinutes(exam.start);
        if (minutes < 0) {
            continue;
        }
        // Durations and shifts beyond a day make no exam of one day; they are clamped so that
        // the arithmetic stays far from overflow.
        const std::int64_t duration = std::clamp<std::int64_t>(exam.duration, 0, 24 * 60);
        const std::int64_t shift = std::clamp<std::int64_t>(exam.shiftMinutes, -24 * 60, 24 * 60);
        PlacedExam placed;
        placed.subject = exam.subject;
        placed.startSecond = today + (minutes + shift) * 60;
        placed.endSecond = placed.startSecond + duration * 60;
        // The same exam of the day before, still running past midnight, comes first.
        if (nowSecond < placed.endSecond - kSecondsPerDay) {
            placed.startSecond -= kSecondsPerDay;
            placed.endSecond -= kSecondsPerDay;
        }
        state.exams.push_back(placed);
    }

    const PlacedExam* shown = nullptr;
    // An exam under way wins (the earliest start when exams overlap); else the next to start;
    // else the one that ended last.
    for (const PlacedExam& e : state.exams) {
        if (e.startSecond <= nowSecond && nowSecond < e.endSecond &&
            (!shown || e.startSecond < shown->startSecond)) {
            shown = &e;
        }
    }
    if (shown) {
        state.phase = DisplayPhase::InProgress;
        state.remainingSeconds = shown->endSecond - nowSecond;
        state.lastStretch = state.remainingSeconds <= DisplayState::kLastStretchSeconds;
    } else {
        for (const PlacedExam& e : state.exams) {
            if (e.startSecond > nowSecond && (!shown || e.startSecond < shown->startSecond)) {
                shown = &e;
            }
        }
        if (shown) {
            state.phase = DisplayPhase::BeforeStart;
            state.remainingSeconds = shown->startSecond - nowSecond;
        } else {
            for (const PlacedExam& e : state.exams) {
                if (!shown || e.endSecond >= shown->endSecond) {
                    shown = &e;
                }
            }
            state.phase = shown ? DisplayPhase::Ended : DisplayPhase::NoExam;
        }
    }
    state.phaseText = phaseCaption(state.phase);
    state.remaining = durationText(state.remainingSeconds);
    if (shown) {
        state.subject = shown->subject;
        state.start = minuteText(shown->startSecond);
        state.end = minuteText(shown->endSecond);
    }
    return state;
}

QByteArray displayStateJson(const DisplayState& state, std::int64_t serverMilliseconds) {
    QJsonObject o;
    o[u"serverTime"] = static_cast<double>(serverMilliseconds);
    o[u"date"] = utf8(state.date);
    o[u"weekday"] = utf8(state.weekday);
    o[u"time"] = utf8(state.time);
    o[u"phase"] = QString::fromLatin1(phaseKey(state.phase));
    o[u"phaseText"] = utf8(state.phaseText);
    o[u"subject"] = utf8(state.subject);
    o[u"start"] = utf8(state.start);
    o[u"end"] = utf8(state.end);
    o[u"remaining"] = utf8(state.remaining);
    o[u"remainingSeconds"] = static_cast<double>(state.remainingSeconds);
    o[u"lastStretch"] = state.lastStretch;
    QJsonArray exams;
    for (const PlacedExam& e : state.exams) {
        QJsonObject x;
        x[u"subject"] = utf8(e.subject);
        x[u"startMs"] = static_cast<double>(e.startSecond * 1000);
        x[u"endMs"] = static_cast<double>(e.endSecond * 1000);
        exams.append(x);
    }
    o[u"exams"] = exams;
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

}  // namespace exambell
