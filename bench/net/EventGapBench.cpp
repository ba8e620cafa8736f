// How long the window goes without processing events while a request runs or a download is
// converted: the longest and the 99th-percentile gap between two event passes (and from the call
// to the first, and from the last to the return), against a server on 127.0.0.1.
//
// Rows that belong together are printed side by side: a slow answer and a large body; 8 MiB of
// bytes that are not UTF-8 and 8 MiB of valid UTF-8, converted directly, fetched as a page that
// declares UTF-8, and decoded as the voice button's address text. The goal: no gap beyond a few
// milliseconds, and bad bytes within twice the gaps (and time) of good ones.

#include <httplib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "net/HttpRequest.h"
#include "net/VoiceDownload.h"
#include "text/Encoding.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Gaps {
    std::vector<double> ms;
    double longestCpu = 0;
    double total = 0;
    void print(const char* name) {
        std::sort(ms.begin(), ms.end());
        const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
        std::printf(
            "%-34s passes %7zu  p99 gap %7.2f ms  longest gap %7.2f ms  (cpu %7.2f ms)"
            "  total %8.1f ms\n",
            name, ms.size(), p99, ms.back(), longestCpu, total);
    }
};

// Runs `work` with an EventPass that records the gaps.
void measure(Gaps& gaps, const std::function<void(const exambell::EventPass&)>& work) {
    const auto start = Clock::now();
    auto last = start;
    double lastCpu = cpuMs();
    const exambell::EventPass pass = [&] {
        const auto now = Clock::now();
        const double cpu = cpuMs();
        gaps.ms.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        gaps.longestCpu = std::max(gaps.longestCpu, cpu - lastCpu);
        last = now;
        lastCpu = cpu;
    };
    work(pass);
    pass();
    gaps.total += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void request(const std::string& url, int rounds, Gaps& gaps) {
    for (int i = 0; i < rounds; ++i) {
        measure(gaps, [&](const exambell::EventPass& pass) {
            exambell::HttpContext context;
            context.processEvents = pass;
            if (exambell::HttpRequest({.url = url}, context).text.empty()) {
                std::printf("request to %s failed\n", url.c_str());
            }
        });
    }
}

}  // namespace

int main() {
    constexpr std::size_t kSize = exambell::kHttpBodyLimit;
    const std::string declaration = "<meta charset=utf-8>";
    const std::string invalid(kSize, '\xFF');
    std::string valid;
    while (valid.size() + 3 <= kSize) {
        valid += "\xE8\x80\x83";  // 考
    }
    const std::string invalidPage = declaration + invalid.substr(declaration.size());
    const std::string validPage = declaration + valid.substr(declaration.size());

    httplib::Server server;
    server.Get("/slow", [](const httplib::Request&, httplib::Response& response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        response.set_content("late", "text/plain");
    });
    const std::string big(kSize - 1, 'x');
    server.Get("/big", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(big, "text/plain");
    });
    server.Get("/invalid", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(invalidPage, "text/html");
    });
    server.Get("/valid", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(validPage, "text/html");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    const std::string base = "http://127.0.0.1:" + std::to_string(port);

    Gaps slow;
    request(base + "/slow", 10, slow);
    slow.print("slow answer (300 ms)");
    Gaps large;
    request(base + "/big", 10, large);
    large.print("8 MiB body");

    std::printf("\n8 MiB: bytes that are no UTF-8 | valid UTF-8\n");
    Gaps directBad, directGood;
    measure(directBad,
            [&](const exambell::EventPass& pass) { exambell::utf8ToGbk(invalid, pass); });
    measure(directGood, [&](const exambell::EventPass& pass) { exambell::utf8ToGbk(valid, pass); });
    directBad.print("utf8ToGbk, invalid");
    directGood.print("utf8ToGbk, valid");

    Gaps pageBad, pageGood;
    request(base + "/invalid", 3, pageBad);
    request(base + "/valid", 3, pageGood);
    pageBad.print("page declaring utf-8, invalid");
    pageGood.print("page declaring utf-8, valid");

    Gaps voiceBad, voiceGood;
    const std::string page = "http://sounds.example.org/";
    measure(voiceBad, [&](const exambell::EventPass& pass) {
        exambell::voicePageAddress({.text = invalid}, page, pass);
    });
    measure(voiceGood, [&](const exambell::EventPass& pass) {
        exambell::voicePageAddress({.text = valid}, page, pass);
    });
    voiceBad.print("voice address text, invalid");
    voiceGood.print("voice address text, valid");

    server.stop();
    thread.join();
    return 0;
}
