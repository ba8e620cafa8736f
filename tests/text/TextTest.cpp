#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "text/Text.h"

namespace exambell {
namespace {

using Parts = std::vector<Text>;

const Text kMinutes = "\xB7\xD6\xD6\xD3";  // 分钟
const Text kAh = "\xB0\xA1";               // 啊
const Text kFullBlank = "\xA1\xA1";        // full-width blank
const Text kFullColon = "\xA3\xBA";        // ：
const Text kFullPlus = "\xA3\xAB";         // ＋
const Text kFullMinus = "\xA3\xAD";        // －

Text fullWidthDigits(const std::string& digits) {
    Text out;
    for (char d : digits) {
        out += '\xA3';
        out += static_cast<char>(0xB0 + (d - '0'));
    }
    return out;
}

TEST(ToInteger, ReadsLeadingBlanksSignAndDigits) {
    EXPECT_EQ(toInteger("120" + kMinutes), 120);
    EXPECT_EQ(toInteger(""), 0);
    EXPECT_EQ(toInteger("abc"), 0);
    EXPECT_EQ(toInteger(kMinutes), 0);
    EXPECT_EQ(toInteger("  8:30"), 8);
    EXPECT_EQ(toInteger("-45"), -45);
    EXPECT_EQ(toInteger("+7"), 7);
    EXPECT_EQ(toInteger("-0"), 0);
    EXPECT_EQ(toInteger("090"), 90);
    EXPECT_EQ(toInteger("- 5"), 0);
    EXPECT_EQ(toInteger("+-5"), 0);
    // Fractions truncate toward zero: the digits stop at the point.
    EXPECT_EQ(toInteger("3.7"), 3);
    EXPECT_EQ(toInteger("-3.7"), -3);
}

TEST(ToInteger, TurnsFullWidthFormsHalfWidthFirst) {
    EXPECT_EQ(toInteger(fullWidthDigits("0123456789")), 123456789);
    EXPECT_EQ(toInteger(fullWidthDigits("120") + kMinutes), 120);
    EXPECT_EQ(toInteger(kFullMinus + fullWidthDigits("45")), -45);
    EXPECT_EQ(toInteger(kFullPlus + "7"), 7);
    EXPECT_EQ(toInteger(kFullBlank + kFullBlank + "12"), 12);
    EXPECT_EQ(toInteger("9" + kFullColon + "30"), 9);
    EXPECT_EQ(toInteger("1" + fullWidthDigits("2") + "3"), 123);
    // B0 A3 is one character, so the A3 B3 of a full-width 3 is not there.
    EXPECT_EQ(toInteger("\xB0\xA3\xB3"), 0);
}

TEST(ToInteger, StopsAtMalformedGbkWithoutReadingPastTheEnd) {
    EXPECT_EQ(toInteger("\x81"), 0);
    EXPECT_EQ(toInteger("12\x81"), 12);
    EXPECT_EQ(toInteger("1\xA3"), 1);  // the first byte of a full-width digit, cut off
    EXPECT_EQ(toInteger("\xA3"), 0);
    EXPECT_EQ(toInteger("\x81"
                        "5"),
              0);
    // A std::string_view that ends inside a larger buffer: nothing after its end is looked at.
    const char buffer[] = "7\xA3\xB5";
    EXPECT_EQ(toInteger(std::string_view(buffer, 2)), 7);
}

TEST(ToInteger, SaturatesInsteadOfOverflowing) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(toInteger("9223372036854775807"), kMax);
    EXPECT_EQ(toInteger("99999999999999999999999999"), kMax);
    EXPECT_EQ(toInteger("-99999999999999999999999999"), -kMax);
}

TEST(ToText, WritesWholeAndFractionalNumbers) {
    EXPECT_EQ(toText(0), "0");
    EXPECT_EQ(toText(-5), "-5");
    EXPECT_EQ(toText(std::int64_t{1439}), "1439");
    EXPECT_EQ(toText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(toText(0.1), "0.1");
    EXPECT_EQ(toText(2.5), "2.5");
    EXPECT_EQ(toText(1.0 / 3.0), "0.3333333333333");
    EXPECT_EQ(toText(1e20), "1e+20");
    EXPECT_EQ(toText(-0.000001), "-1e-06");
    EXPECT_EQ(toText(120.0), "120");
    EXPECT_EQ(toText(0.1f), "0.1");
    EXPECT_EQ(toText(1234567.0f), "1.23457e+06");
}

TEST(TwoDigits, PadsTextsOfAtMostOneByte) {
    EXPECT_EQ(twoDigits("5"), "05");
    EXPECT_EQ(twoDigits(""), "0");
    EXPECT_EQ(twoDigits("12"), "12");
    EXPECT_EQ(twoDigits("123"), "123");
    EXPECT_EQ(twoDigits(std::int64_t{7}), "07");
    EXPECT_EQ(twoDigits(std::int64_t{0}), "00");
    EXPECT_EQ(twoDigits(std::int64_t{-5}), "-5");
}

TEST(FindText, FindsFromStart) {
    EXPECT_EQ(findText("abcabc", "bc"), 2);
    EXPECT_EQ(findText("abcabc", "bc", 2), 2);
    EXPECT_EQ(findText("abcabc", "bc", 3), 5);
    EXPECT_EQ(findText("abcabc", "bc", 6), -1);
    EXPECT_EQ(findText("abcabc", "bc", 100), -1);
    EXPECT_EQ(findText("abcabc", "bc", 0), 2);
    EXPECT_EQ(findText("abcabc", "bc", -3), 2);
    EXPECT_EQ(findText("abc", "abcd"), -1);
    EXPECT_EQ(findText("abc", "x"), -1);
    EXPECT_EQ(findText("9" + kFullColon + "30", kFullColon), 2);
}

TEST(FindText, EmptySoughtTextFollowsItsOwnRule) {
    EXPECT_EQ(findText("abc", ""), 1);
    EXPECT_EQ(findText("abc", "", 3), 1);
    EXPECT_EQ(findText("", ""), -1);
    EXPECT_EQ(findText("", "a"), -1);
}

TEST(FindText, NeverMatchesOnATrailByte) {
    // 啊啊 is B0 A1 B0 A1: "A1 B0" sits across the two characters.
    EXPECT_EQ(findText(kAh + kAh, "\xA1\xB0"), -1);
    EXPECT_EQ(findText(kAh + kAh, kAh), 1);
    EXPECT_EQ(findText(kAh + kAh, kAh, 2), 3);
    // A start on a trail byte moves on to the next character.
    EXPECT_EQ(findText(kAh + "a", "\xA1", 2), -1);
    EXPECT_EQ(findText(kAh + "a", "a", 2), 3);
    // ":" is never a trail byte, so a colon after Chinese text is found.
    EXPECT_EQ(findText(kAh + ":", ":"), 3);
}

TEST(FindText, HandlesMalformedGbk) {
    EXPECT_EQ(findText("x\xB0", "\xB0"), 2);  // a lead byte at the end stands alone
    EXPECT_EQ(findText("\xB0"
                       "1",
                       "1"),
              2);  // so does a lead byte before a digit
    EXPECT_EQ(findText("\xB0", "\xB0\xA1"), -1);
    const char buffer[] = "ab\xB0\xA1";
    EXPECT_EQ(findText(std::string_view(buffer, 3), kAh), -1);
}

TEST(FindText, IgnoreCaseFoldsAsciiLettersOnly) {
    EXPECT_EQ(findText("ABC", "b", 1, true), 2);
    EXPECT_EQ(findText("ABC", "b"), -1);
    EXPECT_EQ(findText("src://", "SRC:", 1, true), 1);
    // B0 41 and B0 61 are two different characters although 41 and 61 are A and a.
    EXPECT_EQ(findText("\xB0\x41", "\xB0\x61", 1, true), -1);
    EXPECT_EQ(findText("\xB0\x41", "\xB0\x41", 1, true), 1);
    EXPECT_EQ(findText("\xB0\x41"
                       "a",
                       "A", 1, true),
              3);
}

TEST(SplitText, KeepsEmptyPartsExceptATrailingOne) {
    EXPECT_EQ(splitText("a,b"), (Parts{"a", "b"}));
    EXPECT_EQ(splitText("a,,b"), (Parts{"a", "", "b"}));
    EXPECT_EQ(splitText(",a"), (Parts{"", "a"}));
    EXPECT_EQ(splitText("a,"), (Parts{"a"}));
    EXPECT_EQ(splitText("a,,"), (Parts{"a", ""}));
    EXPECT_EQ(splitText(","), (Parts{""}));
    EXPECT_EQ(splitText(""), Parts{});
    EXPECT_EQ(splitText("abc"), (Parts{"abc"}));
    EXPECT_EQ(splitText("9:5", ":"), (Parts{"9", "5"}));
    EXPECT_EQ(splitText("8:", ":"), (Parts{"8"}));
    EXPECT_EQ(splitText(":", ":"), (Parts{""}));
    EXPECT_EQ(splitText("::", ":"), (Parts{"", ""}));
    EXPECT_EQ(splitText("8:30:45", ":"), (Parts{"8", "30", "45"}));
}

TEST(SplitText, EmptySeparatorGivesTheWholeText) {
    EXPECT_EQ(splitText("a,b", ""), (Parts{"a,b"}));
    EXPECT_EQ(splitText("", ""), Parts{});
}

TEST(SplitText, MatchesLongAndChineseSeparatorsAtCharacterStarts) {
    EXPECT_EQ(splitText("%class%x,y%class%z", "%class%"), (Parts{"", "x,y", "z"}));
    EXPECT_EQ(splitText("a\r\nb\r\n", "\r\n"), (Parts{"a", "b"}));
    const Text comma = "\xA3\xAC";  // ，
    EXPECT_EQ(splitText(kAh + comma + "b", comma), (Parts{kAh, "b"}));
    // "A1 A3" spans the end of 啊 and the start of ，: no split there.
    EXPECT_EQ(splitText(kAh + comma, "\xA1\xA3"), (Parts{kAh + comma}));
}

TEST(SplitText, HandlesMalformedGbk) {
    // A stray lead byte does not swallow the separator after it.
    EXPECT_EQ(splitText("\x81,a"), (Parts{"\x81", "a"}));
    EXPECT_EQ(splitText("a,\x81"), (Parts{"a", "\x81"}));
    // A separator that is itself half a character.
    EXPECT_EQ(splitText("x\xB0", "\xB0"), (Parts{"x"}));
    const char buffer[] = "a,b,c";
    EXPECT_EQ(splitText(std::string_view(buffer, 3)), (Parts{"a", "b"}));
}

TEST(DeleteLeadingBlanks, DropsAsciiAndFullWidthBlanks) {
    EXPECT_EQ(deleteLeadingBlanks("  a b "), "a b ");
    EXPECT_EQ(deleteLeadingBlanks(kFullBlank + " " + kFullBlank + "x"), "x");
    EXPECT_EQ(deleteLeadingBlanks(""), "");
    EXPECT_EQ(deleteLeadingBlanks("   "), "");
    EXPECT_EQ(deleteLeadingBlanks("\ta"), "\ta");
    EXPECT_EQ(deleteLeadingBlanks(kAh + " "), kAh + " ");
    EXPECT_EQ(deleteLeadingBlanks(" \xA1"), "\xA1");  // half a full-width blank stays
    EXPECT_EQ(deleteLeadingBlanks("\xA1\xA1\xA1"), "\xA1");
}

}  // namespace
}  // namespace exambell
