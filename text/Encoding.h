#pragma once
// Conversions between GBK texts and the Unicode forms that libraries and widgets want.
// None of them fails: what cannot be converted is replaced one unit at a time
// (U+FFFD towards Unicode, "?" towards GBK), so a malformed text never loses the rest.

#include <string>
#include <string_view>

#include "text/Text.h"

namespace exambell {

std::string gbkToUtf8(std::string_view gbk);
Text utf8ToGbk(std::string_view utf8);
std::u16string gbkToUtf16(std::string_view gbk);
Text utf16ToGbk(std::u16string_view utf16);

}  // namespace exambell
