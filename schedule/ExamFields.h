#pragma once
// The checks an exam row's edit boxes get whenever they lose the keyboard focus, as pure text
// functions: the start time is cleaned up into HH:MM or refused, the duration into whole minutes
// followed by "分钟" or refused, an empty subject is refused. ExamFieldChecks (ExamFieldChecks.h)
// runs them on the main window's boxes.

#include <string_view>

#include "text/Encoding.h"
#include "text/Text.h"

namespace exambell {

// Messages of the refusals, shown by ExamFieldChecks.
inline const Text kStartTimeFormatMessage = utf8ToGbk("时间格式错误");
inline const Text kDurationMissingMessage = utf8ToGbk("时长不能为0或空值，请重新输入");
inline const Text kSubjectMissingMessage = utf8ToGbk("科目不能为空");

// The suffix of a duration box's text ("120分钟").
inline const Text kMinutesSuffix = utf8ToGbk("分钟");

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
