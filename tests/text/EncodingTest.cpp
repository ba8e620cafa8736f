#include <gtest/gtest.h>

#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {
namespace {

// "考铃" in GBK and UTF-8.
const std::string kGbk = "\xBF\xBC\xC1\xE5";
const std::string kUtf8 = "\xE8\x80\x83\xE9\x93\x83";

TEST(Encoding, RoundTripsChineseText) {
    EXPECT_EQ(gbkToUtf8(kGbk), kUtf8);
    EXPECT_EQ(utf8ToGbk(kUtf8), kGbk);
    EXPECT_EQ(gbkToUtf16(kGbk), u"考铃");
    EXPECT_EQ(utf16ToGbk(u"考铃"), kGbk);
    EXPECT_EQ(gbkToUtf8(""), "");
}

TEST(Encoding, ReplacesBadUnitsOneAtATime) {
    // A lone lead byte in the middle and one at the end: each becomes one replacement character,
    // and the text around them survives.
    EXPECT_EQ(gbkToUtf8("a\x81 b" + kGbk + "\xFE"), "a\xEF\xBF\xBD b" + kUtf8 + "\xEF\xBF\xBD");
    // A character GBK cannot represent (an emoji, given as a surrogate pair) and a lone surrogate.
    EXPECT_EQ(utf16ToGbk(u"x\U0001F600y"), "x?y");
    EXPECT_EQ(utf16ToGbk(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a?b");
    // Broken UTF-8 bytes.
    EXPECT_EQ(utf8ToGbk("a\xE8\x80z"), "a??z");
    // Valid characters that GBK lacks: one "?" each, whatever their UTF-8 length.
    EXPECT_EQ(utf8ToGbk("x\xF0\x9F\x98\x80y\xED\x95\x9C"), "x?y?");
}

TEST(Paths, FileNamePartIsAfterTheLastSeparator) {
    EXPECT_EQ(fileNamePart("/home/office/config.ini"), "config.ini");
    EXPECT_EQ(fileNamePart("config.ini"), "config.ini");
    EXPECT_EQ(fileNamePart("/tmp/"), "");
}

TEST(Encoding, FindsTheFirstCharacterGbkLacks) {
    EXPECT_EQ(firstNonGbkCharacter(u"考铃 ExamBell ?"), std::nullopt);
    EXPECT_EQ(firstNonGbkCharacter(u""), std::nullopt);
    EXPECT_EQ(firstNonGbkCharacter(u"张三，䶮李四"), U'\u4DAE');
    EXPECT_EQ(firstNonGbkCharacter(u"a?\U00020000b"), U'\U00020000');
    EXPECT_EQ(firstNonGbkCharacter(u"Zoë"), U'\u00EB');
    EXPECT_EQ(firstNonGbkCharacter(std::u16string(u"a") + char16_t(0xDC00)), U'\xDC00');
    EXPECT_EQ(characterCode(U'\u4DAE'), "U+4DAE");
    EXPECT_EQ(characterCode(U'\U00020000'), "U+20000");
    EXPECT_EQ(gbkToUtf8(nonGbkSaveMessage(U'\u00EB')).substr(0, 12), "“U+00EB”");
}

}  // namespace
}  // namespace exambell
