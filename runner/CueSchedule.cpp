#include "runner/CueSchedule.h"

#include <algorithm>

#include "schedule/CueAudio.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "text/RegexObject.h"

namespace exambell {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::int64_t kMinutesPerDay = 1440;
constexpr std::int64_t kBellInterval = 15;
// A "," inside a subject would shift the fields of its lines; the lines carry "，" instead.
const Text kFullWidthComma = utf8ToGbk("，");

enum Cue { kBefore15 = 0, kBefore8, kBefore5, kStart, kBeforeEnd15, kEnd, kBell };

// Brings a moment into 0 .. 1439: one subtraction of a day at or above 1440, then one addition
// when negative.
std::int64_t wrapMinutes(std::int64_t t) {
    if (t >= kMinutesPerDay) {
        t -= kMinutesPerDay;
    }
    if (t < 0) {
        t += kMinutesPerDay;
    }
    return t;
}

Text subjectField(std::string_view subject) {
    Text out;
    out.reserve(subject.size());
    // GBK trail bytes start at 0x40, so a byte "," is always a character of its own.
    for (char c : subject) {
        if (c == ',') {
            out += kFullWidthComma;
        } else {
            out += c;
        }
    }
    return out;
}

Text scheduleLine(const Text& subject, const Text& moment, const CueSetting& cue) {
    Text line(kLineBreak);
    line += subject;
    line += ',';
    line += moment;
    line += ',';
    line += cue.caption;
    line += ',';
    line += fileNameOf(cue.path);
    return line;
}

}  // namespace

std::int64_t startMinutes(std::string_view start) {
    std::size_t first = start.find(':');
    if (first == std::string_view::npos) {
        return 0;
    }
    std::size_t last = start.rfind(':');
    return toInteger(start.substr(0, first)) * 60 + toInteger(start.substr(last + 1));
}

Text cueMoment(std::string_view start, std::int64_t offset, std::string_view duration) {
    std::int64_t s = startMinutes(start);
    std::int64_t t = offset < 0 ? s + offset : s - offset + toInteger(duration);
    t = wrapMinutes(t);
    Text out = twoDigits(t / 60);
    out += ':';
    out += twoDigits(t % 60);
    out += ":00";
    return out;
}

Text examCueLines(std::string_view start, std::string_view subject, std::string_view duration,
                  const CueSettings& cues, int nowMinutes) {
    const std::int64_t s = startMinutes(start);
    const std::int64_t length = toInteger(duration);
    const std::int64_t untilStart = s - nowMinutes;
    const std::int64_t untilEnd = s + length - nowMinutes;
    const Text name = subjectField(subject);

    Text main;
    Text endLines;
    std::vector<Text> endMoments;

    struct BeforeStart {
        Cue cue;
        std::int64_t minutes;
    };
    for (BeforeStart b : {BeforeStart{kBefore15, 15}, BeforeStart{kBefore8, 8},
                          BeforeStart{kBefore5, 5}, BeforeStart{kStart, 0}}) {
        if (cues[b.cue].enabled && untilStart > b.minutes) {
            main += scheduleLine(name, cueMoment(start, -b.minutes, "0"), cues[b.cue]);
        }
    }

    const bool bells = cues[kBell].enabled;
    struct BeforeEnd {
        Cue cue;
        std::int64_t minutes;
    };
    for (BeforeEnd b : {BeforeEnd{kBeforeEnd15, 15}, BeforeEnd{kEnd, 0}}) {
        if (cues[b.cue].enabled && untilEnd > b.minutes) {
            Text moment = cueMoment(start, b.minutes, duration);
            Text line = scheduleLine(name, moment, cues[b.cue]);
            if (bells) {
                endLines += line;
                endMoments.push_back(std::move(moment));
            } else {
                main += line;
            }
        }
    }

    if (bells) {
        const std::int64_t count = length >= 0 ? length / kBellInterval : 0;
        for (std::int64_t k = count - 1; k >= 0; --k) {
            // Only bells still ahead: a bell already past would never be reached this day and
            // would keep the run from ending.
            if (untilEnd <= kBellInterval * k) {
                continue;
            }
            Text moment = cueMoment(start, kBellInterval * k, duration);
            bool taken = false;
            for (const Text& m : endMoments) {
                taken = taken || m == moment;
            }
            if (!taken) {
                main += scheduleLine(name, moment, cues[kBell]);
            }
        }
        main += kLineBreak;
        main += endLines;
    }
    return main;
}

int examDayOffset(std::string_view start, std::string_view duration, int nowMinutes) {
    const std::int64_t s = startMinutes(start);
    const std::int64_t length = toInteger(duration);
    // The later of start and end: a negative duration puts the end first.
    const std::int64_t last = s + std::max<std::int64_t>(length, 0);
    if (last - kMinutesPerDay > nowMinutes) {
        return -1;
    }
    if (last > nowMinutes) {
        return 0;
    }
    return s + kMinutesPerDay - nowMinutes <= kNextDayHorizonMinutes ? 1 : 0;
}

Text buildSchedule(const ExamSettings& exams, const CueSettings& cues, int nowMinutes) {
    Text text;
    for (const ExamSetting& exam : exams) {
        if (exam.enabled) {
            text += kLineBreak;
            const int days = examDayOffset(exam.start, exam.duration, nowMinutes);
            text += examCueLines(exam.start, exam.subject, exam.duration, cues,
                                 nowMinutes - days * static_cast<int>(kMinutesPerDay));
        }
    }
    text = cleanScheduleText(deleteLeadingBlanks(text));
    text = deleteLeadingBlanks(text);
    std::size_t first = text.find_first_not_of(' ');
    if (first == Text::npos) {
        text.clear();
    } else {
        text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    }
    return cleanScheduleText(text);
}

Text cleanScheduleText(std::string_view text) {
    if (text.starts_with(kLineBreak)) {
        text.remove_prefix(kLineBreak.size());
    }
    if (text.ends_with(kLineBreak)) {
        text.remove_suffix(kLineBreak.size());
    }
    // Joins the line breaks around blank or blank-only lines into one.
    RegexObject regex;
    if (!regex.execute("\\n\\s*\\r", text)) {
        return Text(text);
    }
    return regex.replaceAll("");
}

std::vector<ReminderRow> reminderRows(std::string_view schedule) {
    std::vector<ReminderRow> rows;
    std::vector<Text> lines = splitText(schedule, kLineBreak);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) {
            continue;
        }
        std::vector<Text> fields = splitText(lines[i], ",");
        fields.resize(4);
        // A file name may itself hold ","; the column shows all of it.
        std::size_t cut = 0;
        for (int f = 0; f < 3 && cut != Text::npos; ++f) {
            cut = lines[i].find(',', cut);
            if (cut != Text::npos) {
                ++cut;
            }
        }
        if (cut != Text::npos) {
            fields[3] = lines[i].substr(cut);
        }
        rows.push_back(ReminderRow{toText(static_cast<std::int64_t>(i + 1)), fields[0], fields[1],
                                   fields[2], fields[3]});
    }
    return rows;
}

}  // namespace exambell
