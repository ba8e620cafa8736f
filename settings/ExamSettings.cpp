#include "settings/ExamSettings.h"

#include "text/Encoding.h"

namespace exambell {

const Text& cueCaption(int n) {
    static const std::array<Text, kCueCount + 2> captions = {Text(),
                                                             utf8ToGbk("开考前15分钟"),
                                                             utf8ToGbk("开考前8分钟"),
                                                             utf8ToGbk("开考前5分钟"),
                                                             utf8ToGbk("开考"),
                                                             utf8ToGbk("结束前15分钟"),
                                                             utf8ToGbk("结束"),
                                                             utf8ToGbk("每隔15分钟"),
                                                             Text()};
    return captions[static_cast<std::size_t>(n >= 1 && n <= kCueCount ? n : 0)];
}

}  // namespace exambell
