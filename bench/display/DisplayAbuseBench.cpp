// The exam-room clock's web server against two abuses, each beside its baseline in the same run:
//  - memory: resident size with the server idle, then after 16 clients at once each sent a head
//    of a million short header lines (6 MB), and again once all of them are gone;
//  - page latency: GET / one after another with no other client, then with 16 clients that each
//    send their request a byte every 100 ms and never finish it (and connect again when dropped).
//
// Usage: display_abuse_bench [requests per latency phase, default 40]
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "display/DisplayServer.h"
#include "display/DisplayState.h"
#include "text/Encoding.h"

namespace {

using namespace exambell;
using Steady = std::chrono::steady_clock;

constexpr int kFlooders = 16;
constexpr int kSlowClients = 16;

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

int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<std::size_t>(n);
    }
}

// The status line of the answer, or what happened instead.
std::string answerOf(int fd) {
    std::string got;
    char buf[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20000) <= 0) {
            return "no answer";
        }
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) {
            break;
        }
        got.append(buf, static_cast<std::size_t>(n));
    }
    if (got.empty()) {
        return "closed unanswered";
    }
    return got.substr(0, got.find('\r'));
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

struct Latencies {
    std::vector<double> ms;  // of every request, answered or not
    int failed = 0;
};

Latencies pageLatencies(int port, int count) {
    Latencies l;
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(std::chrono::seconds(30));
    for (int i = 0; i < count; ++i) {
        const auto sent = Steady::now();
        auto r = client.Get("/");
        const double took = std::chrono::duration<double, std::milli>(Steady::now() - sent).count();
        l.ms.push_back(took);
        l.failed += r && r->status == 200 ? 0 : 1;
    }
    return l;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the page's files are Qt resources
    const int requests = argc > 1 ? std::max(5, std::atoi(argv[1])) : 40;

    DisplayServer server;
    const std::vector<DisplayExam> exams = {{utf8ToGbk("数学"), "09:00", 120, 0}};
    server.publish(computeDisplayState(exams, LocalTime{2026, 6, 7, 9, 30, 0, 0, 0}), 0);
    if (!server.start("127.0.0.1", 0)) {
        std::puts("the server could not start");
        return 1;
    }
    const int port = server.port();

    // Memory.
    std::string flood = "GET / HTTP/1.1\r\nHost: x\r\n";
    for (int i = 0; i < 1000000; ++i) {
        flood += "X: y\r\n";
    }
    flood += "\r\n";
    pageLatencies(port, 3);  // the workers have run once
    const long idle = residentKilobytes();
    std::vector<std::string> answers(kFlooders);
    {
        std::vector<std::thread> flooders;
        for (int c = 0; c < kFlooders; ++c) {
            flooders.emplace_back([&, c] {
                const int fd = connectTo(port);
                if (fd < 0) {
                    answers[c] = "not connected";
                    return;
                }
                sendAll(fd, flood);
                answers[c] = answerOf(fd);
                ::close(fd);
            });
        }
        for (std::thread& t : flooders) {
            t.join();
        }
    }
    const long afterFlood = residentKilobytes();
    pageLatencies(port, 3);
    const long afterMore = residentKilobytes();
    std::printf("resident memory (the flood's own 6 MB text included in every figure)\n");
    std::printf("  %-52s %8.1f MB\n", "idle server (baseline)", idle / 1024.0);
    std::printf("  %-52s %8.1f MB  (%+.1f MB)\n", "after 16 clients x 1,000,000 header lines",
                afterFlood / 1024.0, (afterFlood - idle) / 1024.0);
    std::printf("  %-52s %8.1f MB  (%+.1f MB)\n", "after 3 more ordinary requests",
                afterMore / 1024.0, (afterMore - idle) / 1024.0);
    std::sort(answers.begin(), answers.end());
    for (std::size_t i = 0; i < answers.size();) {
        const std::size_t j = static_cast<std::size_t>(
            std::upper_bound(answers.begin(), answers.end(), answers[i]) - answers.begin());
        std::printf("  flood answered %zux: %s\n", j - i, answers[i].c_str());
        i = j;
    }

    // Page latency.
    const Latencies quiet = pageLatencies(port, requests);
    std::vector<int> slow;
    for (int c = 0; c < kSlowClients; ++c) {
        const int fd = connectTo(port);
        if (fd >= 0) {
            sendAll(fd, "GET / HTTP/1.1\r\nX-Slow: ");
            slow.push_back(fd);
        }
    }
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        while (!done) {
            for (int& fd : slow) {
                // One the server dropped comes back at once, as a real attacker's would.
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 0) > 0) {
                    ::close(fd);
                    fd = connectTo(port);
                    sendAll(fd, "GET / HTTP/1.1\r\nX-Slow: ");
                }
                sendAll(fd, "a");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    const Latencies loaded = pageLatencies(port, requests);
    done = true;
    trickle.join();
    for (int fd : slow) {
        ::close(fd);
    }
    std::printf("GET / latency, %d requests one after another\n", requests);
    std::printf("  %-44s %8s %8s %8s %7s\n", "", "p50 ms", "p90 ms", "max ms", "failed");
    for (const auto& [name, l] :
         {std::pair<const char*, const Latencies&>{"no other client (baseline)", quiet},
          {"16 clients sending a byte every 100 ms", loaded}}) {
        std::printf("  %-44s %8.1f %8.1f %8.1f %7d\n", name, percentile(l.ms, .5),
                    percentile(l.ms, .9), percentile(l.ms, 1), l.failed);
    }
    server.stop();
    return 0;
}
