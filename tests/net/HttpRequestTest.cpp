#include "net/HttpRequest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>

#include "net/Charset.h"
#include "net/HeaderBlock.h"
#include "tests/net/TestServer.h"
#include "tests/support/EventGaps.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

using test::TestServer;

const Text kSendFailed = utf8ToGbk("711 发送请求失败!");
const Text kNoResponse = utf8ToGbk("712 服务器未响应!");
const Text kReadFailed = utf8ToGbk("713 读取数据失败!");
const Text kBadUrl = utf8ToGbk("701 解析URL地址失败!");

// What the server saw of the last request.
struct Seen {
    std::mutex lock;
    std::string method;
    std::string body;
    httplib::Headers headers;
    std::string target;
};

using test::EventGaps;

class HttpRequestTest : public testing::Test {
  protected:
    void SetUp() override {
        // Recorded before the handler runs, so before the client has its answer.
        server.routes().set_pre_routing_handler(
            [this](const httplib::Request& request, httplib::Response&) {
                std::lock_guard<std::mutex> guard(seen.lock);
                seen.method = request.method;
                seen.body = request.body;
                seen.headers = request.headers;
                seen.target = request.target;
                return httplib::Server::HandlerResponse::Unhandled;
            });
        server.routes().Get("/text", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("plain text", "text/plain");
        });
        // The body is read after the pre-routing handler: the handlers record it.
        server.routes().Post("/text",
                             [this](const httplib::Request& request, httplib::Response& response) {
                                 recordBody(request);
                                 response.set_content("posted", "text/plain");
                             });
        server.routes().Put("/text",
                            [this](const httplib::Request& request, httplib::Response& response) {
                                recordBody(request);
                                response.set_content("put", "text/plain");
                            });
    }
    void recordBody(const httplib::Request& request) {
        std::lock_guard<std::mutex> guard(seen.lock);
        seen.body = request.body;
    }
    std::string url(const std::string& path) const { return server.base() + path; }
    std::string target() {
        std::lock_guard<std::mutex> guard(seen.lock);
        return seen.target;
    }
    std::string header(const std::string& name) {
        std::lock_guard<std::mutex> guard(seen.lock);
        auto found = seen.headers.find(name);
        return found == seen.headers.end() ? std::string("(none)") : found->second;
    }
    std::size_t headerCount(const std::string& name) {
        std::lock_guard<std::mutex> guard(seen.lock);
        return seen.headers.count(name);
    }

    // Declared before the server, so that they outlive the server's threads that use them.
    Seen seen;
    std::mutex gate;
    std::condition_variable gateChanged;
    bool gateOpen = false;
    TestServer server;
};

TEST_F(HttpRequestTest, MethodsByNumberAndBody) {
    server.start();
    HttpResult result = HttpRequest({.url = url("/text"), .method = 7});
    EXPECT_EQ(result.text, "plain text");
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(result.status, "200 OK");
    EXPECT_EQ(result.error, kHttpOk);
    // The largest time-out is no overflow.
    EXPECT_EQ(
        HttpRequest({.url = url("/text"), .timeoutSeconds = std::numeric_limits<int>::max()}).text,
        "plain text");

    EXPECT_EQ(HttpRequest({.url = url("/text"), .method = kHttpPost, .body = "a=1&b=%D6%D0"}).text,
              "posted");
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.body, "a=1&b=%D6%D0");

    EXPECT_EQ(HttpRequest({.url = url("/text"), .method = kHttpPut, .body = "raw\x01"}).text,
              "put");
    EXPECT_EQ(seen.method, "PUT");
    EXPECT_EQ(seen.body, "raw\x01");

    result = HttpRequest({.url = url("/text"), .method = kHttpHead});
    EXPECT_EQ(result.text, "");
    EXPECT_EQ(seen.method, "HEAD");
    EXPECT_EQ(result.responseHeaders.substr(0, 17), "HTTP/1.1 200 OK\r\n");
}

TEST_F(HttpRequestTest, AQueryWithoutAPathIsDropped) {
    server.routes().Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("plain text", "text/plain");
    });
    server.start();
    const std::string authority = "http://127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(HttpRequest({.url = authority + "?x=1"}).text, "plain text");
    EXPECT_EQ(target(), "/");
    EXPECT_EQ(HttpRequest({.url = authority + "/text?x=1"}).text, "plain text");
    EXPECT_EQ(target(), "/text?x=1");
}

