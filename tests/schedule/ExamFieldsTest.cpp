#include <gtest/gtest.h>

#include <string>

#include "schedule/ExamFields.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

struct Case {
    const char* typed;     // UTF-8, for readable tables
    const char* expected;  // UTF-8: the box's text afterwards
    bool refused;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << '"' << c.typed << '"';
}

std::string utf8(const Text& gbk) {
    return gbkToUtf8(gbk);
}

class StartTime : public testing::TestWithParam<Case> {};

TEST_P(StartTime, IsNormalisedOrRefused) {
    FieldCheck result = normaliseStartTimeText(utf8ToGbk(GetParam().typed));
    EXPECT_EQ(utf8(result.text), GetParam().expected);
    EXPECT_EQ(result.refused, GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartTime,
    testing::Values(
        Case{"9:5", "09:05", false}, Case{"9:05", "09:05", false}, Case{"09:00", "09:00", false},
        Case{"9：30", "09:30", false}, Case{"9：30：15", "09:30", false},
        Case{"9:30：15", "09:30", false}, Case{"8:", "08:00", false}, Case{":", "0:00", false},
        Case{"::", "00:00", false}, Case{"：", "0:00", false}, Case{"8:30:45", "08:30", false},
        Case{"ab:cd", "00:00", false}, Case{":5", "00:05", false}, Case{"25:10", "23:59", false},
        Case{"24:00", "23:59", false}, Case{"23:59", "23:59", false}, Case{"12:75", "12:59", false},
        Case{"12:60", "12:59", false}, Case{"-5:-7", "05:07", false}, Case{"-30:5", "23:59", false},
        Case{"-5:", "05:00", false}, Case{"99:", "23:59", false}, Case{" 8:30", "08:30", false},
        Case{"　8:30", "08:30", false}, Case{"９：３０", "09:30", false},
        Case{"0:0", "00:00", false}, Case{"930", "930", true}, Case{"", "", true},
        Case{"九点", "九点", true}, Case{"99999999999999999999:1", "23:59", false}));

class Duration : public testing::TestWithParam<Case> {};

TEST_P(Duration, IsNormalisedOrRefused) {
    FieldCheck result = normaliseDurationText(utf8ToGbk(GetParam().typed));
    EXPECT_EQ(utf8(result.text), GetParam().expected);
    EXPECT_EQ(result.refused, GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Duration,
    testing::Values(Case{"90", "90分钟", false}, Case{"090", "90分钟", false},
                    Case{"1500", "999分钟", false}, Case{"999", "999分钟", false},
                    Case{"1000", "999分钟", false}, Case{"-45", "45分钟", false},
                    Case{"-1500", "999分钟", false}, Case{"120分钟", "120分钟", false},
                    Case{"１２０", "120分钟", false}, Case{"－４５", "45分钟", false},
                    Case{" 60", "60分钟", false}, Case{"1", "1分钟", false},
                    Case{"-99999999999999999999", "999分钟", false}, Case{"", "", true},
                    Case{"0", "0", true}, Case{"-0", "-0", true}, Case{"000", "000", true},
                    Case{"分钟", "分钟", true}, Case{"abc", "abc", true}));

TEST(Subject, OnlyAnEmptyOneIsRefused) {
    EXPECT_TRUE(checkSubjectText("").refused);
    EXPECT_FALSE(checkSubjectText(" ").refused);
    EXPECT_EQ(checkSubjectText(" ").text, " ");
    EXPECT_FALSE(checkSubjectText(utf8ToGbk("数学")).refused);
}

TEST(ExamFieldMessages, AreTheOperatorsTexts) {
    EXPECT_EQ(utf8(Text(kStartTimeFormatMessage)), "时间格式错误");
    EXPECT_EQ(utf8(Text(kDurationMissingMessage)), "时长不能为0或空值，请重新输入");
    EXPECT_EQ(utf8(Text(kSubjectMissingMessage)), "科目不能为空");
}

}  // namespace
}  // namespace exambell
