#include "net/HttpRequest.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <memory>

#include "net/BackgroundWork.h"
#include "net/Charset.h"
#include "net/HeaderBlock.h"

namespace exambell {
namespace {

const Text kErrorNoClient = utf8ToGbk("700 当前系统不支持WinHttp服务!");
const Text kErrorBadUrl = utf8ToGbk("701 解析URL地址失败!");
const Text kErrorSession = utf8ToGbk("702 创建WinHttp会话失败!");
const Text kErrorConnection = utf8ToGbk("703 创建WinHttp连接失败!");
const Text kErrorRequest = utf8ToGbk("704 创建WinHttp请求失败!");
const Text kErrorTimeouts = utf8ToGbk("705 设置超时时间失败!");
const Text kErrorCredentials = utf8ToGbk("707 设置代理凭证失败!");
const Text kErrorCookies = utf8ToGbk("708 禁止自动设置Cookies失败!");
const Text kErrorRedirects = utf8ToGbk("709 重定向设置失败!");
const Text kErrorHeaders = utf8ToGbk("710 设置协议头失败!");
const Text kErrorSend = utf8ToGbk("711 发送请求失败!");
const Text kErrorNoResponse = utf8ToGbk("712 服务器未响应!");
const Text kErrorRead = utf8ToGbk("713 读取数据失败!");

Text errorText(HttpError error) {
    switch (error) {
        case kHttpOk:
            return Text();
        case kHttpNoClient:
            return kErrorNoClient;
        case kHttpBadUrl:
            return kErrorBadUrl;
        case kHttpNoSession:
            return kErrorSession;
        case kHttpNoConnection:
            return kErrorConnection;
        case kHttpNoRequest:
            return kErrorRequest;
        case kHttpBadTimeouts:
            return kErrorTimeouts;
        case kHttpBadCredentials:
            return kErrorCredentials;
        case kHttpBadCookieOption:
            return kErrorCookies;
        case kHttpBadRedirectOption:
            return kErrorRedirects;
        case kHttpBadHeaders:
            return kErrorHeaders;
        case kHttpNotSent:
            return kErrorSend;
        case kHttpNoResponse:
            return kErrorNoResponse;
        case kHttpReadFailed:
            return kErrorRead;
    }
    return Text();
}

// Browser-like request headers, added in this order for every name the caller's lines lack.
struct DefaultHeader {
    std::string_view searched;
    bool ignoreCase;
    std::string_view line;
};
constexpr DefaultHeader kDefaultHeaders[] = {
    {"User-Agent: ", true,
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
    {"Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n"},
    {"Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n"},
    {"Accept-Language: ", true, "Accept-Language: zh-cn\r\n"},
    {"Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n"},
    {"Cache-Control: ", true, "Cache-Control: no-cache\r\n"},
};
constexpr std::string_view kCookieHeader = "Cookie: ";
constexpr std::string_view kCrLf = "\r\n";

constexpr int kDefaultTimeoutMs = 30000;
// The longest single network wait before pending events are processed again.
constexpr std::chrono::milliseconds kEventInterval{10};
// Body bytes taken in between two event passes at most; left alone, curl reads 1.6 MiB at a
// time from a fast server, tens of milliseconds of work on a busy machine.
constexpr std::size_t kBodyBytesPerPass = 256u << 10;
// Redirects followed at most, as browsers do.
constexpr long kMaxRedirects = 10;

bool contains(std::string_view text, std::string_view sought, bool ignoreCase = false) {
    return findText(text, sought, 1, ignoreCase) > 0;
}

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const std::size_t extra = c < 0x80             ? 0
                                  : (c & 0xE0) == 0xC0 ? 1
                                  : (c & 0xF0) == 0xE0 ? 2
                                  : (c & 0xF8) == 0xF0 ? 3
                                                       : 4;
        if (extra > 3 || bytes.size() - i - 1 < extra) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += extra + 1;
    }
    return true;
}

// Header bytes as GBK: servers send ASCII, now and then UTF-8; anything else is taken as GBK.
Text headerText(std::string_view bytes) {
    return isValidUtf8(bytes) ? utf8ToGbk(bytes) : Text(bytes);
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// libcurl's process-wide set-up, done once; false when the library cannot serve HTTP.
bool clientAvailable() {
    static const bool available = [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            return false;
        }
        const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
        bool http = false;
        for (const char* const* p = info->protocols; p && *p; ++p) {
            http = http || std::string_view(*p) == "http";
        }
        return http;
    }();
    return available;
}

// The address as curl is to fetch it.
struct Target {
    std::string url;
    bool secure = false;
};

// The URL in the form curl wants: UTF-8 with every byte outside ASCII and every blank
// percent-escaped, and a query that follows the authority without a path dropped (the request
// path is then "/" alone). nullopt when the text holds control characters.
std::optional<std::string> escapedUrl(std::string_view gbkUrl) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : gbkToUtf8(gbkUrl)) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            return std::nullopt;
        }
        if (c >= 0x80 || c == ' ') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += ch;
        }
    }
    const std::size_t scheme = out.find("://");
    if (scheme != std::string::npos) {
        const std::size_t authorityEnd = out.find_first_of("/?#", scheme + 3);
        if (authorityEnd != std::string::npos && out[authorityEnd] == '?') {
            const std::size_t fragment = out.find('#', authorityEnd);
            out.erase(authorityEnd,
                      fragment == std::string::npos ? fragment : fragment - authorityEnd);
        }
    }
    return out;
}

