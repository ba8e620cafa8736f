#include "text/RegexObject.h"

#include <gtest/gtest.h>

#include "text/Encoding.h"

namespace exambell {
namespace {

const Text kBlankLines = "\n\\s*\r";
const Text kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// The GBK full-width space 　.
const Text kWideBlank = "\xA1\xA1";

TEST(RegexObjectTest, BlankLinePatternRemovesEveryBlankLine) {
    const Text schedule = "exam 1\r\n\r\n\r\n  \t \r\nexam 2\r\n" + kWideBlank + "\r\n" +
                          kWideBlank + " " + kWideBlank + "\r\nexam 3\r\n\r\n";
    RegexObject regex;
    ASSERT_TRUE(regex.execute(kBlankLines, schedule));
    EXPECT_EQ(regex.replaceAll(""), "exam 1\r\nexam 2\r\nexam 3\r\n");
}

TEST(RegexObjectTest, BlankLinePatternKeepsTextWithoutBlankLines) {
    const Text schedule = "\xD3\xEF\xCE\xC4 08:00\r\n\xCA\xFD\xD1\xA7 10:00\r\n";  // 语文, 数学
    RegexObject regex;
    ASSERT_TRUE(regex.execute(kBlankLines, schedule));
    EXPECT_EQ(regex.matchCount(), 0);
    EXPECT_EQ(regex.replaceAll(""), schedule);
}

TEST(RegexObjectTest, UpperCaseMetaTagIsFoundIgnoringCase) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute(kCharsetPattern,
                              "<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                              "CHARSET=UTF-8\"></HEAD>"));
    EXPECT_EQ(regex.submatchText(1, 1), "UTF-8");

    ASSERT_TRUE(regex.execute(kCharsetPattern, "<meta charset=\"gb2312\">"));
    EXPECT_EQ(regex.submatchText(1, 1), "gb2312");

    ASSERT_TRUE(regex.execute(kCharsetPattern, "<META CHARSET=utf-8>", true));
    EXPECT_EQ(regex.matchCount(), 0);
}

TEST(RegexObjectTest, WordClassIsAsciiAndDotStopsAtLineBreaks) {
    RegexObject regex;
    // 中 after the name is no word character.
    ASSERT_TRUE(regex.execute(kCharsetPattern, "<meta charset='big5\xD6\xD0'>"));
    EXPECT_EQ(regex.submatchText(1, 1), "big5");
    // "<meta" and "charset=" on different lines: the dot does not cross CR or LF.
    ASSERT_TRUE(regex.execute(kCharsetPattern, "<meta\r\ncharset=utf-8>"));
    EXPECT_EQ(regex.matchCount(), 0);
    ASSERT_TRUE(regex.execute(kCharsetPattern, "<meta\ncharset=utf-8>"));
    EXPECT_EQ(regex.matchCount(), 0);
}

TEST(RegexObjectTest, NoMatchIsSuccessWithEmptySubmatch) {
    RegexObject regex;
    EXPECT_TRUE(regex.execute(kCharsetPattern, "<html><body>no declaration</body></html>"));
    EXPECT_EQ(regex.matchCount(), 0);
    EXPECT_EQ(regex.submatchText(1, 1), "");
    EXPECT_TRUE(regex.execute("x", ""));
}

TEST(RegexObjectTest, BadPatternFails) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("(a)", "a"));
    EXPECT_FALSE(regex.execute("(unclosed", "unclosed"));
    EXPECT_EQ(regex.matchCount(), 0);
    EXPECT_EQ(regex.submatchText(1, 1), "");
    EXPECT_EQ(regex.replaceAll("x"), "");
    EXPECT_FALSE(regex.execute("a**", "a"));
}

TEST(RegexObjectTest, MatchesCharactersNotGbkBytes) {
    RegexObject regex;
    // 丄 is 81 41 in GBK: its trail byte is the code of "A".
    ASSERT_TRUE(regex.execute("A", "\x81\x41", true));
    EXPECT_EQ(regex.matchCount(), 0);
    // One Chinese character is one "." and survives a replacement whole.
    ASSERT_TRUE(regex.execute("^.(.)", "\xD6\xD0\xCE\xC4\xB1\xBE"));  // 中文本
    EXPECT_EQ(regex.submatchText(1, 1), "\xCE\xC4");                  // 文
    EXPECT_EQ(regex.replaceAll("[$1]"), "[\xCE\xC4]\xB1\xBE");
}

TEST(RegexObjectTest, EscapedBackslashBeforeSIsNoBlank) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("a\\\\s", "a\\s a b"));
    EXPECT_EQ(regex.replaceAll("_"), "_ a b");
    ASSERT_TRUE(regex.execute("[\\s]+", "a \xA1\xA1 b"));
    EXPECT_EQ(regex.replaceAll("_"), "a_b");
    ASSERT_TRUE(regex.execute("\\S+", "ab" + kWideBlank + "cd"));
    EXPECT_EQ(regex.replaceAll("<$&>"), "<ab>" + kWideBlank + "<cd>");
}

TEST(RegexObjectTest, GlobalCaseAndMultiLineSwitches) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("b", "abAB ab", false, true, false));
    EXPECT_EQ(regex.matchCount(), 1);
    EXPECT_EQ(regex.replaceAll("-"), "a-AB ab");

    ASSERT_TRUE(regex.execute("b", "abAB ab", true));
    EXPECT_EQ(regex.replaceAll("-"), "a-AB a-");

    ASSERT_TRUE(regex.execute("^x", "x1\r\nx2\nx3"));
    EXPECT_EQ(regex.matchCount(), 3);
    ASSERT_TRUE(regex.execute("^x", "x1\r\nx2\nx3", false, false));
    EXPECT_EQ(regex.matchCount(), 1);
    ASSERT_TRUE(regex.execute("3$", "x3\n", false, false));
    EXPECT_EQ(regex.matchCount(), 0);
}

TEST(RegexObjectTest, LazyQuantifierAndSubmatchIndices) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("<(.+?)>(x)?", "<a><b>x"));
    ASSERT_EQ(regex.matchCount(), 2);
    EXPECT_EQ(regex.submatchText(1, 1), "a");
    EXPECT_EQ(regex.submatchText(1, 2), "");  // took no part in the match
    EXPECT_EQ(regex.submatchText(2, 1), "b");
    EXPECT_EQ(regex.submatchText(2, 2), "x");
    EXPECT_EQ(regex.submatchText(2, 3), "");
    EXPECT_EQ(regex.submatchText(3, 1), "");
    EXPECT_EQ(regex.submatchText(0, 1), "");
    EXPECT_EQ(regex.submatchText(1, 0), "");
    EXPECT_EQ(regex.replaceAll("$2$1$$$0"), "a$$0xb$$0");
}

TEST(RegexObjectTest, EmptyMatchesAdvanceOneCharacter) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("x*", "a\xD6\xD0"));  // a中
    EXPECT_EQ(regex.replaceAll("-"), "-a-\xD6\xD0-");
}

TEST(RegexObjectTest, QuotePlaceholderStandsForDoubleQuote) {
    const Text pattern = "charset=#\xD2\xFD\xBA\xC5(\\w+)";  // charset=#引号(\w+)
    RegexObject regex;
    ASSERT_TRUE(regex.execute(pattern, "charset=\"gbk\"", false, true, true, true));
    EXPECT_EQ(regex.submatchText(1, 1), "gbk");
    ASSERT_TRUE(regex.execute(pattern, "charset=\"gbk\""));
    EXPECT_EQ(regex.matchCount(), 0);
}

}  // namespace
}  // namespace exambell
