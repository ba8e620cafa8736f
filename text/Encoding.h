#pragma once
// Conversions between GBK texts and the Unicode forms that libraries and widgets want.
// None of them fails: what cannot be converted is replaced one unit at a time
// (U+FFFD towards Unicode, "?" towards GBK), so a malformed text never loses the rest.

#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace exambell {

std::string gbkToUtf8(std::string_view gbk);
Text utf8ToGbk(std::string_view utf8);
std::u16string gbkToUtf16(std::string_view gbk);
Text utf16ToGbk(std::u16string_view utf16);

// The first character of a Unicode text that GBK cannot hold (a lone surrogate counts as one):
// converting the text would turn it into "?".
std::optional<char32_t> firstNonGbkCharacter(std::u16string_view utf16);
// How a GBK text names such a character, which it cannot show: "U+4DAE".
Text characterCode(char32_t character);
// The message that refuses to save a text holding such a character, naming it.
Text nonGbkSaveMessage(char32_t character);

}  // namespace exambell