// Only http and https addresses with a host; credentials written into the address are not used.
std::optional<Target> requestTarget(std::string_view url) {
    std::unique_ptr<CURLU, UrlDeleter> address(curl_url());
    const std::optional<std::string> escaped = escapedUrl(url);
    if (!address || !escaped ||
        curl_url_set(address.get(), CURLUPART_URL, escaped->c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    auto part = [&](CURLUPart which) {
        char* value = nullptr;
        std::string text;
        if (curl_url_get(address.get(), which, &value, 0) == CURLUE_OK && value) {
            text = value;
        }
        curl_free(value);
        return text;
    };
    Target target;
    const std::string scheme = part(CURLUPART_SCHEME);
    target.secure = scheme == "https";
    if ((scheme != "http" && !target.secure) || part(CURLUPART_HOST).empty()) {
        return std::nullopt;
    }
    curl_url_set(address.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(address.get(), CURLUPART_PASSWORD, nullptr, 0);
    target.url = part(CURLUPART_URL);
    if (target.url.empty()) {
        return std::nullopt;
    }
    return target;
}

// What the callbacks gather while the transfer runs.
struct Transfer {
    std::size_t limit = kHttpBodyLimit;
    std::string body;
    bool overLimit = false;
    bool bodyStarted = false;
    // The header block of the latest answer (a redirect or 1xx answer starts a new one), with
    // CR LF line ends whatever the server used.
    std::string headers;
    bool headersComplete = false;
    int statusCode = 0;
    bool hasLocation = false;
    // The latest answer names a transfer coding other than chunked.
    bool packed = false;
    // Counts of events that show the transfer moving, for the stall check.
    std::size_t connections = 0;
    std::size_t receivedBytes = 0;
    // Body bytes still to take before the next event pass; at 0 the transfer pauses.
    std::size_t passBudget = kBodyBytesPerPass;
    bool paused = false;
};

// Whether a Transfer-Encoding value names a coding besides chunked. The request asks for none
// (no TE header), yet curl unpacks gzip, deflate, brotli and zstd whenever an answer names them:
// megabytes unpacked from a few kilobytes while the window waits.
bool namesPacking(std::string_view value) {
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        std::string_view coding = value.substr(0, comma);
        while (!coding.empty() && (coding.front() == ' ' || coding.front() == '\t')) {
            coding.remove_prefix(1);
        }
        while (!coding.empty() && (coding.back() == ' ' || coding.back() == '\t')) {
            coding.remove_suffix(1);
        }
        if (!coding.empty() && !sameIgnoringAsciiCase(coding, "chunked")) {
            return true;
        }
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
    return false;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    t.receivedBytes += n;
    std::string_view line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    if (line.substr(0, 5) == "HTTP/") {
        t.headers.clear();
        t.headersComplete = false;
        t.hasLocation = false;
        t.packed = false;
        t.statusCode = 0;
        if (line.size() >= 12) {
            for (char c : line.substr(9, 3)) {
                t.statusCode = c >= '0' && c <= '9' ? t.statusCode * 10 + (c - '0') : 0;
            }
        }
    } else if (line.empty()) {
        t.headersComplete = true;
    } else if (line.size() >= 9 && sameIgnoringAsciiCase(line.substr(0, 9), "location:")) {
        t.hasLocation = true;
    } else if (line.size() >= 18 &&
               sameIgnoringAsciiCase(line.substr(0, 18), "transfer-encoding:") &&
               namesPacking(line.substr(18))) {
        t.packed = true;
    }
    t.headers.append(line);
    t.headers.append(kCrLf);
    // A packed body is not read: the transfer ends here, with the whole header block kept.
    return t.headersComplete && t.packed ? 0 : n;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    if (t.passBudget == 0) {
        t.paused = true;
        return CURL_WRITEFUNC_PAUSE;  // curl keeps these bytes and hands them over again
    }
    t.passBudget -= std::min(n, t.passBudget);
    if (!t.bodyStarted) {
        // Room for the largest body at once: growing by copies would move up to 8 MiB between
        // two event passes. Pages the body does not reach are never touched.
        t.body.reserve(t.limit);
    }
    t.bodyStarted = true;
    t.receivedBytes += n;
    if (t.body.size() + n > t.limit) {
        t.body.append(data, t.limit - t.body.size());
        t.overLimit = true;
        return 0;  // ends the transfer with a write error
    }
    t.body.append(data, n);
    return n;
}

int onConnected(void* user, char*, char*, int, int) {
    ++static_cast<Transfer*>(user)->connections;
    return CURL_PREREQFUNC_OK;
}

// One request being set up and run.
struct Call {
    Call(const HttpParams& p, const HttpContext& c) : params(p), context(c) {}

    const HttpParams& params;
    const HttpContext& context;
    Target target;
    std::unique_ptr<CURLM, MultiDeleter> multi{curl_multi_init()};
    std::unique_ptr<CURL, EasyDeleter> handle{curl_easy_init()};
    std::unique_ptr<curl_slist, ListDeleter> headerList;
    Transfer transfer;
    long timeoutMs = kDefaultTimeoutMs;
    bool cancelled = false;

    CURL* easy() const { return handle.get(); }
    // Sets one option; false when curl refuses it.
    template <typename Value>
    bool set(CURLoption option, Value value) const {
        return curl_easy_setopt(handle.get(), option, value) == CURLE_OK;
    }
    // Lets events run, then asks whether the request is still wanted.
    void passEvents() {
        if (context.processEvents) {
            context.processEvents();
        }
        cancelled = cancelled || (context.cancelled && context.cancelled());
    }
};

// The client instance: HTTP/1.1 over http and https only, and a named proxy for this request or
// none at all (also none from the environment). A resolver thread still waiting for a name when
// the request ends is left to finish alone instead of being waited for.
HttpError openSession(Call& call) {
    const std::string proxy =
        call.params.proxy.empty() ? std::string() : "http://" + gbkToUtf8(call.params.proxy);
    const bool ok = call.multi && call.easy() && call.set(CURLOPT_NOSIGNAL, 1L) &&
                    call.set(CURLOPT_QUICK_EXIT, 1L) &&
                    call.set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) &&
                    call.set(CURLOPT_PROTOCOLS_STR, "http,https") &&
                    call.set(CURLOPT_PROXY, proxy.c_str());
    return ok ? kHttpOk : kHttpNoSession;
}

HttpError connectTo(Call& call) {
    return call.set(CURLOPT_URL, call.target.url.c_str()) ? kHttpOk : kHttpNoConnection;
}

// The verb (the body is sent with every verb but HEAD), the callbacks, and the certificate
// checks, which stay on also after a redirect from http to https.
HttpError openRequest(Call& call) {
    const int method = call.params.method;
    const Text& body = call.params.body;
    bool ok = call.set(CURLOPT_HEADERFUNCTION, onHeader) &&
              call.set(CURLOPT_HEADERDATA, &call.transfer) &&
              call.set(CURLOPT_WRITEFUNCTION, onBody) &&
              call.set(CURLOPT_WRITEDATA, &call.transfer) &&
              call.set(CURLOPT_PREREQFUNCTION, onConnected) &&
              call.set(CURLOPT_PREREQDATA, &call.transfer) &&
              call.set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (method == kHttpHead) {
        ok = ok && call.set(CURLOPT_NOBODY, 1L);
    } else if (method == kHttpPost || method == kHttpPut || !body.empty()) {
        ok = ok && call.set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) &&
             call.set(CURLOPT_POSTFIELDS, body.data());
        if (method == kHttpPut) {
            ok = ok && call.set(CURLOPT_CUSTOMREQUEST, "PUT");
        } else if (method != kHttpPost) {
            ok = ok && call.set(CURLOPT_CUSTOMREQUEST, "GET");
        }
    }
    ok = ok && call.set(CURLOPT_SSL_VERIFYPEER, 1L) && call.set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (!call.context.caFile.empty()) {
        ok = ok && call.set(CURLOPT_CAINFO, call.context.caFile.c_str());
    }
    return ok ? kHttpOk : kHttpNoRequest;
}

// Name lookup and connecting together get the time-out; the pauses of the transfer are watched
// by runTransfer. At most INT_MAX ms (24 days), which every platform's long holds.
HttpError setTimeouts(Call& call) {
    const int seconds = call.params.timeoutSeconds;
    call.timeoutMs =
        seconds <= 0 ? kDefaultTimeoutMs
                     : static_cast<long>(std::min<long long>(static_cast<long long>(seconds) * 1000,
                                                             std::numeric_limits<int>::max()));
    return call.set(CURLOPT_CONNECTTIMEOUT_MS, call.timeoutMs) ? kHttpOk : kHttpBadTimeouts;
}

HttpError setCredentials(Call& call) {
    const HttpParams& p = call.params;
    const std::string serverName = gbkToUtf8(p.serverUser);
    const std::string serverSecret = gbkToUtf8(p.serverPassword);
    if (!p.serverUser.empty() && !p.serverPassword.empty() &&
        !(call.set(CURLOPT_HTTPAUTH, CURLAUTH_BASIC) &&
          call.set(CURLOPT_USERNAME, serverName.c_str()) &&
          call.set(CURLOPT_PASSWORD, serverSecret.c_str()))) {
        return kHttpBadCredentials;
    }
    const std::string proxyName = gbkToUtf8(p.proxyUser);
    const std::string proxySecret = gbkToUtf8(p.proxyPassword);
    if (!p.proxyUser.empty() && !p.proxyPassword.empty() &&
        !(call.set(CURLOPT_PROXYAUTH, CURLAUTH_BASIC) &&
          call.set(CURLOPT_PROXYUSERNAME, proxyName.c_str()) &&
          call.set(CURLOPT_PROXYPASSWORD, proxySecret.c_str()))) {
        return kHttpBadCredentials;
    }
    return kHttpOk;
}

// Given cookies switch curl's cookie engine on, so that cookies set by a redirecting answer
// reach the next hop; otherwise it stays off and nothing is kept between answers.
HttpError setCookieHandling(Call& call) {
    return !call.params.sendCookies || call.set(CURLOPT_COOKIEFILE, "") ? kHttpOk
                                                                        : kHttpBadCookieOption;
}

// A request that starts on https stays on https: whoever sits on the path must not choose the
// answer by redirecting to plain http.
HttpError setRedirects(Call& call) {
    const bool ok =
        call.set(CURLOPT_FOLLOWLOCATION, call.params.noRedirect ? 0L : 1L) &&
        call.set(CURLOPT_MAXREDIRS, kMaxRedirects) &&
        call.set(CURLOPT_REDIR_PROTOCOLS_STR, call.target.secure ? "https" : "http,https");
    return ok ? kHttpOk : kHttpBadRedirectOption;
}

// The caller's lines, then the defaults they lack, searched anywhere in the text so far.
HttpError setHeaders(Call& call) {
    const HttpParams& p = call.params;
    Text lines(p.extraHeaders);
    if (!lines.empty()) {
        lines += kCrLf;
    }
    for (const DefaultHeader& header : kDefaultHeaders) {
        if (!contains(lines, header.searched, header.ignoreCase)) {
            lines += header.line;
        }
    }
    if (p.sendCookies && !p.sendCookies->empty() && !contains(lines, kCookieHeader, true)) {
        lines += kCookieHeader;
        lines += *p.sendCookies;
        lines += kCrLf;
    }
    bool ok = true;
    auto add = [&](const std::string& line) {
        curl_slist* grown = curl_slist_append(call.headerList.get(), line.c_str());
        if (!grown) {
            ok = false;
            return;
        }
        call.headerList.release();
        call.headerList.reset(grown);
    };
    for (const Text& line : splitText(lines, kCrLf)) {
        // A stray CR or LF inside a line would start a line of its own on the wire.
        if (!line.empty() && line.find_first_of(std::string_view("\r\n\0", 3)) == Text::npos) {
            add(gbkToUtf8(line));
        }
    }
    // No "Expect: 100-continue" round trip before a body.
    add("Expect:");
    return ok && call.set(CURLOPT_HTTPHEADER, call.headerList.get()) ? kHttpOk : kHttpBadHeaders;
}

// Runs the transfer to its end, passing events between waits of at most kEventInterval.
// Returns curl's result; CURLE_OPERATION_TIMEDOUT also when nothing moved (no connection made,
// no byte sent or received) for the time-out, which curl's own options cannot tell for a server
// that takes the connection and stays silent; CURLE_ABORTED_BY_CALLBACK when cancelled.
CURLcode runTransfer(Call& call) {
    using Clock = std::chrono::steady_clock;
    const std::chrono::milliseconds timeout(call.timeoutMs);
    CURLM* multi = call.multi.get();
    if (curl_multi_add_handle(multi, call.easy()) != CURLM_OK) {
        return CURLE_FAILED_INIT;
    }
    CURLcode result = CURLE_OK;
    std::size_t seen = 0;
    auto lastMove = Clock::now();
    while (true) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
        if (running == 0) {
            int left = 0;
            result = CURLE_RECV_ERROR;
            while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == call.easy()) {
                    result = message->data.result;
                }
            }
            break;
        }
        curl_off_t uploaded = 0;
        curl_easy_getinfo(call.easy(), CURLINFO_SIZE_UPLOAD_T, &uploaded);
        const std::size_t moved = call.transfer.connections + call.transfer.receivedBytes +
                                  static_cast<std::size_t>(std::max<curl_off_t>(0, uploaded));
        const auto now = Clock::now();
        if (moved != seen) {
            seen = moved;
            lastMove = now;
        } else if (now - lastMove >= timeout) {
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(timeout - (now - lastMove));
        const auto wait = std::clamp(left, std::chrono::milliseconds(1), kEventInterval);
        if (!call.transfer.paused) {
            curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
        }
        call.passEvents();
        if (call.cancelled) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        call.transfer.passBudget = kBodyBytesPerPass;
        if (call.transfer.paused) {
            call.transfer.paused = false;
            curl_easy_pause(call.easy(), CURLPAUSE_CONT);
        }
    }
    curl_multi_remove_handle(multi, call.easy());
    return result;
}

