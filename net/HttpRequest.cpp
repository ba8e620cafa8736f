#include "net/HttpRequest.h"

#include <curl/curl.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <memory>
#include <vector>

#include "text/Encoding.h"
#include "text/RegexObject.h"

namespace exambell {
namespace {

// Status texts of the failures, by the step that raises them.
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

// The character set an HTML page declares for itself, looked for in its first bytes.
const Text kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
constexpr std::size_t kCharsetWindow = 1024;

constexpr std::string_view kSetCookie = "Set-Cookie";
constexpr std::string_view kSetCookieColon = "Set-Cookie:";
constexpr std::string_view kLocation = "Location: ";
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kWideBlank = "\xA1\xA1";  // GBK full-width space

constexpr int kDefaultTimeoutMs = 30000;
// The longest single network wait before pending events are processed again.
constexpr std::chrono::milliseconds kEventInterval{10};
// Redirects followed at most, as browsers do.
constexpr long kMaxRedirects = 10;

bool asciiEqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

bool contains(std::string_view text, std::string_view sought, bool ignoreCase = false) {
    return findText(text, sought, 1, ignoreCase) > 0;
}

// Every occurrence of `sought` (ASCII, any letter case) at a character start replaced by `with`.
Text replaceIgnoringCase(std::string_view text, std::string_view sought, std::string_view with) {
    Text out;
    int from = 1;
    for (int at = findText(text, sought, from, true); at > 0;
         at = findText(text, sought, from, true)) {
        out.append(
            text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(at - from)));
        out.append(with);
        from = at + static_cast<int>(sought.size());
    }
    out.append(text.substr(static_cast<std::size_t>(from - 1)));
    return out;
}

// The text without leading and trailing ASCII spaces and GBK full-width spaces.
Text trimBlanks(std::string_view text) {
    const Text rest = deleteLeadingBlanks(text);
    // Walk whole characters, so that an A1 A1 pair is a blank only where it is one character.
    std::size_t end = 0;
    for (std::size_t i = 0; i < rest.size();) {
        const bool pair = isGbkLeadByte(static_cast<unsigned char>(rest[i])) && i + 1 < rest.size();
        const std::size_t width = pair ? 2 : 1;
        const std::string_view character = std::string_view(rest).substr(i, width);
        i += width;
        if (character != " " && character != kWideBlank) {
            end = i;
        }
    }
    return rest.substr(0, end);
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

// The URL in the form curl wants: UTF-8 with every byte outside ASCII and every blank
// percent-escaped. nullopt when the text holds control characters.
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
    return out;
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
    // Counts of events that show the transfer moving, for the stall check.
    std::size_t connections = 0;
    std::size_t receivedBytes = 0;
};

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
        t.statusCode = 0;
        if (line.size() >= 12) {
            for (char c : line.substr(9, 3)) {
                t.statusCode = c >= '0' && c <= '9' ? t.statusCode * 10 + (c - '0') : 0;
            }
        }
    } else if (line.empty()) {
        t.headersComplete = true;
    } else if (line.size() >= 9 && asciiEqualIgnoringCase(line.substr(0, 9), "location:")) {
        t.hasLocation = true;
    }
    t.headers.append(line);
    t.headers.append(kCrLf);
    return n;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    const std::size_t n = size * count;
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

// Sets one option; false when curl refuses it.
template <typename Value>
bool set(CURL* easy, CURLoption option, Value value) {
    return curl_easy_setopt(easy, option, value) == CURLE_OK;
}

// Runs the transfer to its end, processing events between waits of at most kEventInterval.
// Returns curl's result; CURLE_OPERATION_TIMEDOUT also when nothing moved (no connection made,
// no byte sent or received) for `timeout`, which curl's own options cannot tell for a server
// that takes the connection and stays silent.
CURLcode runTransfer(CURLM* multi, CURL* easy, Transfer& t, std::chrono::milliseconds timeout,
                     const std::function<void()>& processEvents) {
    using Clock = std::chrono::steady_clock;
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
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
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                    result = message->data.result;
                }
            }
            break;
        }
        curl_off_t uploaded = 0;
        curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &uploaded);
        const std::size_t moved = t.connections + t.receivedBytes +
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
        curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
        if (processEvents) {
            processEvents();
        }
    }
    curl_multi_remove_handle(multi, easy);
    return result;
}

}  // namespace

