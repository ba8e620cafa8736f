// The header block of an answer, as the request routine reads it: status, headers with the
// cookie lines' names made uniform, the cookies collected and the redirect target. Fields: the
// block (GBK, CR LF line ends), the cookies already held.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzInput.h"
#include "net/HeaderBlock.h"

namespace {

using exambell::fuzz::check;

std::string asciiLowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const exambell::fuzz::Fields fields(data, size);
    const std::string_view block = fields[0];
    const std::string_view cookies = fields[1];
    int passes = 0;
    const exambell::HeaderBlock read =
        exambell::parseHeaderBlock(block, cookies, [&passes] { ++passes; });

    // Only the letter case of the cookie lines' names changes: same bytes, same length.
    check(read.headers.size() == block.size(), "the headers keep the block's length");
    check(asciiLowered(read.headers) == asciiLowered(block), "the headers differ only in case");

    // The status is the first line's text after the protocol, never more than one line.
    check(read.status.find("\r\n") == std::string::npos, "the status is one line");
    check(block.size() <= 9 || block.substr(9).starts_with(read.status),
          "the status is taken from the block");
    // A redirect target is the rest of one line of the block.
    check(read.location.find("\r\n") == std::string::npos, "the location is one line");
    check(read.location.empty() ||
              asciiLowered(block).find(asciiLowered(read.location)) != std::string::npos,
          "the location comes from the block");

    // Cookies are appended to what was held, and each comes from the block.
    check(read.receivedCookies.starts_with(cookies), "the cookies held are kept");
    check(read.receivedCookies.size() <= cookies.size() + 2 * block.size() + 2,
          "the cookies grow with the block, no faster");
    return 0;
}
