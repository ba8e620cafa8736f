#include "net/VoiceDownload.h"

#include "text/Encoding.h"
#include "text/Text.h"

namespace exambell {
namespace {

// The value of a hexadecimal digit, or -1.
int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           sameIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool isBlankOrBreak(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

VoiceDownloadAddresses deployedVoiceDownloadAddresses() {
    return {utf8ToGbk(EXAMBELL_VOICE_ADDRESS_FILE), utf8ToGbk(EXAMBELL_VOICE_DEFAULT_PAGE)};
}

Text percentDecode(std::string_view text, bool fromUtf8) {
    Text out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return fromUtf8 ? utf8ToGbk(out) : out;
}

std::optional<Text> browsableAddress(std::string_view text) {
    // Trim whole characters from both ends: ASCII blanks and breaks, and the full-width space.
    std::size_t begin = 0;
    std::size_t end = 0;
    bool seen = false;
    for (std::size_t i = 0; i < text.size();) {
        const bool pair = isGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        const std::size_t width = pair ? 2 : 1;
        const bool blank = pair ? text.substr(i, 2) == kWideBlank : isBlankOrBreak(text[i]);
        if (!blank) {
            if (!seen) {
                begin = i;
                seen = true;
            }
            end = i + width;
        }
        i += width;
    }
    if (!seen) {
        return std::nullopt;
    }
    const std::string_view address = text.substr(begin, end - begin);
    for (char c : address) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return std::nullopt;
        }
    }
    std::string_view rest;
    if (startsWithIgnoringCase(address, "http://")) {
        rest = address.substr(7);
    } else if (startsWithIgnoringCase(address, "https://")) {
        rest = address.substr(8);
    } else {
        return std::nullopt;
    }
    if (rest.empty() || rest.front() == '/' || rest.front() == '?' || rest.front() == '#') {
        return std::nullopt;
    }
    return Text(address);
}

void openVoiceDownloadPage(UrlOpener& opener, const HttpContext& context,
                           const VoiceDownloadAddresses& addresses) {
    Text fetched =
        HttpRequest(addresses.addressFile, kHttpGet, {}, std::nullopt, nullptr, {}, nullptr, false,
                    {}, {}, {}, {}, {}, 0, nullptr, nullptr, nullptr, context);
    // A file saved by Notepad may begin with a byte-order mark; it is no part of the address.
    if (std::string_view(fetched).substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        fetched.erase(0, kUtf8ByteOrderMark.size());
    }
    if (std::optional<Text> address = browsableAddress(percentDecode(fetched, true))) {
        opener.open(*address);
    } else {
        opener.open(addresses.defaultPage);
    }
}

}  // namespace exambell
