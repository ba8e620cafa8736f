#pragma once
// Extra-time groups: candidates who sit an exam longer (a share of its duration, or a fixed
// number of minutes) in rooms of their own. A group moves the end of each exam, and with it
// that room's last 15 minutes, its 15-minute warning, its bells and its end cue; the start and
// the cues before it stay those of the school. The office's own cues keep the ordinary times.
//
// A group is named by what it gives: "延时30%" (also "延时30％") or "延时20分钟". The name is
// the whole setting, so config.ini stores only the names.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "display/DisplayState.h"
#include "text/Text.h"

namespace exambell {

struct ExtraTimeGroup {
    enum class Kind { Percent, Minutes };
    Text name;  // GBK, as written: "延时30%", "延时20分钟"
    Kind kind = Kind::Percent;
    int amount = 0;  // percent 1 .. kMaxPercent, or minutes 1 .. kMaxMinutes

    static constexpr int kMaxPercent = 200;
    static constexpr int kMaxMinutes = 600;
};

// At most this many groups in a run.
inline constexpr std::size_t kMaxExtraTimeGroups = 8;

// The group a name gives, or none when the name is not one ("延时" + whole number + "%"/"％" or
// "分钟", the number within its kind's bounds; blanks around it are ignored).
std::optional<ExtraTimeGroup> parseExtraTimeGroup(std::string_view gbkName);

// Groups of a list written by the operator, names separated by "," "，" "、" ";" or blanks. Each
// name once; at most kMaxExtraTimeGroups. On a bad name, returns false with that name in bad.
bool parseExtraTimeGroups(std::string_view gbkList, std::vector<ExtraTimeGroup>& groups, Text& bad);
// The list as config.ini and the window hold it: names joined by "、".
Text extraTimeGroupsText(const std::vector<ExtraTimeGroup>& groups);

// The minutes a group adds to an exam of durationMinutes. A share is rounded up to the whole
// minute: candidates never get less than their share.
std::int64_t extraMinutes(const ExtraTimeGroup& group, std::int64_t durationMinutes);

// The exams as a room of the group sits them: each duration lengthened.
std::vector<DisplayExam> withExtraTime(std::vector<DisplayExam> exams, const ExtraTimeGroup& group);

// The seven cues of the run, as numbered in the main window: 1 开考前15分钟 .. 6 结束, 7
// 每隔15分钟.
inline constexpr int kRoomCueCount = 7;
using RoomCueSwitches = std::array<bool, kRoomCueCount>;  // index 0 is cue 1

// One cue a room page plays: cue number 1 .. 7 and its moment in the office's local
// milliseconds (localEpochMilliseconds).
struct RoomCue {
    int cue = 0;
    std::int64_t atMs = 0;
    Text subject;  // GBK
};

// The cues of the exams (as placed for now by computeDisplayState: a late start and an exam
// running past midnight included) whose moment is at or after fromMs, in time order. switches
// holds each exam's cue switches, in the order of exams. As the office schedules them: the
// warnings 15, 8 and 5 minutes before the start, the start, 15 minutes before the end, the end;
// with cue 7, a bell every 15 minutes counted back from the end, except where cue 5 or 6 sounds.
std::vector<RoomCue> roomCues(const std::vector<DisplayExam>& exams,
                              const std::vector<RoomCueSwitches>& switches, const LocalTime& now,
                              std::int64_t fromMs);

}  // namespace exambell
