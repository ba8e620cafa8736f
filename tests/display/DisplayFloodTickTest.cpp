// The one-second tick on the real clock while the page's server takes hostile traffic on
// 127.0.0.1: the server's threads never hold up the window's thread. The flood is bounded and
// ends by itself; the test ends with it.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <thread>
#include <vector>

#include "display/DisplayServer.h"
#include "runner/SecondTicker.h"
#include "tests/display/DisplayTestPage.h"
#include "tests/display/RawClient.h"
#include "ui/SystemClock.h"

namespace exambell {
namespace {

void flood(int port) {
    std::vector<int> open;
    // First the clients that stall mid-head: they are held until the head's deadline, so the
    // flood lasts some seconds however fast the idle connections below are dropped.
    for (int i = 0; i < 20; ++i) {
        const int fd = connectTo(port, 200);
        if (fd >= 0) {
            sendAll(fd, "GET / HTTP/1.1\r\nX-Slow: ");
            open.push_back(fd);
        }
    }
    for (int i = 0; i < 500; ++i) {
        const int fd = connectTo(port, 200);
        if (fd >= 0) {
            open.push_back(fd);
        }
    }
    const int big = connectTo(port, 2000);
    if (big >= 0) {
        sendAll(big, "GET / HTTP/1.1\r\nX-Big: " + std::string(1 << 20, 'a') + "\r\n\r\n");
        open.push_back(big);
    }
    for (const char* request : {"GET /%2e%2e/%2e%2e/etc/passwd HTTP/1.1\r\n\r\n",
                                "GET /../../etc/passwd HTTP/1.1\r\n\r\n",
                                "POST /state HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc",
                                "PUT /index.html HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc"}) {
        const int fd = connectTo(port, 2000);
        if (fd >= 0) {
            sendAll(fd, request);
            open.push_back(fd);
        }
    }
    for (int fd : open) {
        readUntilClosed(fd, 15000);
        ::close(fd);
    }
}

TEST(DisplayFlood, TheTickGoesOnWhileTheServerIsFlooded) {
    SystemClock clock;
    DisplayServer server;
    ASSERT_TRUE(server.start("127.0.0.1", 0));
    std::vector<std::int64_t> ticks;
    SecondTicker ticker(clock, [&] {
        const LocalTime now = clock.now();
        ticks.push_back(clock.tickCount());
        // What the program does on each tick: compute and publish.
        server.publish(computeDisplayState(testExams(), now), localEpochMilliseconds(now));
    });
    ticker.start();
    QEventLoop loop;
    std::thread attacker([&] {
        flood(server.port());
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    const std::int64_t begun = clock.tickCount();
    loop.exec();
    attacker.join();
    ticker.stop();
    const std::int64_t lasted = clock.tickCount() - begun;
    ASSERT_GE(lasted, 2000) << "the flood ended too soon to tell";
    EXPECT_GE(static_cast<std::int64_t>(ticks.size()), lasted / 1000 - 1);
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_LT(ticks[i] - ticks[i - 1], 1500) << "tick " << i;
    }
    // And the server still answers afterwards.
    httplib::Client client("127.0.0.1", server.port());
    auto r = client.Get("/state");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
}

}  // namespace
}  // namespace exambell
