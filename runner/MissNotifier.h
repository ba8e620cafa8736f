#pragma once
// Where a run reports the cues it could not play. The window shows each report as a notice that
// stays until the operator dismisses it; a report must never wait for the operator (later cues
// keep falling due meanwhile).

#include <vector>

#include "runner/RunProgress.h"

namespace exambell {

struct MissedCue {
    int rowNumber = 0;  // the "序号" of the row, 1-based
    Text subject;
    Text time;  // "HH:MM:00"
    Text caption;
    MissReason reason = MissReason::ClockJump;
};

class MissNotifier {
  public:
    virtual ~MissNotifier() = default;
    // One report per event: all rows that one late tick dropped come together.
    virtual void cuesMissed(const std::vector<MissedCue>& missed) = 0;
};

// The notice text of a report (GBK): "未能播放：数学 09:00:00 开考（文件不存在）", further rows
// joined by "；".
Text missNoticeText(const std::vector<MissedCue>& missed);

}  // namespace exambell
