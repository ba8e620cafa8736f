#pragma once
// Conversions between GBK texts and the Unicode forms that libraries and widgets want.
// None of them fails: what cannot be converted is replaced one unit at a time
// (U+FFFD towards Unicode, "?" towards GBK), so a malformed text never loses the rest.
//
// Every conversion takes time linear in its input, bad bytes included (code page 936 is held in
// tables built once per process). The ones that may meet untrusted bytes of any size take an
// EventPass, called every few milliseconds of work, so a window converting a large download
// keeps painting and its one-second tick keeps running.

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace exambell {

// Lets pending window events be processed. May be empty.
using EventPass = std::function<void()>;

// Calls an EventPass once at least kInterval has gone by since the last call (or since the
// pacer was made). step() is cheap enough to call for every unit of work.
class EventPacer {
  public:
    static constexpr std::chrono::milliseconds kInterval{5};

    explicit EventPacer(const EventPass& pass);
    void step() {
        if (pass_ && ++steps_ % kStepsPerClockLook == 0) {
            passIfDue();
        }
    }

  private:
    // Units of work between two looks at the clock: well under a millisecond for the slowest.
    static constexpr unsigned kStepsPerClockLook = 256;
    void passIfDue();

    const EventPass& pass_;
    unsigned steps_ = 0;
    std::chrono::steady_clock::time_point last_;
};

std::string gbkToUtf8(std::string_view gbk, const EventPass& pass = {});
Text utf8ToGbk(std::string_view utf8, const EventPass& pass = {});
std::u16string gbkToUtf16(std::string_view gbk, const EventPass& pass = {});
Text utf16ToGbk(std::u16string_view utf16, const EventPass& pass = {});

// Bytes in a character set that iconv knows, as GBK text; false when it does not know the set.
// Bytes invalid in that set become one "?" each. A leading byte-order mark is dropped.
bool iconvToGbk(std::string_view bytes, const char* charset, Text& out, const EventPass& pass = {});

// The first character of a Unicode text that GBK cannot hold (a lone surrogate counts as one):
// converting the text would turn it into "?".
std::optional<char32_t> firstNonGbkCharacter(std::u16string_view utf16);
// How a GBK text names such a character, which it cannot show: "U+4DAE".
Text characterCode(char32_t character);
// The message that refuses to save a text holding such a character, naming it.
Text nonGbkSaveMessage(char32_t character);

}  // namespace exambell
