// The regular-expression wrapper, with the program's own patterns on arbitrary texts and with
// arbitrary patterns. Fields: pattern, text, replacement, switches.
#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.h"
#include "text/Encoding.h"
#include "text/RegexObject.h"

namespace {

using exambell::RegexObject;
using exambell::Text;
using exambell::fuzz::check;

// The patterns the program runs: blank lines of the schedule text, the charset of a page.
constexpr std::string_view kProgramPatterns[] = {
    "\\n\\s*\\r",
    "<meta.+?charset=[^\\w]?([-\\w]+)",
};

void run(std::string_view pattern, std::string_view text, std::string_view replacement,
         unsigned switches) {
    RegexObject regex;
    const bool caseSensitive = (switches & 1) != 0;
    const bool multiLine = (switches & 2) != 0;
    const bool global = (switches & 4) != 0;
    const bool quotes = (switches & 8) != 0;
    if (!regex.execute(pattern, text, caseSensitive, multiLine, global, quotes)) {
        check(regex.matchCount() == 0, "a failed execute keeps no match");
        check(regex.replaceAll(replacement).empty(), "a failed execute replaces nothing");
        return;
    }
    check(global || regex.matchCount() <= 1, "without global at most one match");
    // Every match replaced by itself gives the text back (as its Unicode form gives it).
    check(regex.replaceAll("$&") == exambell::utf16ToGbk(exambell::gbkToUtf16(text)),
          "replacing each match by itself keeps the text");
    static_cast<void>(regex.replaceAll(replacement));
    for (int m = 0; m <= regex.matchCount() + 1; ++m) {
        for (int g = 0; g <= 3; ++g) {
            const Text part = regex.submatchText(m, g);
            check(part.size() <= 4 * text.size() + 4, "a submatch is part of the text");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const exambell::fuzz::Fields fields(data, size);
    const unsigned switches = exambell::fuzz::choice(fields[3]);
    for (const std::string_view pattern : kProgramPatterns) {
        run(pattern, fields[1], fields[2], switches);
    }
    // Arbitrary patterns on short texts: the time a bad pattern takes grows with the text.
    if (fields[1].size() <= 256) {
        run(fields[0], fields[1], fields[2], switches);
    }
    return 0;
}
