#include "runner/RunProgress.h"

#include "runner/MissNotifier.h"
#include "text/Encoding.h"

namespace exambell {

const Text& missReasonText(MissReason reason) {
    static const Text clockJump = utf8ToGbk("电脑休眠或时钟跳变");
    static const Text fileMissing = utf8ToGbk("文件不存在");
    static const Text undecodable = utf8ToGbk("无法解码");
    static const Text noDevice = utf8ToGbk("没有音频设备");
    static const Text shiftedPast = utf8ToGbk("平移后时间已过");
    switch (reason) {
        case MissReason::FileMissing:
            return fileMissing;
        case MissReason::Undecodable:
            return undecodable;
        case MissReason::NoAudioDevice:
            return noDevice;
        case MissReason::ShiftedPast:
            return shiftedPast;
        case MissReason::ClockJump:
            break;
    }
    return clockJump;
}

const Text& progressColumnTitle() {
    static const Text title = utf8ToGbk("状态");
    return title;
}

Text progressMark(const RowProgress& progress) {
    static const Text next = utf8ToGbk("下一个");
    static const Text played = utf8ToGbk("已播放 ");
    static const Text missed = utf8ToGbk("错过：");
    static const Text late = utf8ToGbk("（晚");
    static const Text lateEnd = utf8ToGbk("秒）");
    static const Text waiting = utf8ToGbk("等待音频设备");
    switch (progress.state) {
        case RowState::Next:
            return next;
        case RowState::Played:
            if (progress.lateSeconds > 0) {
                return played + progress.playedAt + late + toText(progress.lateSeconds) + lateEnd;
            }
            return played + progress.playedAt;
        case RowState::WaitingForDevice:
            return waiting;
        case RowState::Missed:
            return missed + missReasonText(progress.reason);
        case RowState::Ahead:
            break;
    }
    return Text();
}

Text countdownText(const Text& subject, const Text& caption, std::int64_t seconds) {
    static const Text nextCue = utf8ToGbk("下一项：");
    static const Text remaining = utf8ToGbk("  还有 ");
    if (subject.empty() && caption.empty()) {
        return Text();
    }
    if (seconds < 0) {
        seconds = 0;
    }
    Text out = nextCue + subject + ' ' + caption + remaining;
    out += twoDigits(seconds / 3600);
    out += ':';
    out += twoDigits(seconds / 60 % 60);
    out += ':';
    out += twoDigits(seconds % 60);
    return out;
}

Text missNoticeText(const std::vector<MissedCue>& missed) {
    static const Text head = utf8ToGbk("未能播放：");
    static const Text open = utf8ToGbk("（");
    static const Text close = utf8ToGbk("）");
    static const Text separator = utf8ToGbk("；");
    Text out = head;
    for (std::size_t i = 0; i < missed.size(); ++i) {
        const MissedCue& m = missed[i];
        if (i > 0) {
            out += separator;
        }
        out += m.subject + ' ' + m.time + ' ' + m.caption + open + missReasonText(m.reason) + close;
    }
    return out;
}

}  // namespace exambell