TEST_F(HttpRequestTest, DefaultHeadersAndTheirCaseRules) {
    server.start();
    HttpRequest({.url = url("/text")});
    EXPECT_EQ(header("User-Agent"),
              "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)");
    EXPECT_EQ(header("Accept"), "text/html, application/xhtml+xml, */*");
    EXPECT_EQ(header("Accept-Encoding"), "gbk, GB2312");
    EXPECT_EQ(header("Accept-Language"), "zh-cn");
    EXPECT_EQ(header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(header("Cache-Control"), "no-cache");
    EXPECT_EQ(header("Cookie"), "(none)");

    // "user-agent: " is found ignoring case; "content-type:" is not the exact "Content-Type:".
    HttpRequest(
        {.url = url("/text"), .extraHeaders = "user-agent: ExamBell\r\ncontent-type: text/plain"});
    EXPECT_EQ(headerCount("User-Agent"), 1u);
    EXPECT_EQ(header("User-Agent"), "ExamBell");
    EXPECT_EQ(headerCount("Content-Type"), 2u);

    // Cookies to send become a Cookie line; an empty given text adds none.
    HttpRequest({.url = url("/text"), .sendCookies = "x=1; y=2"});
    EXPECT_EQ(header("Cookie"), "x=1; y=2");
    HttpRequest({.url = url("/text"), .sendCookies = ""});
    EXPECT_EQ(header("Cookie"), "(none)");
}

TEST_F(HttpRequestTest, SetCookieLinesAreCollected) {
    server.routes().Get("/cookies", [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Set-Cookie", "a=1; Path=/; HttpOnly");
        response.set_header("Set-Cookie", "b=2");
        response.set_content("ok", "text/plain");
    });
    server.routes().Get("/lower", [](const httplib::Request&, httplib::Response& response) {
        response.set_header("set-cookie", "  c=3  ; Path=/");
        response.set_content("ok", "text/plain");
    });
    server.routes().Get("/none", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("ok", "text/plain");
    });
    server.start();

    HttpResult result = HttpRequest({.url = url("/cookies")});
    EXPECT_EQ(result.text, "ok");
    EXPECT_EQ(result.receivedCookies, "a=1; b=2");
    EXPECT_NE(result.responseHeaders.find("Set-Cookie: a=1; Path=/; HttpOnly\r\n"), Text::npos);
    EXPECT_EQ(result.responseHeaders.substr(result.responseHeaders.size() - 4), "\r\n\r\n");

    // Appended to what the caller had; a lower-case header name is normalised first.
    result = HttpRequest({.url = url("/lower"), .receivedCookies = "old=0; "});
    EXPECT_EQ(result.receivedCookies, "old=0; c=3");
    EXPECT_NE(result.responseHeaders.find("Set-Cookie:   c=3  ; Path=/\r\n"), Text::npos);

    EXPECT_EQ(HttpRequest({.url = url("/none"), .receivedCookies = "kept"}).receivedCookies,
              "kept");
}

TEST(HeaderBlockTest, ManySetCookieLinesKeepEventsFlowing) {
    // 13,000 cookie lines in mixed case: every pair is collected, with event passes throughout.
    std::string block = "HTTP/1.1 200 OK\r\n";
    std::string normalised = block;
    std::string expected;
    for (int i = 0; i < 13000; ++i) {
        const std::string pair = "n" + std::to_string(i) + "=" + std::to_string(i);
        block += (i % 2 ? "set-COOKIE: " : "Set-Cookie: ") + pair + "; Path=/\r\n";
        normalised += "Set-Cookie: " + pair + "; Path=/\r\n";
        expected += (i ? "; " : "") + pair;
    }
    block += "Location: /next\r\n\r\n";
    normalised += "Location: /next\r\n\r\n";
    EventGaps gaps;
    const HeaderBlock parsed = parseHeaderBlock(block, "", [&] { gaps.pass(); });
    EXPECT_LT(gaps.longestCpu(), EventGaps::kMostCpu);
    EXPECT_LT(gaps.longestWall(), EventGaps::kMostWall);
    EXPECT_EQ(parsed.headers, normalised);
    EXPECT_EQ(parsed.status, "200 OK");
    EXPECT_EQ(parsed.receivedCookies, expected);
    EXPECT_EQ(parsed.location, "/next");

    // A GBK character whose trail byte is "s" (0x73) starts no "set-cookie" to normalise.
    EXPECT_EQ(parseHeaderBlock("HTTP/1.1 200 OK\r\nSet-Cookie: \xB0set-cookie=1\r\n\r\n", "x")
                  .receivedCookies,
              "x\xB0set-cookie=1");
}

