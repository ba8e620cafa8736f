#include "net/VoiceDownload.h"

#include "net/BackgroundWork.h"
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

// The host of the part of an address after "scheme://", given in UTF-8: the authority ends at
// the first "/", "?" or "#"; user information ends at its last "@"; a port follows a ":"; an
// IPv6 host stands in brackets. The browser is handed the address as Unicode, so it is read in
// that form: in GBK a trail byte may be "@" or "]", and a pair that is no character reaches the
// browser as U+FFFD followed by the second byte, which then is a separator after all.
std::string_view hostOf(std::string_view rest) {
    const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    std::string_view hostAndPort = authority;
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        hostAndPort.remove_prefix(at + 1);
    }
    if (!hostAndPort.empty() && hostAndPort.front() == '[') {
        const std::size_t close = hostAndPort.find(']');
        return close == std::string_view::npos ? std::string_view()
                                               : hostAndPort.substr(1, close - 1);
    }
    return hostAndPort.substr(0, hostAndPort.find(':'));
}

}  // namespace

VoiceDownloadAddresses deployedVoiceDownloadAddresses() {
    return {utf8ToGbk(EXAMBELL_VOICE_ADDRESS_FILE), utf8ToGbk(EXAMBELL_VOICE_DEFAULT_PAGE)};
}

Text percentDecode(std::string_view text, bool fromUtf8, const EventPass& pass) {
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
    return fromUtf8 ? utf8ToGbk(out, pass) : out;
}

std::optional<Text> browsableAddress(std::string_view text) {
    // Trim whole characters from both ends: ASCII blanks and breaks, and the full-width space.
    std::size_t begin = 0;
    std::size_t end = 0;
    bool seen = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t width = gbkCharLength(text, i);
        const bool blank = width == 2 ? text.substr(i, 2) == kWideBlank : isBlankOrBreak(text[i]);
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
    if (hostOf(gbkToUtf8(rest)).empty()) {
        return std::nullopt;
    }
    return Text(address);
}

Text voicePageAddress(const HttpResult& fetched, std::string_view defaultPage,
                      const EventPass& pass) {
    if (fetched.error != kHttpOk || fetched.cancelled) {
        return Text(defaultPage);
    }
    std::string_view text = fetched.text;
    // A file saved by Notepad may begin with a byte-order mark; it is no part of the address.
    if (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        text.remove_prefix(kUtf8ByteOrderMark.size());
    }
    // The text is the server's choice: decode and check it beside the window's events.
    std::optional<Text> address;
    runBesideEvents([&] { address = browsableAddress(percentDecode(text, true)); }, pass);
    return address ? std::move(*address) : Text(defaultPage);
}

void openVoiceDownloadPage(UrlOpener& opener, const HttpContext& context,
                           const VoiceDownloadAddresses& addresses) {
    const HttpResult fetched = HttpRequest({.url = addresses.addressFile}, context);
    if (fetched.cancelled) {
        return;
    }
    const Text address = voicePageAddress(fetched, addresses.defaultPage, context.processEvents);
    if (context.cancelled && context.cancelled()) {
        return;
    }
    opener.open(address);
}

}  // namespace exambell
