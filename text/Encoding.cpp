#include "text/Encoding.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace exambell {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr char kGbkReplacement = '?';
// The single byte 0x80 of code page 936.
constexpr unsigned char kEuroByte = 0x80;
constexpr char16_t kEuro = u'\u20AC';

// Code page 936 both ways, as glibc's "GBK" converter has it (the same table as Windows). Built
// once by asking iconv for every double-byte character; afterwards no conversion calls iconv, so
// a bad byte costs what a good one does.
struct GbkTables {
    // Unicode of lead byte 0x81 + i and trail byte j; 0 where the pair is no character.
    std::array<std::array<char16_t, 256>, 126> toUnicode{};
    // GBK pair of a BMP code point (lead << 8 | trail); 0 where GBK has no such character.
    std::array<std::uint16_t, 65536> toGbk{};

    GbkTables() {
        iconv_t cd = iconv_open("UTF-16LE", "GBK");
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            return;
        }
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            fillLead(cd, lead);
        }
        iconv_close(cd);
    }

    // All pairs of one lead byte in as few iconv calls as the pairs that are no character allow:
    // the tables are built while the program starts, and a call per pair cost milliseconds.
    void fillLead(iconv_t cd, unsigned lead) {
        std::array<char, 2 * 256> in{};
        std::size_t pairs = 0;
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (isGbkTrailByte(static_cast<unsigned char>(trail))) {
                in[2 * pairs] = static_cast<char>(lead);
                in[2 * pairs + 1] = static_cast<char>(trail);
                ++pairs;
            }
        }
        std::size_t done = 0;  // pairs converted or skipped
        while (done < pairs) {
            std::array<unsigned char, 2 * 256> out{};
            char* inPtr = in.data() + 2 * done;
            std::size_t inLeft = 2 * (pairs - done);
            char* outPtr = reinterpret_cast<char*>(out.data());
            std::size_t outLeft = out.size();
            const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
            const std::size_t consumed = 2 * (pairs - done) - inLeft;
            const std::size_t produced = out.size() - outLeft;
            if (consumed % 2 != 0 || produced != consumed) {
                // Not one UTF-16 unit per pair: take this lead byte's pairs one at a time.
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                fillOneByOne(cd, in.data() + 2 * done, pairs - done);
                return;
            }
            for (std::size_t k = 0; k < consumed / 2; ++k) {
                take(in[2 * (done + k)], in[2 * (done + k) + 1],
                     static_cast<char16_t>(out[2 * k] | (out[2 * k + 1] << 8)));
            }
            done += consumed / 2;
            if (rc == static_cast<std::size_t>(-1)) {
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                ++done;  // the pair that is no character
            }
        }
    }

    void fillOneByOne(iconv_t cd, const char* pairs, std::size_t count) {
        for (std::size_t k = 0; k < count; ++k) {
            char in[2] = {pairs[2 * k], pairs[2 * k + 1]};
            unsigned char out[4];
            char* inPtr = in;
            std::size_t inLeft = 2;
            char* outPtr = reinterpret_cast<char*>(out);
            std::size_t outLeft = sizeof out;
            const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
            if (rc == static_cast<std::size_t>(-1) || inLeft != 0 || outLeft != 2) {
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                continue;
            }
            take(in[0], in[1], static_cast<char16_t>(out[0] | (out[1] << 8)));
        }
    }

    void take(char leadByte, char trailByte, char16_t unit) {
        const auto lead = static_cast<unsigned char>(leadByte);
        const auto trail = static_cast<unsigned char>(trailByte);
        toUnicode[lead - 0x81][trail] = unit;
        if (toGbk[unit] == 0) {
            toGbk[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
    }
};

const GbkTables& tables() {
    static const auto built = std::make_unique<GbkTables>();
    return *built;
}

// Calls `emit` with each character of a GBK text as a BMP code point, kReplacement for a byte
// that starts no character (it is skipped alone, so it never swallows the byte after it).
template <typename Emit>
void decodeGbk(std::string_view gbk, const EventPass& pass, Emit emit) {
    const GbkTables& t = tables();
    EventPacer pacer(pass);
    for (std::size_t i = 0; i < gbk.size(); pacer.step()) {
        const auto c = static_cast<unsigned char>(gbk[i]);
        if (c < 0x80) {
            emit(static_cast<char16_t>(c));
            ++i;
        } else if (c == kEuroByte) {
            emit(kEuro);
            ++i;
        } else if (isGbkLeadByte(c) && i + 1 < gbk.size()) {
            const char16_t unit = t.toUnicode[c - 0x81][static_cast<unsigned char>(gbk[i + 1])];
            emit(unit != 0 ? unit : kReplacement);
            i += unit != 0 ? 2 : 1;
        } else {
            emit(kReplacement);
            ++i;
        }
    }
}

// Appends the GBK form of one code point, "?" when GBK has none.
void appendGbk(Text& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
        return;
    }
    if (code == kEuro) {
        out += static_cast<char>(kEuroByte);
        return;
    }
    const std::uint16_t pair = code < 0x10000 ? tables().toGbk[code] : 0;
    if (pair == 0) {
        out += kGbkReplacement;
        return;
    }
    out += static_cast<char>(pair >> 8);
    out += static_cast<char>(pair & 0xFF);
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The code point of the well-formed UTF-8 sequence at bytes[i] and its length; length 0 when no
// well-formed sequence starts there (overlong forms, surrogates and values past U+10FFFF are
// not well-formed).
std::pair<char32_t, std::size_t> utf8At(std::string_view bytes, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
    const unsigned char c = byte(0);
    if (c < 0x80) {
        return {c, 1};
    }
    std::size_t length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2, code = c & 0x1F, least = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3, code = c & 0x0F, least = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4, code = c & 0x07, least = 0x10000;
    } else {
        return {0, 0};
    }
    if (bytes.size() - i < length) {
        return {0, 0};
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            return {0, 0};
        }
        code = code << 6 | (byte(k) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {0, 0};
    }
    return {code, length};
}

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

}  // namespace

