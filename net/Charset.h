#pragma once
// The text of an HTTP answer's body: the character set an HTML page declares for itself, and
// the body bytes decoded from it into GBK. Pure functions over bytes, linear in their input.

#include <optional>
#include <string_view>

#include "text/Encoding.h"
#include "text/Text.h"

namespace exambell {

// The character set declared by a "<meta ... charset=NAME" tag in the first 1024 bytes of a
// page's text (any letter case); empty when there is none.
Text declaredCharset(std::string_view pageText);

// Bytes in a named character set turned into GBK text; nullopt when the character set is unknown.
// Bytes that are invalid in that set become "?". "gbk", "gb2312" and "cp936" (any case) are
// taken as GBK and returned unchanged; "utf-8" and "utf8" lose a leading byte-order mark.
std::optional<Text> decodeToGbk(std::string_view bytes, std::string_view charset,
                                const EventPass& pass = {});

// The body as the request routine returns it: the bytes up to the first NUL taken as GBK, or,
// when the page declares a character set other than exactly "gbk" or "gb2312", all the bytes
// decoded from that set and cut at the first NUL. An unknown set leaves the GBK reading.
Text pageText(std::string_view body, const EventPass& pass = {});

}  // namespace exambell
