#include "net/VoiceDownload.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "tests/net/TestServer.h"
#include "tests/support/EventGaps.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

TEST(PercentDecodeTest, EscapesAreDecoded) {
    EXPECT_EQ(percentDecode("http%3A%2F%2Fexample.com%2Fvoice", true), "http://example.com/voice");
    EXPECT_EQ(percentDecode("http%3a%2f%2fexample.com%2fa%2b", true), "http://example.com/a+");
    EXPECT_EQ(percentDecode("a+b c", true), "a+b c");
    EXPECT_EQ(percentDecode("http://example.com/\r\n", true), "http://example.com/\r\n");
}

TEST(PercentDecodeTest, Utf8BecomesGbk) {
    // 语音 in UTF-8, once escaped and once as it is.
    EXPECT_EQ(percentDecode("http://example.com/%E8%AF%AD%E9%9F%B3/", true),
              "http://example.com/\xD3\xEF\xD2\xF4/");
    EXPECT_EQ(percentDecode("http://example.com/\xE8\xAF\xAD\xE9\x9F\xB3/", true),
              "http://example.com/\xD3\xEF\xD2\xF4/");
    // Without the conversion the decoded bytes stay as they are.
    EXPECT_EQ(percentDecode("%E8%AF%AD", false), "\xE8\xAF\xAD");
}

TEST(PercentDecodeTest, StrayPercentStays) {
    EXPECT_EQ(percentDecode("100%", true), "100%");
    EXPECT_EQ(percentDecode("%4", true), "%4");
    EXPECT_EQ(percentDecode("%G1%41", true), "%G1A");
    EXPECT_EQ(percentDecode("%%41", true), "%A");
    EXPECT_EQ(percentDecode("", true), "");
}

TEST(BrowsableAddressTest, OnlyHttpAddressesWithoutSurroundingBlanks) {
    EXPECT_EQ(browsableAddress("https://example.com/a b"), "https://example.com/a b");
    EXPECT_EQ(browsableAddress(" \t\xA1\xA1HTTP://example.com/\r\n\r\n"), "HTTP://example.com/");
    EXPECT_EQ(browsableAddress("http://example.com/\xD3\xEF\xA1\xA1"),
              "http://example.com/\xD3\xEF");
    for (const char* text :
         {"", " \r\n", "file:///etc/passwd", "javascript:alert(1)", "/usr/bin/xterm", "calc.exe",
          "ftp://example.com/", "http://", "http:///path", "https://example.com/a\r\nb",
          "<html>404</html>", "mailto:office@example.com", "http://@/x", "http://:80/",
          "https://user@", "http://user:pw@:8080/", "http://[]/", "https://?q", "http://#top"}) {
        EXPECT_EQ(browsableAddress(text), std::nullopt) << text;
    }
    for (const char* text : {"http://user@example.com/", "http://[::1]:8080/x", "http://h:80",
                             "https://example.com?q=@/"}) {
        EXPECT_EQ(browsableAddress(text), Text(text)) << text;
    }
    // A GBK character whose trail byte is "@" (0x40) ends no user information; a pair of that
    // shape that is no character reaches the browser as U+FFFD and an "@", which does.
    EXPECT_EQ(browsableAddress("http://\x81\x40/"), Text("http://\x81\x40/"));
    EXPECT_EQ(browsableAddress("https://es\xA1\x40"), std::nullopt);
    EXPECT_EQ(browsableAddress("https://es\xA1\x40h/"), Text("https://es\xA1\x40h/"));
}

TEST(VoicePageAddressTest, FailedReadsAndHostileTextsGiveTheDefaultPage) {
    const Text page = "http://sounds.example.org/yinxiao/";
    EXPECT_EQ(voicePageAddress({.text = "http://example.com/v"}, page), "http://example.com/v");
    // A body cut off by a failed read is no address, however it begins.
    EXPECT_EQ(voicePageAddress({.text = "http://example.com/v", .error = kHttpReadFailed}, page),
              page);
    // 8 MiB of bytes that are no UTF-8: converted with event passes all along.
    const HttpResult hostile{.text = "http://example.com/" + std::string(kHttpBodyLimit, '\xFF')};
    test::EventGaps gaps;
    const Text address = voicePageAddress(hostile, page, [&] { gaps.pass(); });
    EXPECT_LT(gaps.longestCpu(), test::EventGaps::kMostCpu);
    EXPECT_LT(gaps.longestWall(), test::EventGaps::kMostWall);
    EXPECT_EQ(address, "http://example.com/" + std::string(kHttpBodyLimit, '?'));
}

class RecordingOpener : public UrlOpener {
  public:
    void open(const Text& address) override { opened.push_back(address); }
    std::vector<Text> opened;
};

class VoiceDownloadTest : public testing::Test {
  protected:
    void SetUp() override {
        server.routes().Get("/url_clock.txt",
                            [this](const httplib::Request&, httplib::Response& response) {
                                std::lock_guard<std::mutex> guard(lock);
                                response.set_content(content, "text/plain");
                            });
        server.start();
    }
    void serve(const std::string& text) {
        std::lock_guard<std::mutex> guard(lock);
        content = text;
    }
    // Clicks the button once and returns what was opened.
    std::vector<Text> click(const Text& addressFile) {
        RecordingOpener opener;
        openVoiceDownloadPage(opener, {}, {addressFile, kDefaultPage});
        return opener.opened;
    }
    std::vector<Text> click() { return click(server.base() + "/url_clock.txt"); }

    const Text kDefaultPage = "http://sounds.example.org/yinxiao/";
    std::mutex lock;
    std::string content;
    test::TestServer server;
};

TEST_F(VoiceDownloadTest, OpensTheAddressOfTheFile) {
    serve("https%3A%2F%2Fexample.com%2Fvoices%2F%E8%AF%AD%E9%9F%B3?a=1+2");
    EXPECT_EQ(click(), std::vector<Text>{"https://example.com/voices/\xD3\xEF\xD2\xF4?a=1+2"});
    serve("\xEF\xBB\xBFhttp://example.com/voices\r\n");
    EXPECT_EQ(click(), std::vector<Text>{"http://example.com/voices"});
}

TEST_F(VoiceDownloadTest, DefaultPageWhenTheFileYieldsNoAddress) {
    const std::vector<Text> fallback{kDefaultPage};
    for (const char* text : {"", "\r\n", "file:///etc/passwd", "javascript:alert(1)",
                             "C:\\Windows\\System32\\calc.exe", "rm -rf ~"}) {
        serve(text);
        EXPECT_EQ(click(), fallback) << text;
    }
    // A failed request, and a missing file whose error page is no address.
    EXPECT_EQ(click("http://127.0.0.1:" + std::to_string(test::closedPort()) + "/url_clock.txt"),
              fallback);
    EXPECT_EQ(click(server.base() + "/missing.txt"), fallback);
    // A body that ends before its announced length.
    test::RawServer cut("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhttp://example.com/cut");
    EXPECT_EQ(click(cut.base() + "/url_clock.txt"), fallback);
}

TEST(DeployedAddressesTest, AreHttpAddresses) {
    const VoiceDownloadAddresses addresses = deployedVoiceDownloadAddresses();
    EXPECT_EQ(addresses.addressFile.substr(0, 8), "https://");
    EXPECT_EQ(addresses.addressFile.substr(addresses.addressFile.size() - 14), "/url_clock.txt");
    EXPECT_TRUE(browsableAddress(addresses.defaultPage));
}

}  // namespace
}  // namespace exambell
