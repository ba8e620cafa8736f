#pragma once
// How far a run has come, row by row of the reminder list: what lies ahead, what plays next, what
// played (and at which second) and what was missed and why. Plain data; the window draws it.

#include <cstdint>
#include <vector>

#include "text/Text.h"

namespace exambell {

enum class RowState {
    Ahead,   // pending, not the next
    Next,    // the earliest pending moment, or fallen due and waiting for the sound before it
    Played,  // started to play
    Missed,  // could not play
    // Fell due while no sound device was open: plays as soon as one opens, else is missed.
    WaitingForDevice,
};

// Why a cue did not play.
enum class MissReason {
    ClockJump,      // its moment lay beyond the catch-up window: the computer slept or the clock
                    // was set forward
    FileMissing,    // the cue's file did not exist when it was due
    Undecodable,    // the file exists but holds no sound the output can decode
    NoAudioDevice,  // no sound device could be opened
    ShiftedPast,    // a late start moved its moment behind the time of the move
};

// The reason in words (GBK): "电脑休眠或时钟跳变", "文件不存在", "无法解码", "没有音频设备",
// "平移后时间已过".
const Text& missReasonText(MissReason reason);

// The title of the marks column the reminder list gets after its five columns.
const Text& progressColumnTitle();

struct RowProgress {
    RowState state = RowState::Ahead;
    Text playedAt;                 // "HH:MM:SS" the cue started, for Played
    std::int64_t lateSeconds = 0;  // Played: how long after its moment it started (0: on time)
    MissReason reason = MissReason::ClockJump;  // for Missed
};

// The mark a row shows in the marks column: "" ahead, "下一个", "已播放 09:00:00",
// "已播放 09:00:13（晚13秒）", "等待音频设备", "错过：文件不存在".
Text progressMark(const RowProgress& progress);

// The countdown beside the clock: "下一项：数学 开考  还有 00:12:34" (hours, minutes, seconds;
// a negative count shows zero). Empty name and subject give "".
Text countdownText(const Text& subject, const Text& caption, std::int64_t seconds);

}  // namespace exambell