TEST_F(HttpRequestTest, RedirectsFollowedOrReported) {
    server.routes().Get("/old", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/text");
    });
    server.start();

    HttpResult result = HttpRequest({.url = url("/old"), .noRedirect = true});
    EXPECT_EQ(result.location, "/text");
    EXPECT_EQ(result.status, "302 Found");

    result = HttpRequest({.url = url("/old")});
    EXPECT_EQ(result.text, "plain text");
    EXPECT_EQ(result.status, "200 OK");
    EXPECT_EQ(result.location, "");
    // Only the final answer's header block.
    EXPECT_EQ(result.responseHeaders.substr(0, 17), "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(result.responseHeaders.find("302"), Text::npos);
}

TEST_F(HttpRequestTest, DeclaredCharacterSetIsDecodedToGbk) {
    const std::string utf8Page =
        "<html><head><META http-equiv=\"Content-Type\" "
        "content=\"text/html; charset=utf-8\"></head><body>"
        "考铃</body></html>";
    const std::string gbkPage = "<meta charset=\"gbk\">" + utf8ToGbk("考铃") + "\x80";
    const std::string gb2312Page = "<meta charset=gb2312>" + utf8ToGbk("考铃");
    const std::string bareBytes = "no declaration \xEF\xBB\xBF\xD6\xD0";
    const std::string lateMeta = std::string(1030, ' ') + "<meta charset=utf-8>考铃";
    const std::string unknown = "<meta charset=x-made-up>\xD6\xD0";
    for (const auto& [path, content] :
         {std::pair{"/utf8", utf8Page}, std::pair{"/gbk", gbkPage},
          std::pair{"/gb2312", gb2312Page}, std::pair{"/bare", bareBytes},
          std::pair{"/late", lateMeta}, std::pair{"/unknown", unknown}}) {
        const std::string body = content;
        server.routes().Get(path, [body](const httplib::Request&, httplib::Response& response) {
            response.set_content(body, "text/html");
        });
    }
    server.start();

    std::string bytes;
    auto get = [&](const std::string& path) {
        HttpResult result = HttpRequest({.url = url(path)});
        bytes = result.bodyBytes;
        return result.text;
    };
    EXPECT_EQ(get("/utf8"), utf8ToGbk(utf8Page));
    EXPECT_EQ(bytes, utf8Page);
    EXPECT_EQ(get("/gbk"), gbkPage);
    EXPECT_EQ(get("/gb2312"), gb2312Page);
    EXPECT_EQ(get("/bare"), bareBytes);
    EXPECT_EQ(get("/late"), lateMeta);
    EXPECT_EQ(get("/unknown"), unknown);
}

TEST_F(HttpRequestTest, PageOfInvalidBytesKeepsEventsFlowing) {
    // A page that declares UTF-8 and then fills the body limit with bytes that are no UTF-8.
    const std::string declaration = "<meta charset=utf-8>";
    const std::string page = declaration + std::string(kHttpBodyLimit - declaration.size(), '\xFF');
    server.routes().Get("/hostile", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(page, "text/html");
    });
    server.start();
    EventGaps gaps;
    HttpContext context;
    context.processEvents = [&] { gaps.pass(); };
    const HttpResult result = HttpRequest({.url = url("/hostile")}, context);
    EXPECT_LT(gaps.longestCpu(), EventGaps::kMostCpu);
    EXPECT_LT(gaps.longestWall(), EventGaps::kMostWall);
    EXPECT_EQ(result.status, "200 OK");
    EXPECT_EQ(result.text, declaration + std::string(page.size() - declaration.size(), '?'));
}