EventPacer::EventPacer(const EventPass& pass)
    : pass_(pass), last_(std::chrono::steady_clock::now()) {}

void EventPacer::passIfDue() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ >= kInterval) {
        pass_();
        last_ = std::chrono::steady_clock::now();
    }
}

std::string gbkToUtf8(std::string_view gbk, const EventPass& pass) {
    std::string out;
    // The most it can take (a bad byte becomes the three bytes of U+FFFD): growing the string
    // half-way would copy it in one piece between two event passes, tens of milliseconds at 8 MiB.
    // Pages not written are never touched.
    out.reserve(3 * gbk.size());
    decodeGbk(gbk, pass, [&](char16_t unit) { appendUtf8(out, unit); });
    return out;
}

std::u16string gbkToUtf16(std::string_view gbk, const EventPass& pass) {
    std::u16string out;
    out.reserve(gbk.size());
    decodeGbk(gbk, pass, [&](char16_t unit) { out += unit; });
    return out;
}

Text utf8ToGbk(std::string_view utf8, const EventPass& pass) {
    Text out;
    out.reserve(utf8.size());
    EventPacer pacer(pass);
    for (std::size_t i = 0; i < utf8.size(); pacer.step()) {
        const auto [code, length] = utf8At(utf8, i);
        if (length == 0) {
            // One "?" per byte of a broken sequence, so the bytes after it are read again.
            out += kGbkReplacement;
            ++i;
        } else {
            appendGbk(out, code);
            i += length;
        }
    }
    return out;
}

Text utf16ToGbk(std::u16string_view utf16, const EventPass& pass) {
    Text out;
    out.reserve(utf16.size() * 2);
    EventPacer pacer(pass);
    for (std::size_t i = 0; i < utf16.size(); pacer.step()) {
        const char16_t unit = utf16[i];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() &&
                          utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF;
        // A surrogate pair is one character outside GBK; a lone surrogate is none: "?" each.
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            out += kGbkReplacement;
        } else {
            appendGbk(out, unit);
        }
        i += pair ? 2 : 1;
    }
    return out;
}

bool iconvToGbk(std::string_view bytes, const char* charset, Text& out, const EventPass& pass) {
    iconv_t opened = iconv_open("UTF-16LE", charset);
    if (opened == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    const std::unique_ptr<void, IconvCloser> cd(opened);
    std::u16string text;
    text.reserve(bytes.size());
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char16_t buffer[2048];
    EventPacer pacer(pass);
    while (inLeft > 0) {
        char* dst = reinterpret_cast<char*>(buffer);
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(opened, &in, &inLeft, &dst, &dstLeft);
        text.append(buffer, static_cast<std::size_t>(dst - reinterpret_cast<char*>(buffer)) / 2);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or incomplete sequence: one replacement per bad byte, then go on.
            text += kReplacement;
            ++in;
            --inLeft;
            iconv(opened, nullptr, nullptr, nullptr, nullptr);
        }
        pacer.step();
    }
    if (!text.empty() && text.front() == u'\uFEFF') {
        text.erase(0, 1);  // a byte-order mark is no part of the text
    }
    out = utf16ToGbk(text, pass);
    return true;
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
