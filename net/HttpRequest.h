#pragma once
// One HTTP or HTTPS request, answered as GBK text (libcurl underneath).
//
// The call blocks its caller until the answer is in, but drives the transfer in short waits (at
// most 10 ms each) and calls `context.processEvents` between them, so the window keeps painting
// and its one-second tick keeps running during a slow request. The caller must make sure that
// whatever runs inside processEvents cannot start a second request (disable its button).
//
// Failures raise nothing: `status` receives a numbered error text ("711 ..." for a request that
// could not be sent, "712 ..." for a server that does not answer, "713 ..." for a body that could
// not be read) and the result is empty, except after a failed body read, which returns what was
// read; `status` then keeps "713 ..." (the header outputs are filled all the same), so a cut-off
// body never passes for a whole one. An HTTP error status (404, 500) is no failure.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace exambell {

// The largest body a request reads; a longer answer stops with "713 ...".
inline constexpr std::size_t kHttpBodyLimit = 8u << 20;

// What the surroundings supply to a request besides its arguments.
struct HttpContext {
    // Lets pending window events be processed. Called between the network waits, once per
    // response header line and before returning. May be empty.
    std::function<void()> processEvents;
    // A PEM file of certificate authorities trusted instead of the system's; empty: the system's.
    std::string caFile;
    // Bytes of body at most; see kHttpBodyLimit.
    std::size_t bodyLimit = kHttpBodyLimit;
};

// The methods by number; any other number means GET.
enum HttpMethod : int { kHttpGet = 0, kHttpPost = 1, kHttpHead = 2, kHttpPut = 3 };

// Arguments in their fixed order. Texts are GBK. Every argument after `url` may be left out; only
// `sendCookies` tells "left out" (nullopt) from "empty": given, the client's own cookie handling
// stays on across redirects; left out, it is off.
//
// - url: "http://" or "https://" address with optional port, path and query.
// - body: sent byte for byte. extraHeaders: request header lines separated by CR LF; the browser-
//   like defaults are added for the names they lack.
// - receivedCookies: the name=value pairs of the answer's Set-Cookie lines are appended, joined by
//   "; ". responseHeaders: the raw header block of the final answer, CR LF line ends.
// - serverUser/serverPassword, proxyUser/proxyPassword: basic credentials, used when both are set.
// - proxy: "host:port"; empty: direct connection (proxy settings of the environment are ignored).
// - timeoutSeconds: the limit for every phase (connecting, and any pause in sending or
//   receiving); 0 or less: 30 s.
// - location: the value of the answer's "Location: " line. status: "200 OK" and the like, or an
//   error text. bodyBytes: the whole raw body.
// The outputs status, responseHeaders, location and bodyBytes are cleared at the start.
Text HttpRequest(std::string_view url, int method = kHttpGet, std::string_view body = {},
                 std::optional<std::string_view> sendCookies = std::nullopt,
                 Text* receivedCookies = nullptr, std::string_view extraHeaders = {},
                 Text* responseHeaders = nullptr, bool noRedirect = false,
                 std::string_view serverUser = {}, std::string_view serverPassword = {},
                 std::string_view proxy = {}, std::string_view proxyUser = {},
                 std::string_view proxyPassword = {}, int timeoutSeconds = 0,
                 Text* location = nullptr, Text* status = nullptr, std::string* bodyBytes = nullptr,
                 const HttpContext& context = {});

// Bytes in a named character set turned into GBK text; nullopt when the character set is unknown.
// Bytes that are invalid in that set become "?". "gb2312" (any case) is read as GBK.
std::optional<Text> decodeToGbk(std::string_view bytes, std::string_view charset);

}  // namespace exambell
