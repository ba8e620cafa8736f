#pragma once
// The checks an exam row's edit boxes get whenever they lose the keyboard focus, as pure text
// functions: the start time is cleaned up into HH:MM or refused, the duration into whole minutes
// followed by "分钟" or refused, an empty subject is refused. ExamFieldChecks (ExamFieldChecks.h)
// runs them on the main window's boxes.

#include <string_view>

#include "text/Text.h"

namespace exambell {

// Messages of the refusals (GBK).
inline constexpr std::string_view kStartTimeFormatMessage =
    "\xCA\xB1\xBC\xE4\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3";  // 时间格式错误
inline constexpr std::string_view kDurationMissingMessage =
    "\xCA\xB1\xB3\xA4\xB2\xBB\xC4\xDC\xCE\xAA"
    "0"
    "\xBB\xF2\xBF\xD5\xD6\xB5\xA3\xAC\xC7\xEB\xD6\xD8\xD0\xC2\xCA\xE4\xC8\xEB";  // 时长不能为0或空值，请重新输入
inline constexpr std::string_view kSubjectMissingMessage =
    "\xBF\xC6\xC4\xBF\xB2\xBB\xC4\xDC\xCE\xAA\xBF\xD5";  // 科目不能为空

// The suffix of a duration box's text ("120分钟").
inline constexpr std::string_view kMinutesSuffix = "\xB7\xD6\xD6\xD3";  // 分钟

// What a check makes of a box's text: the text the box is to hold afterwards, and whether the
// check refused it (then text is what the box holds, apart from corrections already made).
struct FieldCheck {
    Text text;
    bool refused = false;
};

// The start box: the first full-width colon becomes ":"; a text without ":" is refused as it is.
// Otherwise hour and minute are the whole numbers of the first two parts between colons (a text
// ending with its only colon keeps its hour part as typed and gets minute "00"), made positive,
// capped (an hour of 24 or more gives 23:59, a minute of 60 or more 59) and padded to two digits.
// "9:5" -> "09:05", "9：30：15" -> "09:30", "8:" -> "08:00", ":" -> "0:00", "25:10" -> "23:59".
FieldCheck normaliseStartTimeText(std::string_view text);

// The duration box: the whole number of the text (full-width digits read too); 0 is refused and
// the text stays. Otherwise the smaller of its absolute value and 999, followed by "分钟":
// "90" -> "90分钟", "-45" -> "45分钟", "1500" -> "999分钟", "120分钟" unchanged.
FieldCheck normaliseDurationText(std::string_view text);

// The subject box: refused when empty (zero bytes). Blanks count as a subject.
FieldCheck checkSubjectText(std::string_view text);

}  // namespace exambell
