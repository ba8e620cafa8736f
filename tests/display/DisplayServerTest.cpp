// The web page's server on 127.0.0.1: what it serves, and what it refuses of hostile clients.
// Every flood here is bounded in count and time and ends by itself.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "display/DisplayServer.h"
#include "tests/display/DisplayTestPage.h"
#include "tests/display/RawClient.h"
#include "tests/support/FakeClock.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

using Steady = std::chrono::steady_clock;

std::string roundTrip(int port, const std::string& request) {
    const int fd = connectTo(port);
    EXPECT_GE(fd, 0);
    sendAll(fd, request);
    std::string answer = readUntilClosed(fd, 5000);
    ::close(fd);
    return answer;
}

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

class DisplayServerTest : public testing::Test {
  protected:
    void SetUp() override {
        clock.set(2026, 1, 2, 3, 17, 0);
        const auto state = computeDisplayState(testExams(), clock.now());
        server.publish(state, localEpochMilliseconds(clock.now()));
        ASSERT_TRUE(server.start("127.0.0.1", 0));
        port = server.port();
    }

    test::FakeClock clock;
    DisplayServer server;
    int port = 0;
};

TEST_F(DisplayServerTest, ServesThePageAndTheState) {
    httplib::Client client("127.0.0.1", port);
    auto page = client.Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("display.js"), std::string::npos);
    EXPECT_NE(page->get_header_value("Content-Security-Policy").find("default-src 'none'"),
              std::string::npos);
    for (const char* path : {"/display.js", "/fit.js", "/display.css", "/index.html"}) {
        auto r = client.Get(path);
        ASSERT_TRUE(r) << path;
        EXPECT_EQ(r->status, 200) << path;
        EXPECT_FALSE(r->body.empty()) << path;
    }
    auto state = client.Get("/state");
    ASSERT_TRUE(state);
    EXPECT_EQ(state->status, 200);
    EXPECT_EQ(state->get_header_value("Cache-Control"), "no-store");
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(state->body)).object();
    EXPECT_EQ(o[u"subject"].toString(), QString::fromUtf8("数学"));
    EXPECT_EQ(o[u"phase"].toString(), u"running");
    // The server's time runs on from the published moment of the fake clock, not the real one.
    const double served = o[u"serverTime"].toDouble();
    EXPECT_GE(served, static_cast<double>(clock.wallMilliseconds()));
    EXPECT_LT(served, static_cast<double>(clock.wallMilliseconds() + 60000));
    // Nothing of the settings or of the classes is in it.
    EXPECT_EQ(state->body.find("config"), std::string::npos);
}

TEST_F(DisplayServerTest, NoStateYetIsUnavailable) {
    DisplayServer fresh;
    ASSERT_TRUE(fresh.start("127.0.0.1", 0));
    httplib::Client client("127.0.0.1", fresh.port());
    auto r = client.Get("/state");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 503);
}

TEST_F(DisplayServerTest, RefusesOtherPathsAndMethods) {
    for (const char* path :
         {"/../../../../etc/passwd", "/%2e%2e/%2e%2e/%2e%2e/etc/passwd", "/..%2f..%2fetc%2fpasswd",
          "/display.js/../../etc/passwd", "/%2E%2E%5C%2E%2E%5Cetc%5Cpasswd", "/state/..",
          "//etc/passwd", "/display.js%00.html", "/config.ini"}) {
        const std::string answer =
            roundTrip(port, std::string("GET ") + path + " HTTP/1.1\r\nHost: x\r\n\r\n");
        EXPECT_EQ(answer.find("HTTP/1.1 200"), std::string::npos) << path;
        EXPECT_EQ(answer.find("root:"), std::string::npos) << path;
    }
    for (const char* method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS"}) {
        const std::string answer =
            roundTrip(port, std::string(method) +
                                " /state HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello");
        EXPECT_NE(answer.find("HTTP/1.1 405"), std::string::npos) << method << answer;
    }
    // A body announced far beyond any limit is not waited for.
    const std::string big =
        roundTrip(port, "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 1000000000\r\n\r\n");
    EXPECT_EQ(big.find("<open>"), std::string::npos);
    EXPECT_EQ(big.find("HTTP/1.1 200"), std::string::npos);
}

