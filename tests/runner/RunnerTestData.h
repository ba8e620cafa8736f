#pragma once
// Cue rows and helpers the runner tests share. Texts written in UTF-8 here are turned into GBK.

#include <initializer_list>
#include <string>
#include <vector>

#include "runner/CueSchedule.h"
#include "text/Encoding.h"

namespace exambell::test {

inline Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}
inline std::string u(std::string_view gbk) {
    return gbkToUtf8(gbk);
}

// The seven cues with their captions and default files; the listed cues (1 .. 7) enabled.
inline CueSettings cueSettings(std::initializer_list<int> enabled) {
    static const char* const captions[kCueCount] = {
        "开考前15分钟", "开考前8分钟", "开考前5分钟", "开考", "结束前15分钟", "结束", "每隔15分钟"};
    static const char* const files[kCueCount] = {
        "01开考前15分钟.mp3", "02开考前8分钟.mp3", "03开考前5分钟.mp3", "04开考.mp3",
        "05结束前15分钟.mp3", "06结束.mp3",        "07简短铃音.mp3"};
    CueSettings cues;
    for (int n = 0; n < kCueCount; ++n) {
        cues[n].caption = g(captions[n]);
        cues[n].path = g(std::string("/voice/") + files[n]);
    }
    for (int n : enabled) {
        cues[n - 1].enabled = true;
    }
    return cues;
}

// The lines of a text split at CR LF, in UTF-8.
inline std::vector<std::string> lines(const Text& text) {
    std::vector<std::string> out;
    std::size_t from = 0;
    while (true) {
        std::size_t cut = text.find("\r\n", from);
        out.push_back(gbkToUtf8(text.substr(from, cut - from)));
        if (cut == Text::npos) {
            break;
        }
        from = cut + 2;
    }
    if (out.size() == 1 && out[0].empty()) {
        out.clear();
    }
    return out;
}

}  // namespace exambell::test
