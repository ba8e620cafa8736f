#include "schedule/ExamFields.h"

#include <vector>

namespace exambell {
namespace {

const Text kFullWidthColon = utf8ToGbk("：");

// The decimal text of a whole number's absolute value, when the number is negative.
Text positive(const Text& number) {
    std::int64_t value = toInteger(number);
    // toInteger saturates at +-INT64_MAX, so the negation cannot overflow.
    return value < 0 ? toText(-value) : number;
}

}  // namespace

FieldCheck normaliseStartTimeText(std::string_view text) {
    Text t(text);
    int fullWidth = findText(t, kFullWidthColon);
    if (fullWidth > 0) {
        t.replace(static_cast<std::size_t>(fullWidth - 1), kFullWidthColon.size(), ":");
    }
    if (findText(t, ":") < 0) {
        return {t, true};
    }
    std::vector<Text> parts = splitText(t, ":");
    Text hour;
    Text minute;
    if (parts.size() == 1) {
        // The text ends with its only colon: the hour part stays as typed.
        hour = parts[0];
        minute = "00";
    } else {
        hour = toText(toInteger(parts[0]));
        minute = toText(toInteger(parts[1]));
    }
    hour = positive(hour);
    minute = positive(minute);
    if (toInteger(hour) >= 24) {
        hour = "23";
        minute = "59";
    }
    if (toInteger(minute) >= 60) {
        minute = "59";
    }
    return {twoDigits(hour) + ":" + twoDigits(minute), false};
}

FieldCheck normaliseDurationText(std::string_view text) {
    std::int64_t minutes = toInteger(text);
    if (minutes == 0) {
        return {Text(text), true};
    }
    if (minutes < 0) {
        minutes = -minutes;
    }
    if (minutes > 999) {
        minutes = 999;
    }
    return {toText(minutes) + kMinutesSuffix, false};
}

FieldCheck checkSubjectText(std::string_view text) {
    return {Text(text), text.empty()};
}

}  // namespace exambell
