// A name lookup that never answers. This program defines getaddrinfo itself, so the lookups
// of libcurl's resolver thread come here: one host name stalls until the test releases it (or
// for ten seconds at most); every other name goes on to the C library.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <netdb.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string_view>

#include "net/HttpRequest.h"
#include "tests/support/EventGaps.h"

namespace {

constexpr std::string_view kStalledHost = "stalled.exambell.test";
constexpr std::chrono::seconds kLongestStall{10};

std::mutex stallLock;
std::condition_variable stallChanged;
int stalledLookups = 0;
bool stallReleased = false;

}  // namespace

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** result) {
    if (node && std::string_view(node) == kStalledHost) {
        std::unique_lock<std::mutex> guard(stallLock);
        ++stalledLookups;
        stallChanged.notify_all();
        stallChanged.wait_for(guard, kLongestStall, [] { return stallReleased; });
        --stalledLookups;
        stallChanged.notify_all();
        return EAI_AGAIN;
    }
    using Lookup = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto next = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "getaddrinfo"));
    return next(node, service, hints, result);
}

namespace exambell {
namespace {

using test::EventGaps;

class StalledResolverTest : public testing::Test {
  protected:
    void SetUp() override {
        std::lock_guard<std::mutex> guard(stallLock);
        stallReleased = false;
    }
    void TearDown() override {
        // Let the stalled lookups go, and see them end before the program does.
        std::unique_lock<std::mutex> guard(stallLock);
        stallReleased = true;
        stallChanged.notify_all();
        EXPECT_TRUE(stallChanged.wait_for(guard, std::chrono::seconds(5),
                                          [] { return stalledLookups == 0; }));
    }
    static int stalled() {
        std::lock_guard<std::mutex> guard(stallLock);
        return stalledLookups;
    }
};

TEST_F(StalledResolverTest, LookupEndsAtTheTimeOutWithEventsFlowing) {
    EventGaps gaps;
    HttpContext context;
    context.processEvents = [&] { gaps.pass(); };
    const HttpResult result = HttpRequest(
        {.url = "http://stalled.exambell.test/url_clock.txt", .timeoutSeconds = 1}, context);
    EXPECT_EQ(result.error, kHttpNotSent);
    EXPECT_EQ(result.text, "");
    // The request did not wait for the lookup, which is still stalled.
    EXPECT_EQ(stalled(), 1);
    EXPECT_LT(gaps.longestWall(), EventGaps::kMostWall);
    EXPECT_LT(gaps.longestCpu(), EventGaps::kMostCpu);
}

TEST_F(StalledResolverTest, CancelEndsTheLookupAtOnce) {
    // Cancelled on the fifth event pass after the lookup began.
    int passes = 0;
    HttpContext context;
    context.processEvents = [&] { passes += stalled() > 0 ? 1 : 0; };
    context.cancelled = [&] { return passes >= 5; };
    EventGaps gaps;
    const HttpResult result = HttpRequest(
        {.url = "http://stalled.exambell.test/url_clock.txt", .timeoutSeconds = 30}, context);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(passes, 5);
    EXPECT_EQ(stalled(), 1);
    EXPECT_LT(gaps.longestWall(), EventGaps::kMostWall);
}

}  // namespace
}  // namespace exambell