// Where the transfer stopped decides the failure: before a connection stood, the request was
// not sent; before the final answer's header block was whole, there was no answer; after it,
// the body could not be read. A redirect refused by the https-only rule leaves its own answer
// as the final one, as a browser shows it.
HttpError transferFailure(const Call& call, CURLcode result) {
    const Transfer& t = call.transfer;
    const bool redirect = t.statusCode / 100 == 3 && t.hasLocation && t.headersComplete;
    if (result == CURLE_OK || (result == CURLE_UNSUPPORTED_PROTOCOL && redirect)) {
        // An answer whose header block breaks off before its blank line is no answer.
        return t.headersComplete ? kHttpOk : kHttpNoResponse;
    }
    const bool following = !call.params.noRedirect && redirect;
    if (t.overLimit || t.bodyStarted || (t.headersComplete && t.packed) ||
        (t.headersComplete && t.statusCode / 100 != 1 && !following)) {
        return kHttpReadFailed;
    }
    return t.connections > 0 && result != CURLE_SEND_ERROR ? kHttpNoResponse : kHttpNotSent;
}

using SetUpStep = HttpError (*)(Call&);
constexpr SetUpStep kSetUpSteps[] = {openSession,    connectTo,         openRequest,  setTimeouts,
                                     setCredentials, setCookieHandling, setRedirects, setHeaders};

