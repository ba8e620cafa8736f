#pragma once
// One HTTP or HTTPS request, answered as GBK text (libcurl underneath).
//
// The call blocks its caller until the answer is in, but drives the transfer in short waits (at
// most 10 ms each) and calls `context.processEvents` between them and every few milliseconds of
// the work on the answer (header lines, character-set conversion), so the window keeps painting
// and its one-second tick keeps running during a slow request or a hostile answer. Name lookups
// run on libcurl's resolver thread, which is left behind when it outlives the request, so a
// stalled resolver holds nobody up beyond the time-out. The caller must make sure that whatever
// runs inside processEvents cannot start a second request (disable its button).
//
// Failures raise nothing: `status` receives a numbered error text ("711 ..." for a request that
// could not be sent, "712 ..." for a server that does not answer or whose header block breaks
// off, "713 ..." for a body that could not be read) and the text is empty, except after a failed
// body read, which returns what was read; `status` then keeps "713 ..." (the header outputs are
// filled all the same), so a cut-off body never passes for a whole one. An HTTP error status
// (404, 500) is no failure.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "text/Encoding.h"
#include "text/Text.h"

namespace exambell {

// The largest body a request reads; a longer answer stops with "713 ...". So does an answer whose
// Transfer-Encoding names any coding but chunked (gzip, zstd, ...): its body is not read at all.
inline constexpr std::size_t kHttpBodyLimit = 8u << 20;

// What the surroundings supply to a request besides its arguments.
struct HttpContext {
    // Lets pending window events be processed; may be empty.
    EventPass processEvents;
    // Asked after every event pass; true abandons the request at once (the window that started
    // it has gone). May be empty.
    std::function<bool()> cancelled;
    // A PEM file of certificate authorities trusted instead of the system's; empty: the system's.
    std::string caFile;
    // Bytes of body at most; see kHttpBodyLimit.
    std::size_t bodyLimit = kHttpBodyLimit;
};

// The methods by number; any other number means GET.
enum HttpMethod : int { kHttpGet = 0, kHttpPost = 1, kHttpHead = 2, kHttpPut = 3 };

// The numbered failures; HttpResult::error holds one of them or kHttpOk.
enum HttpError : int {
    kHttpOk = 0,
    kHttpNoClient = 700,
    kHttpBadUrl = 701,
    kHttpNoSession = 702,
    kHttpNoConnection = 703,
    kHttpNoRequest = 704,
    kHttpBadTimeouts = 705,
    kHttpBadCredentials = 707,
    kHttpBadCookieOption = 708,
    kHttpBadRedirectOption = 709,
    kHttpBadHeaders = 710,
    kHttpNotSent = 711,
    kHttpNoResponse = 712,
    kHttpReadFailed = 713,
};

// The arguments, in their fixed order, with the values a caller that leaves them out gets (every
// member has an initialiser, so a designated initialiser names only what it sets).
// Texts are GBK. Only `sendCookies` tells "left out" (nullopt) from "empty": given, the client's
// own cookie handling stays on across redirects; left out, it is off.
struct HttpParams {
    // "http://" or "https://" address with optional port, path and query. A query without a
    // path is dropped: "http://h:1?x=1" asks for "/".
    Text url{};
    int method = kHttpGet;
    // Sent byte for byte.
    Text body{};
    std::optional<Text> sendCookies{};
    // The text the answer's cookies are appended to (HttpResult::receivedCookies).
    Text receivedCookies{};
    // Request header lines separated by CR LF; the browser-like defaults are added for the
    // names they lack.
    Text extraHeaders{};
    // Redirects are followed unless this is set; from an https address only to https ones.
    bool noRedirect = false;
    // Basic credentials, used when both of a pair are set.
    Text serverUser{};
    Text serverPassword{};
    // "host:port"; empty: direct connection (proxy settings of the environment are ignored).
    Text proxy{};
    Text proxyUser{};
    Text proxyPassword{};
    // The limit for every phase (name lookup and connecting, and any pause in sending or
    // receiving); 0 or less: 30 s.
    int timeoutSeconds = 0;
};

// The outputs, the text first, then in the order of the arguments they answer.
struct HttpResult {
    // The body as text: taken as GBK up to its first NUL, or decoded from the character set
    // the page declares. Empty on every failure but a failed body read.
    Text text{};
    // HttpParams::receivedCookies with the name=value pairs of the Set-Cookie lines appended,
    // joined by "; ".
    Text receivedCookies{};
    // The raw header block of the final answer, CR LF line ends.
    Text responseHeaders{};
    // The value of the answer's "Location: " line.
    Text location{};
    // "200 OK" and the like, or the error text.
    Text status{};
    // The whole raw body.
    std::string bodyBytes{};
    HttpError error = kHttpOk;
    // Set when context.cancelled ended the request; everything else is then empty.
    bool cancelled = false;
};

HttpResult HttpRequest(const HttpParams& params, const HttpContext& context = {});

}  // namespace exambell