TEST_F(HttpRequestTest, BodyWithNulIsTextUpToIt) {
    const std::string body("before\0after", 12);
    server.routes().Get("/nul", [body](const httplib::Request&, httplib::Response& response) {
        response.set_content(body, "application/octet-stream");
    });
    server.start();
    const HttpResult result = HttpRequest({.url = url("/nul")});
    EXPECT_EQ(result.text, "before");
    EXPECT_EQ(result.bodyBytes, body);
}

TEST_F(HttpRequestTest, BasicCredentialsForTheServer) {
    server.routes().Get(
        "/private", [](const httplib::Request& request, httplib::Response& response) {
            if (request.get_header_value("Authorization") == "Basic dXNlcjpwdw==") {  // user:pw
                response.set_content("welcome", "text/plain");
            } else {
                response.status = 401;
                response.set_content("who are you", "text/plain");
            }
        });
    server.start();
    HttpResult result =
        HttpRequest({.url = url("/private"), .serverUser = "user", .serverPassword = "pw"});
    EXPECT_EQ(result.text, "welcome");
    EXPECT_EQ(result.status, "200 OK");
    // An error status is no failure: its body comes back. A user without password sends nothing.
    result = HttpRequest({.url = url("/private"), .serverUser = "user"});
    EXPECT_EQ(result.text, "who are you");
    EXPECT_EQ(result.status, "401 Unauthorized");
    EXPECT_EQ(result.error, kHttpOk);
}

TEST_F(HttpRequestTest, ProxyGetsTheWholeAddressAndItsCredentials) {
    // The test server stands in for the proxy: it sees the absolute address as the target.
    server.routes().Get(".*", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(request.target + " " + request.get_header_value("Proxy-Authorization"),
                             "text/plain");
    });
    server.start();
    EXPECT_EQ(HttpRequest({.url = "http://exambell.invalid/file.txt",
                           .proxy = "127.0.0.1:" + std::to_string(server.port()),
                           .proxyUser = "user",
                           .proxyPassword = "pw"})
                  .text,
              "http://exambell.invalid/file.txt Basic dXNlcjpwdw==");
}

TEST_F(HttpRequestTest, UnreachableAndSilentServers) {
    HttpResult result =
        HttpRequest({.url = "http://127.0.0.1:" + std::to_string(test::closedPort()) + "/",
                     .timeoutSeconds = 1});
    EXPECT_EQ(result.text, "");
    EXPECT_EQ(result.status, kSendFailed);
    EXPECT_EQ(result.error, kHttpNotSent);
    EXPECT_EQ(result.responseHeaders, "");
    EXPECT_EQ(result.bodyBytes, "");

    test::SilentServer silent;
    int events = 0;
    HttpContext context;
    context.processEvents = [&] { ++events; };
    result = HttpRequest(
        {.url = "http://127.0.0.1:" + std::to_string(silent.port()) + "/", .timeoutSeconds = 1},
        context);
    EXPECT_EQ(result.text, "");
    EXPECT_EQ(result.status, kNoResponse);
    // The waiting went on in short steps with events in between.
    EXPECT_GT(events, 1);
}

TEST_F(HttpRequestTest, CancelledRequestEndsAtOnce) {
    test::SilentServer silent;
    int events = 0;
    HttpContext context;
    context.processEvents = [&] { ++events; };
    context.cancelled = [&] { return events >= 3; };
    const HttpResult result = HttpRequest(
        {.url = "http://127.0.0.1:" + std::to_string(silent.port()) + "/", .timeoutSeconds = 20},
        context);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(events, 3);
    EXPECT_EQ(result.text, "");
    EXPECT_EQ(result.status, "");
}

TEST_F(HttpRequestTest, HeaderBlockCutBeforeItsBlankLineIsNoAnswer) {
    for (const char* answer : {"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n",
                               "HTTP/1.1 200 OK\r\nContent-Type: text/pl", "HTTP/1.1 200 OK"}) {
        test::RawServer raw(answer);
        const HttpResult result = HttpRequest({.url = raw.base() + "/", .timeoutSeconds = 5});
        EXPECT_EQ(result.status, kNoResponse) << answer;
        EXPECT_EQ(result.error, kHttpNoResponse) << answer;
        EXPECT_EQ(result.text, "") << answer;
    }
    // The same answer with its blank line is a good one.
    test::RawServer whole("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\nbody");
    const HttpResult result = HttpRequest({.url = whole.base() + "/", .timeoutSeconds = 5});
    EXPECT_EQ(result.status, "200 OK");
    EXPECT_EQ(result.text, "body");
}

