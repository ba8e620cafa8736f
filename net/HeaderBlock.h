#pragma once
// What the request routine reads out of the raw header block of an answer.

#include <string_view>

#include "text/Encoding.h"
#include "text/Text.h"

namespace exambell {

struct HeaderBlock {
    // The status code and reason phrase: from byte 10 of the block up to its first CR LF.
    Text status;
    // The block with every "Set-Cookie" written in any letter case turned into "Set-Cookie".
    Text headers;
    // The cookies given, with the name=value pair of every Set-Cookie line appended, "; " between.
    Text receivedCookies;
    // The rest of the last line that begins with "Location: " (any case); empty when none.
    Text location;
};

// Reads a header block (GBK, CR LF line ends). `cookies` is the text the answer's cookies are
// appended to. Time linear in the block; `pass` is called every few milliseconds of work.
HeaderBlock parseHeaderBlock(std::string_view block, std::string_view cookies,
                             const EventPass& pass = {});

}  // namespace exambell
