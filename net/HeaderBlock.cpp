#include "net/HeaderBlock.h"

#include <algorithm>
#include <optional>

namespace exambell {
namespace {

constexpr std::string_view kSetCookie = "Set-Cookie";
constexpr std::string_view kSetCookieColon = "Set-Cookie:";
constexpr std::string_view kLocation = "Location: ";
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kCookieSeparator = "; ";
constexpr std::size_t kStatusStart = 9;  // after "HTTP/1.1 "

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(prefix[i])) {
            return false;
        }
    }
    return true;
}

// Every occurrence of `sought` (ASCII, any letter case) that begins at a character start replaced
// by `with`, in one walk over the text.
Text replaceIgnoringCase(std::string_view text, std::string_view sought, std::string_view with,
                         EventPacer* pacer = nullptr) {
    Text out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); pacer ? pacer->step() : void()) {
        if (startsWithIgnoringCase(text.substr(i), sought)) {
            out += with;
            i += sought.size();
        } else {
            const std::size_t length = gbkCharLength(text, i);
            out += text.substr(i, length);
            i += length;
        }
    }
    return out;
}

// The text without leading and trailing ASCII spaces and GBK full-width spaces.
std::string_view trimBlanks(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool seen = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = gbkCharLength(text, i);
        const std::string_view character = text.substr(i, length);
        if (character != " " && character != kWideBlank) {
            begin = seen ? begin : i;
            seen = true;
            end = i + length;
        }
        i += length;
    }
    return text.substr(begin, end - begin);
}

// The cookie of a line holding "Set-Cookie": with a ";", what lies between the first
// "Set-Cookie:" and the next ";" (nothing when the colon form is missing); without one, the line
// with every "Set-Cookie:" removed.
std::optional<Text> cookieOf(std::string_view line) {
    if (line.find(';') == std::string_view::npos) {
        return replaceIgnoringCase(line, kSetCookieColon, "");
    }
    const int at = findText(line, kSetCookieColon);
    if (at <= 0) {
        return std::nullopt;
    }
    const std::size_t from = static_cast<std::size_t>(at) - 1 + kSetCookieColon.size();
    const std::size_t semicolon = line.find(';', from);
    return Text(
        line.substr(from, semicolon == std::string_view::npos ? semicolon : semicolon - from));
}

}  // namespace

HeaderBlock parseHeaderBlock(std::string_view block, std::string_view cookies,
                             const EventPass& pass) {
    HeaderBlock out;
    out.receivedCookies = Text(cookies);
    if (block.size() > kStatusStart) {
        const std::size_t end = block.find(kCrLf, kStatusStart);
        out.status = Text(
            block.substr(kStatusStart, end == std::string_view::npos ? end : end - kStatusStart));
    }
    // Line by line: CR is never the second byte of a GBK character, so every CR LF of the block
    // stands at a character start and the lines are the block's own characters.
    out.headers.reserve(block.size());
    bool anyCookie = false;
    EventPacer pacer(pass);
    for (std::size_t start = 0; start < block.size();) {
        const std::size_t end = std::min(block.find(kCrLf, start), block.size());
        const Text line =
            replaceIgnoringCase(block.substr(start, end - start), kSetCookie, kSetCookie, &pacer);
        out.headers += line;
        if (end < block.size()) {
            out.headers += kCrLf;
        }
        start = end + kCrLf.size();
        if (findText(line, kSetCookie) > 0) {
            if (std::optional<Text> cookie = cookieOf(line)) {
                out.receivedCookies += trimBlanks(*cookie);
                out.receivedCookies += kCookieSeparator;
                anyCookie = true;
            }
        }
        if (startsWithIgnoringCase(line, kLocation)) {
            out.location = line.substr(kLocation.size());
        }
        pacer.step();
    }
    if (anyCookie) {
        out.receivedCookies.resize(out.receivedCookies.size() - kCookieSeparator.size());
    }
    return out;
}

}  // namespace exambell
