#pragma once
// What the exam-room clock shows at one moment: the date and time, and for the exam that runs now
// (or else the next one, or else the last one of the day) its subject, start, end, phase and the
// time left. The window and the web page both show this one record.
//
// Exam times are times of the current day; an exam of the day before that is still running (it
// started late in the evening and runs past midnight) is the current one until its end. Times count
// whole seconds of local time since 1970-01-01 00:00 local (platform/Clock.h localEpochSeconds).

#include <QByteArray>
#include <cstdint>
#include <vector>

#include "platform/Clock.h"
#include "text/Text.h"

namespace exambell {

// One exam as the display reads it: from the main window's enabled exams, or the run's exams.
struct DisplayExam {
    Text subject;               // GBK
    Text start;                 // "HH:MM"
    std::int64_t duration = 0;  // minutes
    // Minutes the exam was moved later (a late start); start and end both move.
    std::int64_t shiftMinutes = 0;
};

enum class DisplayPhase {
    NoExam,       // nothing to show
    BeforeStart,  // 距开考
    InProgress,   // 考试中
    Ended,        // 已结束
};

// An exam placed on the day: its first and its last second (exclusive) in local epoch seconds.
struct PlacedExam {
    Text subject;
    std::int64_t startSecond = 0;
    std::int64_t endSecond = 0;
};

struct DisplayState {
    // The last 15 minutes of an exam stand out.
    static constexpr std::int64_t kLastStretchSeconds = 15 * 60;

    LocalTime now;
    Text date;     // "2026年01月02日", GBK
    Text weekday;  // "星期五", GBK
    Text time;     // "08:00:00"

    DisplayPhase phase = DisplayPhase::NoExam;
    Text phaseText;  // "距开考", "考试中", "已结束" or "", GBK
    Text subject;    // GBK
    Text start;      // "HH:MM" after the shift
    Text end;        // "HH:MM"
    // Seconds until the start (before it) or until the end (during it); 0 otherwise.
    std::int64_t remainingSeconds = 0;
    Text remaining;            // remainingSeconds as "HH:MM:SS"
    bool lastStretch = false;  // during the exam, at most kLastStretchSeconds left

    // Every exam placed on the day, in the order given.
    std::vector<PlacedExam> exams;
};

// Minutes of the day of an "HH:MM" start: hour before the first ":", minute after the last; a
// text without ":" or with a number out of range gives -1 (the exam is left out).
int displayStartMinutes(std::string_view start);

// Places each exam on the day of now and picks the one to show.
DisplayState computeDisplayState(const std::vector<DisplayExam>& exams, const LocalTime& now);

// "HH:MM:SS" of a count of seconds (negative counts as 0).
Text durationText(std::int64_t seconds);

// The state as JSON (UTF-8) for the web page. serverMilliseconds is the server's local time in
// milliseconds since 1970-01-01 00:00 local; the page turns it (and the exams' startMs/endMs) into
// a time of day with the UTC calendar functions, so no time zone enters.
QByteArray displayStateJson(const DisplayState& state, std::int64_t serverMilliseconds);

// The server's local time in milliseconds since 1970-01-01 00:00 local.
inline std::int64_t localEpochMilliseconds(const LocalTime& t) {
    return localEpochSeconds(t) * 1000 + t.millisecond;
}

}  // namespace exambell
