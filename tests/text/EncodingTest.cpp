#include <gtest/gtest.h>

#include <iconv.h>

#include "tests/support/EventGaps.h"
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

TEST(Encoding, EveryGbkCharacterRoundTrips) {
    int characters = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string unicode = gbkToUtf16(pair);
            if (unicode.size() == 1 && unicode[0] != u'\uFFFD') {
                ++characters;
                EXPECT_EQ(utf16ToGbk(unicode), pair);
                EXPECT_EQ(utf8ToGbk(gbkToUtf8(pair)), pair);
            }
        }
    }
    EXPECT_GT(characters, 21000);
    // The single byte 0x80 of code page 936 is the euro sign.
    EXPECT_EQ(gbkToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(utf8ToGbk("\xE2\x82\xAC"), "\x80");
}

// The tables are built in batches; every pair must still read as glibc's converter reads it alone.
TEST(Encoding, EveryPairReadsAsIconvReadsItAlone) {
    iconv_t cd = iconv_open("UTF-16LE", "GBK");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int differences = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            unsigned char out[4] = {};
            char* inPtr = in;
            std::size_t inLeft = 2;
            char* outPtr = reinterpret_cast<char*>(out);
            std::size_t outLeft = sizeof out;
            const bool ok =
                iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                inLeft == 0 && outLeft == 2;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const std::u16string expected(
                1, ok ? static_cast<char16_t>(out[0] | (out[1] << 8)) : u'\uFFFD');
            const std::u16string read = gbkToUtf16(std::string_view(in, 2));
            // A pair that is no character reads as U+FFFD for the lead byte, then the trail
            // byte alone.
            if (ok ? read != expected : read.empty() || read[0] != u'\uFFFD') {
                ++differences;
            }
        }
    }
    iconv_close(cd);
    EXPECT_EQ(differences, 0);
}

TEST(Encoding, Utf8ThatIsNotWellFormed) {
    // Overlong forms, encoded surrogates, values past U+10FFFF and stray continuation bytes: one
    // "?" per byte, and the ASCII after them survives.
    EXPECT_EQ(utf8ToGbk("\xC0\xAF"
                        "a"),
              "??a");
    EXPECT_EQ(utf8ToGbk("\xED\xA0\x80"
                        "b"),
              "???b");
    EXPECT_EQ(utf8ToGbk("\xF4\x90\x80\x80"
                        "c"),
              "????c");
    EXPECT_EQ(utf8ToGbk("\x80\xBF"
                        "d\xE8"),
              "??d?");
}

// Converting 8 MiB of bad bytes, the calling thread passes events all along: the processor time
// it spends between two passes stays short.
TEST(Encoding, LargeConversionsKeepEventsFlowing) {
    const std::size_t size = 8u << 20;
    const std::string invalid(size, '\xFF');
    auto longestGap = [](auto convert) {
        test::EventGaps gaps;
        convert([&] { gaps.pass(); });
        EXPECT_GT(gaps.passes(), 1);
        return gaps.longestCpu();
    };
    Text gbk;
    EXPECT_LT(longestGap([&](const EventPass& pass) { gbk = utf8ToGbk(invalid, pass); }),
              test::EventGaps::kMostCpu);
    EXPECT_EQ(gbk, std::string(size, '?'));
    std::string utf8;
    EXPECT_LT(longestGap([&](const EventPass& pass) { utf8 = gbkToUtf8(invalid, pass); }),
              test::EventGaps::kMostCpu);
    EXPECT_EQ(utf8.size(), size * 3);
    // Through iconv (a character set without tables of our own), an eighth of the size.
    Text other;
    EXPECT_LT(longestGap([&](const EventPass& pass) {
                  iconvToGbk(std::string_view(invalid).substr(0, size / 8), "UTF-8", other, pass);
              }),
              test::EventGaps::kMostCpu);
    EXPECT_EQ(other, std::string(size / 8, '?'));
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