TEST_F(HttpRequestTest, OnlyChunkedTransferCodingIsRead) {
    // "packed text" gzipped, sent as one chunk. curl would unpack it unasked; the program asks
    // for no coding, so an answer packed this way is refused before its body is read.
    using namespace std::string_literals;
    const std::string gzipped =
        "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\x2b\x48\x4c\xce\x4e\x4d\x51\x28\x49\xad"
        "\x28\x01\x00\x0c\xf4\x0a\xd2\x0b\x00\x00\x00"s;
    const std::string chunk = "1f\r\n" + gzipped + "\r\n0\r\n\r\n";
    for (const char* coding : {"gzip, chunked", "GZIP,chunked", "x-gzip, chunked",
                               "deflate, chunked", "zstd, chunked", "br, chunked"}) {
        test::RawServer raw("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: "s +
                            coding + "\r\n\r\n" + chunk);
        const HttpResult result = HttpRequest({.url = raw.base() + "/", .timeoutSeconds = 5});
        EXPECT_EQ(result.text, "") << coding;
        EXPECT_TRUE(result.bodyBytes.empty()) << coding;
        EXPECT_EQ(result.status, kReadFailed) << coding;
        EXPECT_EQ(result.error, kHttpReadFailed) << coding;
        EXPECT_NE(result.responseHeaders.find("Transfer-Encoding: "s + coding), Text::npos)
            << coding;
    }
    // Chunked alone, in any case and spacing, is read as before.
    for (const char* coding : {"chunked", "Chunked", " chunked "}) {
        test::RawServer raw("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding:"s +
                            coding + "\r\n\r\n5\r\nplain\r\n0\r\n\r\n");
        const HttpResult result = HttpRequest({.url = raw.base() + "/", .timeoutSeconds = 5});
        EXPECT_EQ(result.status, "200 OK") << coding;
        EXPECT_EQ(result.text, "plain") << coding;
    }
}

TEST_F(HttpRequestTest, BadAddresses) {
    for (const char* address : {"", "127.0.0.1/text", "ftp://127.0.0.1/", "file:///etc/passwd",
                                "http://", "http://host/a\r\nX-Injected: 1"}) {
        const HttpResult result = HttpRequest({.url = address});
        EXPECT_EQ(result.text, "") << address;
        EXPECT_EQ(result.status, kBadUrl) << address;
        EXPECT_EQ(result.error, kHttpBadUrl) << address;
    }
}

TEST_F(HttpRequestTest, EventsKeepRunningDuringASlowAnswer) {
    // The answer is held back until the caller's event callback has run 30 times.
    int events = 0;
    server.routes().Get("/slow", [&](const httplib::Request&, httplib::Response& response) {
        std::unique_lock<std::mutex> guard(gate);
        gateChanged.wait_for(guard, std::chrono::seconds(20), [&] { return events >= 30; });
        response.set_content(events >= 30 ? "late" : "gave up", "text/plain");
    });
    server.start();
    HttpContext context;
    context.processEvents = [&] {
        std::lock_guard<std::mutex> guard(gate);
        ++events;
        gateChanged.notify_all();
    };
    EXPECT_EQ(HttpRequest({.url = url("/slow")}, context).text, "late");
}

TEST_F(HttpRequestTest, BodyPastTheLimitStopsTheRead) {
    server.routes().Get("/big", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(200000, 'x'), "text/plain");
    });
    server.start();
    HttpContext context;
    context.bodyLimit = 1000;
    const HttpResult result = HttpRequest({.url = url("/big")}, context);
    EXPECT_EQ(result.text, std::string(1000, 'x'));
    EXPECT_EQ(result.status, kReadFailed);
    EXPECT_EQ(result.error, kHttpReadFailed);
    EXPECT_EQ(result.bodyBytes.size(), 1000u);
    EXPECT_EQ(result.responseHeaders.substr(0, 17), "HTTP/1.1 200 OK\r\n");
}

