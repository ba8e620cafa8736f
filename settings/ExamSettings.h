#pragma once
// The exam and cue settings as plain records: what the main window's exam and cue rows hold. The
// controls stay the only store of these settings; a record is a copy read on demand
// (SettingsForm.h) and never kept.

#include <array>

#include "text/Text.h"

namespace exambell {

inline constexpr int kExamCount = 4;
inline constexpr int kCueCount = 7;

// One cue row: check box, its caption, the path box.
struct CueSetting {
    bool enabled = false;
    Text caption;
    Text path;
};
// Index 0 is cue 1 ("开考前15分钟") .. index 6 is cue 7 ("每隔15分钟").
using CueSettings = std::array<CueSetting, kCueCount>;

// One exam row: check box, subject, start "HH:MM", duration ("120分钟": its leading number counts).
struct ExamSetting {
    bool enabled = false;
    Text subject;
    Text start;
    Text duration;
};
// Index 0 is exam 1.
using ExamSettings = std::array<ExamSetting, kExamCount>;

// The name of cue n (1..7) as GBK: the caption of its check box, the 备注 of its reminder rows
// and the start of its messages. "" for any other n.
const Text& cueCaption(int n);

}  // namespace exambell