std::optional<Text> decodeToGbk(std::string_view bytes, std::string_view charset) {
    if (asciiEqualIgnoringCase(charset, "gbk") || asciiEqualIgnoringCase(charset, "gb2312") ||
        asciiEqualIgnoringCase(charset, "cp936")) {
        // glibc's GB2312 table fails on texts ending in a double-byte character; GBK is a superset.
        return Text(bytes);
    }
    const std::string name(charset);
    iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::u16string text;
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char16_t buffer[2048];
    while (inLeft > 0) {
        char* out = reinterpret_cast<char*>(buffer);
        std::size_t outLeft = sizeof buffer;
        std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        text.append(buffer, static_cast<std::size_t>(out - reinterpret_cast<char*>(buffer)) / 2);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or incomplete sequence: one replacement per bad byte, then go on.
            text += u'\uFFFD';
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    if (!text.empty() && text.front() == u'\uFEFF') {
        text.erase(0, 1);  // a byte-order mark is no part of the text
    }
    return utf16ToGbk(text);
}

Text HttpRequest(std::string_view url, int method, std::string_view body,
                 std::optional<std::string_view> sendCookies, Text* receivedCookies,
                 std::string_view extraHeaders, Text* responseHeaders, bool noRedirect,
                 std::string_view serverUser, std::string_view serverPassword,
                 std::string_view proxy, std::string_view proxyUser, std::string_view proxyPassword,
                 int timeoutSeconds, Text* location, Text* status, std::string* bodyBytes,
                 const HttpContext& context) {
    Text ignored;
    Text& statusText = status ? *status : ignored;
    statusText.clear();
    if (responseHeaders) {
        responseHeaders->clear();
    }
    if (location) {
        location->clear();
    }
    if (bodyBytes) {
        bodyBytes->clear();
    }
    auto processEvents = [&] {
        if (context.processEvents) {
            context.processEvents();
        }
    };

    if (!clientAvailable()) {
        statusText = kErrorNoClient;
        return Text();
    }

    // The address: only http and https, with a host; credentials in it are not used.
    std::unique_ptr<CURLU, UrlDeleter> address(curl_url());
    std::optional<std::string> escaped = escapedUrl(url);
    if (!address || !escaped ||
        curl_url_set(address.get(), CURLUPART_URL, escaped->c_str(), 0) != CURLUE_OK) {
        statusText = kErrorBadUrl;
        return Text();
    }
    char* scheme = nullptr;
    bool knownScheme = false;
    if (curl_url_get(address.get(), CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK) {
        knownScheme = std::string_view(scheme) == "https" || std::string_view(scheme) == "http";
        curl_free(scheme);
    }
    char* host = nullptr;
    bool hasHost = curl_url_get(address.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK;
    if (host) {
        hasHost = hasHost && *host != '\0';
        curl_free(host);
    }
    if (!knownScheme || !hasHost) {
        statusText = kErrorBadUrl;
        return Text();
    }
    curl_url_set(address.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(address.get(), CURLUPART_PASSWORD, nullptr, 0);
    char* whole = nullptr;
    std::string target;
    if (curl_url_get(address.get(), CURLUPART_URL, &whole, 0) == CURLUE_OK) {
        target = whole;
        curl_free(whole);
    }

    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    CURL* easy = handle.get();
    Transfer transfer;
    transfer.limit = context.bodyLimit;
    if (!multi || !easy || !set(easy, CURLOPT_NOSIGNAL, 1L) ||
        !set(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) ||
        !set(easy, CURLOPT_PROTOCOLS_STR, "http,https") ||
        !set(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https")) {
        statusText = kErrorSession;
        return Text();
    }
    // A named proxy for this request, or none at all (also none from the environment).
    const std::string proxyAddress = proxy.empty() ? std::string() : "http://" + gbkToUtf8(proxy);
    if (!set(easy, CURLOPT_PROXY, proxyAddress.c_str())) {
        statusText = kErrorSession;
        return Text();
    }
    if (target.empty() || !set(easy, CURLOPT_URL, target.c_str())) {
        statusText = kErrorConnection;
        return Text();
    }

    // The verb; the body is sent with every verb but HEAD.
    const bool head = method == kHttpHead;
    bool requestSet =
        set(easy, CURLOPT_HEADERFUNCTION, onHeader) && set(easy, CURLOPT_HEADERDATA, &transfer) &&
        set(easy, CURLOPT_WRITEFUNCTION, onBody) && set(easy, CURLOPT_WRITEDATA, &transfer) &&
        set(easy, CURLOPT_PREREQFUNCTION, onConnected) &&
        set(easy, CURLOPT_PREREQDATA, &transfer) && set(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (head) {
        requestSet = requestSet && set(easy, CURLOPT_NOBODY, 1L);
    } else if (method == kHttpPost || method == kHttpPut || !body.empty()) {
        requestSet = requestSet &&
                     set(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) &&
                     set(easy, CURLOPT_POSTFIELDS, body.empty() ? "" : body.data());
        if (method == kHttpPut) {
            requestSet = requestSet && set(easy, CURLOPT_CUSTOMREQUEST, "PUT");
        } else if (method != kHttpPost) {
            requestSet = requestSet && set(easy, CURLOPT_CUSTOMREQUEST, "GET");
        }
    }
    // Certificates are always verified, also after a redirect from http to https.
    requestSet = requestSet && set(easy, CURLOPT_SSL_VERIFYPEER, 1L) &&
                 set(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!context.caFile.empty()) {
        requestSet = requestSet && set(easy, CURLOPT_CAINFO, context.caFile.c_str());
    }
    if (!requestSet) {
        statusText = kErrorRequest;
        return Text();
    }

    // At most INT_MAX ms (24 days), which every platform's long holds.
    const long timeoutMs =
        timeoutSeconds <= 0
            ? kDefaultTimeoutMs
            : static_cast<long>(std::min<long long>(static_cast<long long>(timeoutSeconds) * 1000,
                                                    std::numeric_limits<int>::max()));
    if (!set(easy, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs)) {
        statusText = kErrorTimeouts;
        return Text();
    }

    const std::string serverName = gbkToUtf8(serverUser);
    const std::string serverSecret = gbkToUtf8(serverPassword);
    if (!serverUser.empty() && !serverPassword.empty() &&
        !(set(easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC) &&
          set(easy, CURLOPT_USERNAME, serverName.c_str()) &&
          set(easy, CURLOPT_PASSWORD, serverSecret.c_str()))) {
        statusText = kErrorCredentials;
        return Text();
    }
    const std::string proxyName = gbkToUtf8(proxyUser);
    const std::string proxySecret = gbkToUtf8(proxyPassword);
    if (!proxyUser.empty() && !proxyPassword.empty() &&
        !(set(easy, CURLOPT_PROXYAUTH, CURLAUTH_BASIC) &&
          set(easy, CURLOPT_PROXYUSERNAME, proxyName.c_str()) &&
          set(easy, CURLOPT_PROXYPASSWORD, proxySecret.c_str()))) {
        statusText = kErrorCredentials;
        return Text();
    }
    // Given cookies switch curl's cookie engine on, so that cookies set by a redirecting answer
    // reach the next hop; otherwise it stays off and nothing is kept between answers.
    if (sendCookies && !set(easy, CURLOPT_COOKIEFILE, "")) {
        statusText = kErrorCookies;
        return Text();
    }
    if (!set(easy, CURLOPT_FOLLOWLOCATION, noRedirect ? 0L : 1L) ||
        !set(easy, CURLOPT_MAXREDIRS, kMaxRedirects)) {
        statusText = kErrorRedirects;
        return Text();
    }

    // The caller's lines, then the defaults they lack, searched anywhere in the text so far.
    Text headerLines(extraHeaders);
    if (!headerLines.empty()) {
        headerLines += kCrLf;
    }
    for (const DefaultHeader& header : kDefaultHeaders) {
        if (!contains(headerLines, header.searched, header.ignoreCase)) {
            headerLines += header.line;
        }
    }
    if (sendCookies && !sendCookies->empty() && !contains(headerLines, kCookieHeader, true)) {
        headerLines += kCookieHeader;
        headerLines += *sendCookies;
        headerLines += kCrLf;
    }
    std::unique_ptr<curl_slist, ListDeleter> headerList;
    bool headersSet = true;
    auto addHeader = [&](const std::string& line) {
        curl_slist* grown = curl_slist_append(headerList.get(), line.c_str());
        if (!grown) {
            headersSet = false;
            return;
        }
        headerList.release();
        headerList.reset(grown);
    };
    for (const Text& line : splitText(headerLines, kCrLf)) {
        // A stray CR or LF inside a line would start a line of its own on the wire.
        if (!line.empty() && line.find_first_of(std::string_view("\r\n\0", 3)) == Text::npos) {
            addHeader(gbkToUtf8(line));
        }
    }
    // No "Expect: 100-continue" round trip before a body.
    addHeader("Expect:");
    if (!headersSet || !set(easy, CURLOPT_HTTPHEADER, headerList.get())) {
        statusText = kErrorHeaders;
        return Text();
    }

    const CURLcode result = runTransfer(
        multi.get(), easy, transfer, std::chrono::milliseconds(timeoutMs), context.processEvents);
    if (result != CURLE_OK) {
        // Where the transfer stopped decides the text: before a connection stood, the request
        // was not sent; before the final answer's header block was whole, there was no answer;
        // after it, the body could not be read.
        const bool redirecting =
            !noRedirect && transfer.statusCode / 100 == 3 && transfer.hasLocation;
        const bool inBody =
            transfer.overLimit || transfer.bodyStarted ||
            (transfer.headersComplete && transfer.statusCode / 100 != 1 && !redirecting);
        if (inBody) {
            statusText = kErrorRead;
        } else if (transfer.connections > 0 && result != CURLE_SEND_ERROR) {
            statusText = kErrorNoResponse;
            return Text();
        } else {
            statusText = kErrorSend;
            return Text();
        }
    }
    if (transfer.headers.empty()) {
        return Text();
    }

    const Text block = headerText(transfer.headers);
    // A failed body read keeps its error text: a truncated body must not look complete.
    if (statusText.empty() && block.size() > 9) {
        const std::size_t end = block.find(kCrLf, 9);
        statusText = block.substr(9, end == Text::npos ? Text::npos : end - 9);
    }
    const Text headers = replaceIgnoringCase(block, kSetCookie, kSetCookie);
    if (responseHeaders) {
        *responseHeaders = headers;
    }
    bool anyCookie = false;
    for (const Text& line : splitText(headers, kCrLf)) {
        if (receivedCookies && contains(line, kSetCookie)) {
            const int at = findText(line, kSetCookieColon);
            std::optional<Text> cookie;
            if (line.find(';') == Text::npos) {
                cookie = replaceIgnoringCase(line, kSetCookieColon, "");
            } else if (at > 0) {
                const std::size_t from = static_cast<std::size_t>(at) - 1 + kSetCookieColon.size();
                const std::size_t semicolon = line.find(';', from);
                cookie = line.substr(from, semicolon == Text::npos ? Text::npos : semicolon - from);
            }
            if (cookie) {
                *receivedCookies += trimBlanks(*cookie);
                *receivedCookies += "; ";
                anyCookie = true;
            }
        }
        if (location && line.size() >= kLocation.size() &&
            asciiEqualIgnoringCase(std::string_view(line).substr(0, kLocation.size()), kLocation)) {
            *location = line.substr(kLocation.size());
        }
        processEvents();
    }
    if (anyCookie) {
        receivedCookies->resize(receivedCookies->size() - 2);
    }

    Text text = transfer.body.substr(0, transfer.body.find('\0'));
    RegexObject charsetFinder;
    Text charset;
    if (charsetFinder.execute(kCharsetPattern, std::string_view(text).substr(0, kCharsetWindow))) {
        charset = charsetFinder.submatchText(1, 1);
    }
    if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
        if (std::optional<Text> decoded = decodeToGbk(transfer.body, charset)) {
            text = decoded->substr(0, decoded->find('\0'));
        }
    }
    if (bodyBytes) {
        *bodyBytes = std::move(transfer.body);
    }
    processEvents();
    return text;
}

}  // namespace exambell