TEST_F(HttpRequestTest, BodyThatStallsKeepsWhatArrived) {
    // Headers and the first bytes come at once; the rest never does (until the test ends).
    server.routes().Get("/stall", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            1000, "text/plain", [&](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset == 0) {
                    sink.write("partial", 7);
                    return true;
                }
                std::unique_lock<std::mutex> guard(gate);
                gateChanged.wait_for(guard, std::chrono::seconds(20), [&] { return gateOpen; });
                return false;
            });
    });
    server.start();
    const HttpResult result = HttpRequest({.url = url("/stall"), .timeoutSeconds = 1});
    EXPECT_EQ(result.text, "partial");
    EXPECT_EQ(result.status, kReadFailed);
    EXPECT_NE(result.responseHeaders.find("Content-Length: 1000\r\n"), Text::npos);
    {
        std::lock_guard<std::mutex> guard(gate);
        gateOpen = true;
    }
    gateChanged.notify_all();
}

TEST(HttpsRequestTest, CertificateIsVerified) {
    test::TempFolder folder;
    TestServer server(folder.path());
    server.routes().Get("/url_clock.txt", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("https://example.com/", "text/plain");
    });
    server.start();
    HttpContext trusted;
    trusted.caFile = server.certificate();
    HttpResult result = HttpRequest({.url = server.base() + "/url_clock.txt"}, trusted);
    EXPECT_EQ(result.text, "https://example.com/");
    EXPECT_EQ(result.status, "200 OK");

    // The system's authorities do not know the test certificate.
    result = HttpRequest({.url = server.base() + "/url_clock.txt"});
    EXPECT_EQ(result.text, "");
    EXPECT_EQ(result.status, kSendFailed);
}

TEST(HttpsRequestTest, RedirectsToPlainHttpAreNotFollowed) {
    TestServer plain;
    plain.routes().Get("/page", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("http://attacker.example/", "text/plain");
    });
    plain.start();
    test::TempFolder folder;
    TestServer secure(folder.path());
    const std::string away = plain.base() + "/page";
    secure.routes().Get(
        "/url_clock.txt",
        [&](const httplib::Request&, httplib::Response& response) { response.set_redirect(away); });
    secure.routes().Get("/moved", [&](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/url_clock.txt");
    });
    secure.start();
    HttpContext trusted;
    trusted.caFile = secure.certificate();

    // The redirect's own answer is the final one.
    HttpResult result = HttpRequest({.url = secure.base() + "/url_clock.txt"}, trusted);
    EXPECT_EQ(result.status, "302 Found");
    EXPECT_EQ(result.location, away);
    EXPECT_EQ(result.text, "");
    // Also after a first redirect within https.
    result = HttpRequest({.url = secure.base() + "/moved"}, trusted);
    EXPECT_EQ(result.status, "302 Found");
    EXPECT_EQ(result.location, away);
    // A request that starts on http may still go on to http.
    EXPECT_EQ(HttpRequest({.url = away}).text, "http://attacker.example/");
}

TEST(CharsetTest, DecodeToGbk) {
    EXPECT_EQ(decodeToGbk("\xEF\xBB\xBF\xE8\x80\x83", "UTF-8"), utf8ToGbk("考"));
    EXPECT_EQ(decodeToGbk("a\xFF"
                          "b",
                          "utf-8"),
              "a?b");
    EXPECT_EQ(decodeToGbk("\xB8\xD5", "big5"), utf8ToGbk("試"));
    EXPECT_EQ(decodeToGbk("caf\xE9\xFE", "iso-8859-1"), "caf\xA8\xA6?");  // café and a thorn
    EXPECT_EQ(decodeToGbk("\xD6\xD0", "GB2312"), "\xD6\xD0");
    EXPECT_EQ(decodeToGbk("x", "no-such-set"), std::nullopt);
    EXPECT_EQ(declaredCharset("<META name=x CHARSET='Big5'>"), "Big5");
    EXPECT_EQ(declaredCharset("<p>charset=utf-8</p>"), "");
}

}  // namespace
}  // namespace exambell