HttpResult failed(HttpError error, const HttpParams& params) {
    HttpResult result;
    result.receivedCookies = params.receivedCookies;
    result.error = error;
    result.status = errorText(error);
    return result;
}

HttpResult abandoned(const HttpParams& params) {
    HttpResult result;
    result.receivedCookies = params.receivedCookies;
    result.cancelled = true;
    return result;
}

}  // namespace

HttpResult HttpRequest(const HttpParams& params, const HttpContext& context) {
    if (!clientAvailable()) {
        return failed(kHttpNoClient, params);
    }
    Call call(params, context);
    call.transfer.limit = context.bodyLimit;
    std::optional<Target> target = requestTarget(params.url);
    if (!target) {
        return failed(kHttpBadUrl, params);
    }
    call.target = std::move(*target);
    for (SetUpStep step : kSetUpSteps) {
        if (const HttpError error = step(call); error != kHttpOk) {
            return failed(error, params);
        }
    }

    const CURLcode code = runTransfer(call);
    if (call.cancelled) {
        return abandoned(params);
    }
    const HttpError error = transferFailure(call, code);
    if ((error != kHttpOk && error != kHttpReadFailed) || call.transfer.headers.empty()) {
        return failed(error == kHttpOk ? kHttpNoResponse : error, params);
    }

    // The answer's bytes are the server's choice: read them beside the window's events.
    HeaderBlock block;
    HttpResult result;
    runBesideEvents(
        [&] {
            block = parseHeaderBlock(headerText(call.transfer.headers), params.receivedCookies);
            result.text = pageText(call.transfer.body);
        },
        context.processEvents ? [&call] { call.passEvents(); } : EventPass());
    result.receivedCookies = std::move(block.receivedCookies);
    result.responseHeaders = std::move(block.headers);
    result.location = std::move(block.location);
    result.error = error;
    // A failed body read keeps its error text: a cut-off body must not look complete.
    result.status = error == kHttpOk ? std::move(block.status) : errorText(error);
    result.bodyBytes = std::move(call.transfer.body);
    call.passEvents();
    if (call.cancelled) {
        return abandoned(params);
    }
    return result;
}

}  // namespace exambell
