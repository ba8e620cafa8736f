#pragma once
// Text: the program's string type. Every text inside ExamBell is an 8-bit GBK (code page 936)
// byte string; lengths and positions count bytes, a Chinese character two. Positions are 1-based.
// Conversion to UTF-8/UTF-16 happens only at library and widget boundaries (text/Encoding.h).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace exambell {

using Text = std::string;

// True for a GBK lead byte (0x81..0xFE): it starts a double-byte character when a trail byte
// follows. A lead byte at the very end of a text stands alone.
constexpr bool isGbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// True for a byte that can end a double-byte GBK character (0x40..0xFE except 0x7F). A lead byte
// followed by anything else stands alone, so an ASCII digit, blank, separator or line break is
// never swallowed by a broken character before it.
constexpr bool isGbkTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Byte length (1 or 2) of the character that starts at byte index i of text (i < text.size()).
std::size_t gbkCharLength(std::string_view text, std::size_t i);

// Whole number of a text: full-width digits, colon, blank and signs are first turned half-width,
// then leading blanks are skipped and an optional sign and the leading digits read.
// "120分钟" gives 120, "" gives 0, "abc" gives 0. Saturates instead of overflowing.
std::int64_t toInteger(std::string_view text);

// Decimal text of a number: whole numbers plain; doubles as "%.13g", floats as "%.6g".
Text toText(std::int64_t number);
inline Text toText(int number) {
    return toText(static_cast<std::int64_t>(number));
}
Text toText(double number);
Text toText(float number);

// The two-digit form: a text of at most one byte gets a leading "0" ("5" -> "05", "" -> "0").
Text twoDigits(std::string_view text);
inline Text twoDigits(std::int64_t number) {
    return twoDigits(toText(number));
}

// 1-based byte position of the first occurrence of sought at or after start, or -1. Advances one
// whole GBK character at a time, so a match never begins on a trail byte. ignoreCase folds ASCII
// letters only. An empty sought text gives 1 for a non-empty text and -1 for an empty one.
int findText(std::string_view text, std::string_view sought, int start = 1,
             bool ignoreCase = false);

// Parts of a text between separators, matched at character starts. Adjacent separators give an
// empty part, a leading one an empty first part; the rest after the last separator is a part only
// when not empty; an empty text gives no parts; an empty separator gives the whole text.
std::vector<Text> splitText(std::string_view text, std::string_view separator = ",");

// The GBK full-width space (U+3000), a blank wherever the program trims blanks.
inline constexpr std::string_view kWideBlank = "\xA1\xA1";

// The text without its leading blanks: ASCII spaces and the full-width space.
Text deleteLeadingBlanks(std::string_view text);

// Whether a and b hold the same characters when ASCII letters are compared without regard to
// case. Every other byte compares exactly, and only single-byte characters fold: the trail byte
// of a double-byte character may look like a letter ("\xB0\x41" is not "\xB0\x61").
bool sameIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace exambell
