#include "text/Text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace exambell {
namespace {

// Full-width forms that toInteger reads as their half-width counterparts (GBK byte pairs).
char halfWidthOf(unsigned char lead, unsigned char trail) {
    if (lead == 0xA3) {
        if (trail >= 0xB0 && trail <= 0xB9) {
            return static_cast<char>('0' + (trail - 0xB0));
        }
        if (trail == 0xBA) {
            return ':';
        }
        if (trail == 0xAB) {
            return '+';
        }
        if (trail == 0xAD) {
            return '-';
        }
    }
    if (lead == 0xA1 && trail == 0xA1) {
        return ' ';
    }
    return 0;
}

std::size_t charLength(std::string_view text, std::size_t i) {
    return gbkCharLength(text, i);
}

unsigned char foldAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Whether sought occurs in text at byte index at, which is a character start.
bool matchesAt(std::string_view text, std::size_t at, std::string_view sought, bool ignoreCase) {
    if (text.size() - at < sought.size()) {
        return false;
    }
    const std::string_view here = text.substr(at, sought.size());
    return ignoreCase ? sameIgnoringAsciiCase(here, sought) : here == sought;
}

}  // namespace

std::size_t gbkCharLength(std::string_view text, std::size_t i) {
    return i + 1 < text.size() && isGbkLeadByte(static_cast<unsigned char>(text[i])) &&
                   isGbkTrailByte(static_cast<unsigned char>(text[i + 1]))
               ? 2
               : 1;
}

std::int64_t toInteger(std::string_view text) {
    std::string half;
    half.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = charLength(text, i);
        if (len == 2) {
            char c = halfWidthOf(static_cast<unsigned char>(text[i]),
                                 static_cast<unsigned char>(text[i + 1]));
            if (c != 0) {
                half += c;
            } else {
                half.append(text.substr(i, 2));
            }
        } else {
            half += text[i];
        }
        i += len;
    }
    std::size_t i = 0;
    while (i < half.size() && (half[i] == ' ' || half[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < half.size() && (half[i] == '+' || half[i] == '-')) {
        negative = half[i] == '-';
        ++i;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; i < half.size() && half[i] >= '0' && half[i] <= '9'; ++i) {
        int digit = half[i] - '0';
        if (value > (kMax - digit) / 10) {
            value = kMax;
            // Keep reading digits: the value stays saturated.
            continue;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

Text toText(std::int64_t number) {
    return std::to_string(number);
}

// std::to_chars in general format with a precision is printf's "%.<precision>g", but never
// looks at the locale: the program's process runs under the user's locale (Qt sets it), where
// printf could write a decimal comma.
Text toText(double number) {
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::general, 13);
    return Text(buffer, result.ptr);
}

Text toText(float number) {
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::general, 6);
    return Text(buffer, result.ptr);
}

Text twoDigits(std::string_view text) {
    if (text.size() <= 1) {
        return "0" + Text(text);
    }
    return Text(text);
}

int findText(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
    if (sought.empty()) {
        return text.empty() ? -1 : 1;
    }
    if (start < 1) {
        start = 1;
    }
    std::size_t from = static_cast<std::size_t>(start - 1);
    // Walk whole characters from the beginning so that a start inside a character is moved to
    // the next character boundary.
    for (std::size_t i = 0; i < text.size(); i += charLength(text, i)) {
        if (i >= from && matchesAt(text, i, sought, ignoreCase)) {
            return static_cast<int>(i + 1);
        }
    }
    return -1;
}

std::vector<Text> splitText(std::string_view text, std::string_view separator) {
    std::vector<Text> parts;
    if (text.empty()) {
        return parts;
    }
    if (separator.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    std::size_t partStart = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (matchesAt(text, i, separator, false)) {
            parts.emplace_back(text.substr(partStart, i - partStart));
            i += separator.size();
            partStart = i;
        } else {
            i += charLength(text, i);
        }
    }
    if (partStart < text.size()) {
        parts.emplace_back(text.substr(partStart));
    }
    return parts;
}

Text deleteLeadingBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
        } else if (text.substr(i, kWideBlank.size()) == kWideBlank) {
            i += kWideBlank.size();
        } else {
            break;
        }
    }
    return Text(text.substr(i));
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t len = charLength(a, i);
        if (len == 2) {
            if (a.substr(i, 2) != b.substr(i, 2)) {
                return false;
            }
        } else if (foldAscii(static_cast<unsigned char>(a[i])) !=
                   foldAscii(static_cast<unsigned char>(b[i]))) {
            return false;
        }
        i += len;
    }
    return true;
}

}  // namespace exambell
