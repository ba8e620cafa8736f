#include "net/HttpRequest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>

#include "tests/net/TestServer.h"
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
};

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
    Text status;
    EXPECT_EQ(HttpRequest(url("/text"), 7, {}, std::nullopt, nullptr, {}, nullptr, false, {}, {},
                          {}, {}, {}, 0, nullptr, &status),
              "plain text");
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(status, "200 OK");
    // The largest time-out is no overflow.
    EXPECT_EQ(HttpRequest(url("/text"), kHttpGet, {}, std::nullopt, nullptr, {}, nullptr, false, {},
                          {}, {}, {}, {}, std::numeric_limits<int>::max()),
              "plain text");

    EXPECT_EQ(HttpRequest(url("/text"), kHttpPost, "a=1&b=%D6%D0"), "posted");
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.body, "a=1&b=%D6%D0");

    EXPECT_EQ(HttpRequest(url("/text"), kHttpPut, "raw\x01"), "put");
    EXPECT_EQ(seen.method, "PUT");
    EXPECT_EQ(seen.body, "raw\x01");

    Text headers;
    EXPECT_EQ(HttpRequest(url("/text"), kHttpHead, {}, std::nullopt, nullptr, {}, &headers), "");
    EXPECT_EQ(seen.method, "HEAD");
    EXPECT_EQ(headers.substr(0, 17), "HTTP/1.1 200 OK\r\n");
}

TEST_F(HttpRequestTest, DefaultHeadersAndTheirCaseRules) {
    server.start();
    HttpRequest(url("/text"));
    EXPECT_EQ(header("User-Agent"),
              "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)");
    EXPECT_EQ(header("Accept"), "text/html, application/xhtml+xml, */*");
    EXPECT_EQ(header("Accept-Encoding"), "gbk, GB2312");
    EXPECT_EQ(header("Accept-Language"), "zh-cn");
    EXPECT_EQ(header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(header("Cache-Control"), "no-cache");
    EXPECT_EQ(header("Cookie"), "(none)");

    // "user-agent: " is found ignoring case; "content-type:" is not the exact "Content-Type:".
    HttpRequest(url("/text"), kHttpGet, {}, std::nullopt, nullptr,
                "user-agent: ExamBell\r\ncontent-type: text/plain");
    EXPECT_EQ(headerCount("User-Agent"), 1u);
    EXPECT_EQ(header("User-Agent"), "ExamBell");
    EXPECT_EQ(headerCount("Content-Type"), 2u);

    // Cookies to send become a Cookie line; an empty given text adds none.
    HttpRequest(url("/text"), kHttpGet, {}, "x=1; y=2");
    EXPECT_EQ(header("Cookie"), "x=1; y=2");
    HttpRequest(url("/text"), kHttpGet, {}, "");
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

    Text cookies;
    Text headers;
    EXPECT_EQ(HttpRequest(url("/cookies"), kHttpGet, {}, std::nullopt, &cookies, {}, &headers),
              "ok");
    EXPECT_EQ(cookies, "a=1; b=2");
    EXPECT_NE(headers.find("Set-Cookie: a=1; Path=/; HttpOnly\r\n"), Text::npos);
    EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");

    // Appended to what the caller had; a lower-case header name is normalised first.
    cookies = "old=0; ";
    HttpRequest(url("/lower"), kHttpGet, {}, std::nullopt, &cookies, {}, &headers);
    EXPECT_EQ(cookies, "old=0; c=3");
    EXPECT_NE(headers.find("Set-Cookie:   c=3  ; Path=/\r\n"), Text::npos);

    cookies = "kept";
    HttpRequest(url("/none"), kHttpGet, {}, std::nullopt, &cookies);
    EXPECT_EQ(cookies, "kept");
}

TEST_F(HttpRequestTest, RedirectsFollowedOrReported) {
    server.routes().Get("/old", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/text");
    });
    server.start();

    Text location = "stale";
    Text status;
    Text headers;
    HttpRequest(url("/old"), kHttpGet, {}, std::nullopt, nullptr, {}, &headers, true, {}, {}, {},
                {}, {}, 0, &location, &status);
    EXPECT_EQ(location, "/text");
    EXPECT_EQ(status, "302 Found");

    EXPECT_EQ(HttpRequest(url("/old"), kHttpGet, {}, std::nullopt, nullptr, {}, &headers, false, {},
                          {}, {}, {}, {}, 0, &location, &status),
              "plain text");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(location, "");
    // Only the final answer's header block.
    EXPECT_EQ(headers.substr(0, 17), "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(headers.find("302"), Text::npos);
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
        return HttpRequest(url(path), kHttpGet, {}, std::nullopt, nullptr, {}, nullptr, false, {},
                           {}, {}, {}, {}, 0, nullptr, nullptr, &bytes);
    };
    EXPECT_EQ(get("/utf8"), utf8ToGbk(utf8Page));
    EXPECT_EQ(bytes, utf8Page);
    EXPECT_EQ(get("/gbk"), gbkPage);
    EXPECT_EQ(get("/gb2312"), gb2312Page);
    EXPECT_EQ(get("/bare"), bareBytes);
    EXPECT_EQ(get("/late"), lateMeta);
    EXPECT_EQ(get("/unknown"), unknown);
}

