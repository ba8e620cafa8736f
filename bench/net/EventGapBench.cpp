// How long the window goes without processing events while a request runs: the longest and the
// 99th-percentile gap between two event passes (and from the call to the first, and from the
// last to the return), for a slow answer and for a large body, against a server on 127.0.0.1.
// The goal: no gap beyond a few milliseconds, so the one-second tick always runs on time.

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "net/HttpRequest.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Gaps {
    std::vector<double> ms;
    void print(const char* name) {
        std::sort(ms.begin(), ms.end());
        const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
        std::printf("%-28s passes %7zu   p99 gap %6.2f ms   longest gap %6.2f ms\n", name,
                    ms.size(), p99, ms.back());
    }
};

void measure(const std::string& url, int rounds, Gaps& gaps) {
    for (int i = 0; i < rounds; ++i) {
        auto last = Clock::now();
        exambell::HttpContext context;
        context.processEvents = [&] {
            const auto now = Clock::now();
            gaps.ms.push_back(std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        };
        const exambell::Text text =
            exambell::HttpRequest(url, exambell::kHttpGet, {}, std::nullopt, nullptr, {}, nullptr,
                                  false, {}, {}, {}, {}, {}, 0, nullptr, nullptr, nullptr, context);
        gaps.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - last).count());
        if (text.empty()) {
            std::printf("request to %s failed\n", url.c_str());
        }
    }
}

}  // namespace

int main() {
    httplib::Server server;
    server.Get("/slow", [](const httplib::Request&, httplib::Response& response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        response.set_content("late", "text/plain");
    });
    const std::string big((8u << 20) - 1, 'x');
    server.Get("/big", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(big, "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    const std::string base = "http://127.0.0.1:" + std::to_string(port);

    Gaps slow;
    measure(base + "/slow", 10, slow);
    slow.print("slow answer (300 ms)");
    Gaps large;
    measure(base + "/big", 10, large);
    large.print("8 MiB body");

    server.stop();
    thread.join();
    return 0;
}
