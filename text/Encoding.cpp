#include "text/Encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace exambell {
namespace {

// glibc's "GBK" table is the same as code page 936. gb2312 texts are read as GBK too (a superset).
constexpr const char* kGbk = "GBK";

// Converts with iconv; on an invalid or unconvertible input unit, emits the replacement and skips
// one unit (unitSize bytes; a GBK unit is one byte here, so that a bad lead byte does not swallow
// the following character).
std::string convert(const char* to, const char* from, const char* input, std::size_t inputSize,
                    std::size_t unitSize, std::string_view replacement, bool utf16Input = false) {
    std::string out;
    if (inputSize == 0) {
        return out;
    }
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return out;
    }
    out.reserve(inputSize * 2);
    char* in = const_cast<char*>(input);
    std::size_t inLeft = inputSize;
    char buffer[4096];
    while (inLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ (invalid or unrepresentable) or EINVAL (incomplete sequence at the end).
        out.append(replacement);
        std::size_t skip = unitSize < inLeft ? unitSize : inLeft;
        if (utf16Input && inLeft >= 4) {
            // A surrogate pair is one character: replace it once.
            unsigned hi =
                static_cast<unsigned char>(in[0]) | (static_cast<unsigned char>(in[1]) << 8);
            unsigned lo =
                static_cast<unsigned char>(in[2]) | (static_cast<unsigned char>(in[3]) << 8);
            if (hi >= 0xD800 && hi <= 0xDBFF && lo >= 0xDC00 && lo <= 0xDFFF) {
                skip = 4;
            }
        }
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Flush any shift state.
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    iconv_close(cd);
    return out;
}

// The UTF-8 form of U+FFFD, and the same in UTF-16LE.
constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr char kUtf16Replacement[] = {'\xFD', '\xFF'};

std::u16string fromUtf16Le(const std::string& bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return out;
}

std::u16string utf8ToUtf16(std::string_view utf8) {
    return fromUtf16Le(convert("UTF-16LE", "UTF-8", utf8.data(), utf8.size(), 1,
                               std::string_view(kUtf16Replacement, 2)));
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk) {
    return convert("UTF-8", kGbk, gbk.data(), gbk.size(), 1, kUtf8Replacement);
}

Text utf8ToGbk(std::string_view utf8) {
    // Through UTF-16, so that a valid character GBK lacks becomes one "?", not one per byte.
    return utf16ToGbk(utf8ToUtf16(utf8));
}

std::u16string gbkToUtf16(std::string_view gbk) {
    return fromUtf16Le(convert("UTF-16LE", kGbk, gbk.data(), gbk.size(), 1,
                               std::string_view(kUtf16Replacement, 2)));
}

Text utf16ToGbk(std::u16string_view utf16) {
    std::string bytes(utf16.size() * 2, '\0');
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        bytes[2 * i] = static_cast<char>(utf16[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(utf16[i] >> 8);
    }
    // One UTF-16 unit at a time, so a lone surrogate becomes a single "?".
    return convert(kGbk, "UTF-16LE", bytes.data(), bytes.size(), 2, "?", true);
}

std::optional<char32_t> firstNonGbkCharacter(std::u16string_view utf16) {
    // Each character GBK lacks becomes exactly one "?": when the counts agree, nothing was lost.
    const Text whole = utf16ToGbk(utf16);
    if (std::count(whole.begin(), whole.end(), '?') ==
        std::count(utf16.begin(), utf16.end(), u'?')) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        std::size_t length = 1;
        char32_t character = utf16[i];
        if (character >= 0xD800 && character <= 0xDBFF && i + 1 < utf16.size() &&
            utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            length = 2;
            character = 0x10000 + ((character - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
        }
        if (character != u'?' && utf16ToGbk(utf16.substr(i, length)) == "?") {
            return character;
        }
        i += length - 1;
    }
    return std::nullopt;
}

Text characterCode(char32_t character) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
    return Text(code);
}

Text nonGbkSaveMessage(char32_t character) {
    // The character itself cannot stand in a GBK message: it is named by its code.
    static constexpr std::string_view kBefore = "“";
    static constexpr std::string_view kAfter =
        "”是 GBK 字符集里没有的字，无法保存。请改用其他写法，原有的内容没有改动。";
    return utf8ToGbk(kBefore) + characterCode(character) + utf8ToGbk(kAfter);
}

}  // namespace exambell
