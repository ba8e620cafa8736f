// The shared text operations and the GBK conversions.
// Fields: text, sought text or separator, start position and switches.
#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.h"
#include "text/Encoding.h"
#include "text/Text.h"

namespace {

using exambell::Text;
using exambell::fuzz::check;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool startsCharacter(std::string_view text, std::size_t at) {
    std::size_t i = 0;
    while (i < at) {
        i += exambell::gbkCharLength(text, i);
    }
    return i == at;
}

char folded(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (folded(a[i]) != folded(b[i])) {
            return false;
        }
    }
    return true;
}

void checkConversions(std::string_view text) {
    const std::string utf8 = exambell::gbkToUtf8(text);
    const std::u16string utf16 = exambell::gbkToUtf16(text);
    // A text that converts without a replacement character is valid GBK: it comes back byte
    // for byte, both ways.
    if (utf8.find(kReplacement) == std::string::npos && text.find('\0') == std::string::npos) {
        check(exambell::utf8ToGbk(utf8) == text, "valid GBK round-trips through UTF-8");
        check(exambell::utf16ToGbk(utf16) == text, "valid GBK round-trips through UTF-16");
    }
    // Arbitrary bytes taken as UTF-8 never fail either.
    const Text gbk = exambell::utf8ToGbk(text);
    check(exambell::gbkToUtf8(gbk).size() <= 3 * gbk.size(), "GBK to UTF-8 stays proportional");
}

void checkFind(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
    const int at = exambell::findText(text, sought, start, ignoreCase);
    if (sought.empty()) {
        return;
    }
    if (at > 0) {
        const auto from = static_cast<std::size_t>(at - 1);
        check(from + sought.size() <= text.size(), "a match lies inside the text");
        check(at >= start, "a match is at or after the start");
        check(startsCharacter(text, from), "a match begins on a character");
        const std::string_view found = text.substr(from, sought.size());
        check(ignoreCase ? sameIgnoringCase(found, sought) : found == sought,
              "a match is the sought text");
    } else {
        check(at == -1, "no match is -1");
    }
}

void checkSplit(std::string_view text, std::string_view separator) {
    const std::vector<Text> parts = exambell::splitText(text, separator);
    if (text.empty()) {
        check(parts.empty(), "an empty text has no parts");
        return;
    }
    if (separator.empty()) {
        check(parts.size() == 1 && parts[0] == text, "an empty separator keeps the text whole");
        return;
    }
    Text joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            joined += separator;
        }
        joined += parts[i];
    }
    // Only a trailing separator leaves no part behind it.
    check(joined == text || joined + Text(separator) == text, "the parts join to the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const exambell::fuzz::Fields fields(data, size);
    const std::string_view text = fields[0];
    const std::string_view other = fields[1];
    const unsigned switches = exambell::fuzz::choice(fields[2]);
    const int start = static_cast<int>(switches % 8) + 1;

    checkConversions(text);
    checkFind(text, other, start, (switches & 0x80) != 0);
    checkSplit(text, other);

    const Text trimmed = exambell::deleteLeadingBlanks(text);
    check(text.ends_with(trimmed), "dropping leading blanks keeps the rest");
    const std::int64_t number = exambell::toInteger(text);
    check(exambell::toInteger(exambell::toText(number)) == number, "a number's text reads back");
    const Text padded = exambell::twoDigits(text);
    check(padded.size() >= 2 || padded == "0", "the two-digit form has two characters");
    return 0;
}