TEST_F(DisplayServerTest, DropsAHugeHeaderAndSlowClients) {
    // One header line of 1 MB: refused after the library's 8 KiB line limit, the rest unread.
    const int fd = connectTo(port);
    ASSERT_GE(fd, 0);
    sendAll(fd, "GET / HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(1 << 20, 'a') + "\r\n\r\n");
    const std::string answer = readUntilClosed(fd, 5000);
    ::close(fd);
    EXPECT_EQ(answer.find("HTTP/1.1 200"), std::string::npos);
    EXPECT_EQ(answer.find("<open>"), std::string::npos);

    // Clients that start a request and then stall are dropped after the read time-out.
    std::vector<int> slow;
    for (int i = 0; i < 20; ++i) {
        const int s = connectTo(port);
        ASSERT_GE(s, 0);
        sendAll(s, "GET / HTTP/1.1\r\nHost: x\r\nX-Slow: ");
        slow.push_back(s);
    }
    const auto begun = Steady::now();
    for (int s : slow) {
        EXPECT_EQ(readUntilClosed(s, 10000).find("<open>"), std::string::npos);
        ::close(s);
    }
    EXPECT_LT(Steady::now() - begun, std::chrono::seconds(10));

    // One that trickles a header byte every 200 ms, never a whole request: cut at the
    // connection's deadline, not kept alive by its trickle.
    const int trickler = connectTo(port);
    ASSERT_GE(trickler, 0);
    sendAll(trickler, "GET / HTTP/1.1\r\nX-Slow: ");
    const auto trickleStart = Steady::now();
    bool cut = false;
    for (int i = 0; i < 100 && !cut; ++i) {
        pollfd p{trickler, POLLIN, 0};
        cut = ::poll(&p, 1, 200) > 0;  // the server closed it (or answered)
        if (!cut) {
            sendAll(trickler, "a");
        }
    }
    EXPECT_TRUE(cut);
    EXPECT_LT(Steady::now() - trickleStart, std::chrono::seconds(8));
    ::close(trickler);
    httplib::Client client("127.0.0.1", port);
    auto r = client.Get("/state");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
}

// A head of `lines` lines in all (request line included), each header line `lineBytes` long.
std::string headOf(int lines, std::size_t lineBytes = 8) {
    std::string head = "GET /state HTTP/1.1\r\n";
    for (int i = 1; i < lines; ++i) {
        std::string line = "X" + std::to_string(i) + ": ";
        line.resize(lineBytes - 2, 'a');
        head += line + "\r\n";
    }
    return head + "\r\n";
}

TEST_F(DisplayServerTest, TheHeadIsCappedInLinesAndBytes) {
    EXPECT_EQ(roundTrip(port, headOf(100)).rfind("HTTP/1.1 200 OK", 0), 0u);
    EXPECT_EQ(roundTrip(port, headOf(10, 1500)).rfind("HTTP/1.1 200 OK", 0), 0u);
    // One line too many, or 20 KB of lines each far below the 8 KiB line limit.
    for (const std::string& head : {headOf(101), headOf(20, 1000)}) {
        const std::string answer = roundTrip(port, head);
        EXPECT_EQ(answer.rfind("HTTP/1.1 431 ", 0), 0u) << answer;
        EXPECT_EQ(answer.find("<open>"), std::string::npos);
    }
}

TEST_F(DisplayServerTest, AMillionShortHeaderLinesAreRefusedWithoutTakingMemory) {
    std::string flood = "GET / HTTP/1.1\r\nHost: x\r\n";
    flood.reserve(flood.size() + 6'000'010);
    for (int i = 0; i < 1'000'000; ++i) {
        flood += "X: y\r\n";
    }
    flood += "\r\n";
    const long before = residentKilobytes();
    const int fd = connectTo(port);
    ASSERT_GE(fd, 0);
    sendAll(fd, flood);  // stops early when the server closes the connection
    const std::string answer = readUntilClosed(fd, 10000);
    ::close(fd);
    EXPECT_EQ(answer.find("HTTP/1.1 200"), std::string::npos);
    EXPECT_EQ(answer.find("<open>"), std::string::npos);
    EXPECT_LT(residentKilobytes() - before, 8 * 1024);
    httplib::Client client("127.0.0.1", port);
    auto r = client.Get("/state");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
}

TEST(DisplayServer, SixteenSlowClientsDoNotHoldUpAPage) {
    // A connection's answer may take 20 s here: a worker held by each trickling client would
    // keep the page waiting far past the client's 10 s time-out.
    DisplayServer::Limits limits;
    limits.requestMilliseconds = 20000;
    limits.readWriteMilliseconds = 20000;
    DisplayServer server(limits);
    test::FakeClock clock;
    clock.set(2026, 1, 2, 3, 17, 0);
    server.publish(computeDisplayState(testExams(), clock.now()),
                   localEpochMilliseconds(clock.now()));
    ASSERT_TRUE(server.start("127.0.0.1", 0));
    std::vector<int> slow;
    for (int i = 0; i < limits.workers; ++i) {
        const int fd = connectTo(server.port());
        ASSERT_GE(fd, 0);
        sendAll(fd, "GET / HTTP/1.1\r\nX-Slow: ");
        slow.push_back(fd);
    }
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        while (!done) {
            for (int fd : slow) {
                sendAll(fd, "a");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    httplib::Client client("127.0.0.1", server.port());
    client.set_read_timeout(std::chrono::seconds(10));
    auto page = client.Get("/");
    done = true;
    trickle.join();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    // Answered while every slow client was still being read, not after one of them was cut.
    for (int fd : slow) {
        pollfd p{fd, POLLIN, 0};
        EXPECT_EQ(::poll(&p, 1, 0), 0);
        ::close(fd);
    }
}

TEST(DisplayServer, OneAddressHoldsOnlySoManyConnectionsBeingRead) {
    DisplayServer::Limits limits;
    limits.connectionsPerAddress = 4;
    DisplayServer server(limits);
    test::FakeClock clock;
    clock.set(2026, 1, 2, 3, 17, 0);
    server.publish(computeDisplayState(testExams(), clock.now()),
                   localEpochMilliseconds(clock.now()));
    ASSERT_TRUE(server.start("127.0.0.1", 0));
    std::vector<int> held;
    for (int i = 0; i < 4; ++i) {
        held.push_back(connectTo(server.port()));
        ASSERT_GE(held.back(), 0);
        sendAll(held.back(), "GET / HTTP/1.1\r\n");
    }
    // The fifth is closed unanswered, though its request is whole.
    EXPECT_EQ(roundTrip(server.port(), "GET /state HTTP/1.1\r\n\r\n"), "");
    // Once they have gone (the server has closed its side too), the address is served again.
    for (int fd : held) {
        ::shutdown(fd, SHUT_WR);
        EXPECT_EQ(readUntilClosed(fd, 5000), "");
        ::close(fd);
    }
    const std::string answer = roundTrip(server.port(), "GET /state HTTP/1.1\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer;
}

TEST_F(DisplayServerTest, FiveHundredIdleConnectionsAreDroppedAndMemoryStaysBounded) {
    const long before = residentKilobytes();
    std::vector<int> idle;
    int refused = 0;
    for (int i = 0; i < 500; ++i) {
        // Past its queue the server stops accepting: the system's backlog holds a few more and
        // leaves the rest unanswered.
        const int fd = connectTo(port, 200);
        if (fd >= 0) {
            idle.push_back(fd);
        } else {
            ++refused;
        }
    }
    EXPECT_EQ(idle.size() + static_cast<std::size_t>(refused), 500u);
    EXPECT_GE(idle.size(), 200u);
    // Each is dropped after its second without a first byte, a pool's worth at a time.
    for (int fd : idle) {
        EXPECT_EQ(readUntilClosed(fd, 60000).find("<open>"), std::string::npos);
        ::close(fd);
    }
    EXPECT_LT(residentKilobytes() - before, 64 * 1024);
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(std::chrono::seconds(5));
    auto r = client.Get("/state");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
}

TEST_F(DisplayServerTest, StopsWhileClientsHang) {
    std::vector<int> hanging;
    for (int i = 0; i < 40; ++i) {
        const int fd = connectTo(port);
        if (fd >= 0) {
            sendAll(fd, "GET / HTTP/1.1\r\n");
            hanging.push_back(fd);
        }
    }
    const auto begun = Steady::now();
    server.stop();
    EXPECT_LT(Steady::now() - begun, std::chrono::seconds(1))
        << std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - begun).count();
    EXPECT_FALSE(server.running());
    for (int fd : hanging) {
        ::close(fd);
    }
}

TEST(DisplayServer, RefusesAPortInUseAndBadPortsAndSaysWhy) {
    using Failure = DisplayServer::StartFailure;
    DisplayServer first;
    ASSERT_TRUE(first.start("127.0.0.1", 0));
    EXPECT_EQ(first.startFailure(), Failure::None);
    DisplayServer second;
    EXPECT_FALSE(second.start("127.0.0.1", first.port()));
    EXPECT_FALSE(second.running());
    EXPECT_EQ(second.startFailure(), Failure::InUse);
    EXPECT_FALSE(second.start("127.0.0.1", 70000));
    EXPECT_EQ(second.startFailure(), Failure::BadPort);
    EXPECT_FALSE(second.start("203.0.113.7", 0));  // not an address of this machine
    EXPECT_EQ(second.startFailure(), Failure::NotThisMachine);
    EXPECT_FALSE(second.start("no-such-host.invalid", 0));
    EXPECT_EQ(second.startFailure(), Failure::NotThisMachine);
    // An IPv6 address in brackets, as it is written in an address.
    if (second.start("[::1]", 0)) {
        httplib::Client client("::1", second.port());
        auto r = client.Get("/display.css");
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, 200);
    }
}

TEST(DisplayServer, APrivilegedPortForAnOrdinaryUserIsNoPortInUse) {
    std::ifstream start("/proc/sys/net/ipv4/ip_unprivileged_port_start");
    int unprivilegedFrom = 1024;
    start >> unprivilegedFrom;
    if (unprivilegedFrom <= 80) {
        GTEST_SKIP() << "every user may bind port 80 on this system";
    }
    // In a child that is an ordinary user (nobody, when the tests run as root).
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(100);
        }
        DisplayServer server;
        const bool started = server.start("127.0.0.1", 80);
        ::_exit(started ? 101 : static_cast<int>(server.startFailure()));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(DisplayServer::StartFailure::NeedsPrivilege));
}

}  // namespace
}  // namespace exambell
