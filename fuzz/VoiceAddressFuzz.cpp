// The voice-download address: what a fetched text file can make the program hand to the
// browser. Field: the text file's bytes.
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/FuzzInput.h"
#include "net/VoiceDownload.h"
#include "text/Encoding.h"

namespace {

using exambell::Text;
using exambell::fuzz::check;

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

// The host of an http(s) address (UTF-8, so that no byte of a wider character reads as one of
// the separators): the authority (up to "/", "?" or "#") without the user part
// (up to its last "@") and without a port (":" and digits at its end).
std::string_view hostOf(std::string_view address) {
    address.remove_prefix(address.find("://") + 3);
    std::string_view authority = address.substr(0, address.find_first_of("/?#"));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    if (authority.starts_with('[')) {
        return authority.substr(0, authority.find(']') + 1);
    }
    return authority.substr(0, authority.find(':'));
}

void checkAddress(std::string_view text) {
    const std::optional<Text> address = exambell::browsableAddress(text);
    if (!address) {
        return;
    }
    check(
        startsWithIgnoringCase(*address, "http://") || startsWithIgnoringCase(*address, "https://"),
        "only http and https reach the browser");
    for (const char c : *address) {
        check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F,
              "no control character reaches the browser");
    }
    // The browser is given the address as Unicode: in GBK "\xE5@" is one character, not "@".
    check(!hostOf(exambell::gbkToUtf8(*address)).empty(),
          "an address that reaches the browser has a host");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkAddress(text);
    for (const bool fromUtf8 : {false, true}) {
        const Text decoded = exambell::percentDecode(text, fromUtf8);
        if (!fromUtf8) {
            check(decoded.size() <= text.size(), "decoding never lengthens the text");
        }
        checkAddress(decoded);
    }
    return 0;
}