TEST_F(HttpRequestTest, BodyWithNulIsTextUpToIt) {
    const std::string body("before\0after", 12);
    server.routes().Get("/nul", [body](const httplib::Request&, httplib::Response& response) {
        response.set_content(body, "application/octet-stream");
    });
    server.start();
    std::string bytes;
    EXPECT_EQ(HttpRequest(url("/nul"), kHttpGet, {}, std::nullopt, nullptr, {}, nullptr, false, {},
                          {}, {}, {}, {}, 0, nullptr, nullptr, &bytes),
              "before");
    EXPECT_EQ(bytes, body);
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
    Text status;
    EXPECT_EQ(HttpRequest(url("/private"), kHttpGet, {}, std::nullopt, nullptr, {}, nullptr, false,
                          "user", "pw", {}, {}, {}, 0, nullptr, &status),
              "welcome");
    EXPECT_EQ(status, "200 OK");
    // An error status is no failure: its body comes back. A user without password sends nothing.
    EXPECT_EQ(HttpRequest(url("/private"), kHttpGet, {}, std::nullopt, nullptr, {}, nullptr, false,
                          "user", {}, {}, {}, {}, 0, nullptr, &status),
              "who are you");
    EXPECT_EQ(status, "401 Unauthorized");
}

TEST_F(HttpRequestTest, ProxyGetsTheWholeAddressAndItsCredentials) {
    // The test server stands in for the proxy: it sees the absolute address as the target.
    server.routes().Get(".*", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(request.target + " " + request.get_header_value("Proxy-Authorization"),
                             "text/plain");
    });
    server.start();
    EXPECT_EQ(HttpRequest("http://exambell.invalid/file.txt", kHttpGet, {}, std::nullopt, nullptr,
                          {}, nullptr, false, {}, {}, "127.0.0.1:" + std::to_string(server.port()),
                          "user", "pw"),
              "http://exambell.invalid/file.txt Basic dXNlcjpwdw==");
}

TEST_F(HttpRequestTest, UnreachableAndSilentServers) {
    Text status = "stale";
    Text headers = "stale";
    std::string bytes = "stale";
    EXPECT_EQ(HttpRequest("http://127.0.0.1:" + std::to_string(test::closedPort()) + "/", kHttpGet,
                          {}, std::nullopt, nullptr, {}, &headers, false, {}, {}, {}, {}, {}, 1,
                          nullptr, &status, &bytes),
              "");
    EXPECT_EQ(status, kSendFailed);
    EXPECT_EQ(headers, "");
    EXPECT_EQ(bytes, "");

    test::SilentServer silent;
    int events = 0;
    HttpContext context;
    context.processEvents = [&] { ++events; };
    EXPECT_EQ(HttpRequest("http://127.0.0.1:" + std::to_string(silent.port()) + "/", kHttpGet, {},
                          std::nullopt, nullptr, {}, nullptr, false, {}, {}, {}, {}, {}, 1, nullptr,
                          &status, nullptr, context),
              "");
    EXPECT_EQ(status, kNoResponse);
    // The waiting went on in short steps with events in between.
    EXPECT_GT(events, 1);
}

TEST_F(HttpRequestTest, BadAddresses) {
    Text status;
    for (const char* address : {"", "127.0.0.1/text", "ftp://127.0.0.1/", "file:///etc/passwd",
                                "http://", "http://host/a\r\nX-Injected: 1"}) {
        EXPECT_EQ(HttpRequest(address, kHttpGet, {}, std::nullopt, nullptr, {}, nullptr, false, {},
                              {}, {}, {}, {}, 0, nullptr, &status),
                  "")
            << address;
        EXPECT_EQ(status, kBadUrl) << address;
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
    EXPECT_EQ(HttpRequest(url("/slow"), kHttpGet, {}, std::nullopt, nullptr, {}, nullptr, false, {},
                          {}, {}, {}, {}, 0, nullptr, nullptr, nullptr, context),
              "late");
}

TEST_F(HttpRequestTest, BodyPastTheLimitStopsTheRead) {
    server.routes().Get("/big", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(200000, 'x'), "text/plain");
    });
    server.start();
    HttpContext context;
    context.bodyLimit = 1000;
    Text status;
    Text headers;
    std::string bytes;
    EXPECT_EQ(HttpRequest(url("/big"), kHttpGet, {}, std::nullopt, nullptr, {}, &headers, false, {},
                          {}, {}, {}, {}, 0, nullptr, &status, &bytes, context),
              std::string(1000, 'x'));
    EXPECT_EQ(status, kReadFailed);
    EXPECT_EQ(bytes.size(), 1000u);
    EXPECT_EQ(headers.substr(0, 17), "HTTP/1.1 200 OK\r\n");
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
    Text status;
    Text headers;
    EXPECT_EQ(HttpRequest(url("/stall"), kHttpGet, {}, std::nullopt, nullptr, {}, &headers, false,
                          {}, {}, {}, {}, {}, 1, nullptr, &status),
              "partial");
    EXPECT_EQ(status, kReadFailed);
    EXPECT_NE(headers.find("Content-Length: 1000\r\n"), Text::npos);
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
    Text status;
    EXPECT_EQ(
        HttpRequest(server.base() + "/url_clock.txt", kHttpGet, {}, std::nullopt, nullptr, {},
                    nullptr, false, {}, {}, {}, {}, {}, 0, nullptr, &status, nullptr, trusted),
        "https://example.com/");
    EXPECT_EQ(status, "200 OK");

    // The system's authorities do not know the test certificate.
    EXPECT_EQ(HttpRequest(server.base() + "/url_clock.txt", kHttpGet, {}, std::nullopt, nullptr, {},
                          nullptr, false, {}, {}, {}, {}, {}, 0, nullptr, &status),
              "");
    EXPECT_EQ(status, kSendFailed);
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
}

}  // namespace
}  // namespace exambell
