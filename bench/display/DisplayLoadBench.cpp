// Cue onsets with the exam-room clock's web server under load, side by side with the server off,
// in one run. On the real clock a cue plays every second second through the SDL audio output on
// the disk driver in real time; its onset is the time from the cue's second boundary to its first
// audible sample. Each tick also computes the display state, as the program does. In the second
// phase 200 clients on 127.0.0.1 each fetch /state once a second.
//
// Usage: display_load_bench [seconds per phase, default 30]
#include <SDL2/SDL_mixer.h>
#include <httplib.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/support/CueOnsets.h"
#include "display/DisplayServer.h"
#include "display/DisplayState.h"
#include "runner/SecondTicker.h"
#include "schedule/SdlAudioOutput.h"
#include "text/Encoding.h"
#include "ui/SystemClock.h"

namespace {

using namespace exambell;
using namespace exambell::bench;

constexpr int kClients = 200;

struct Phase {
    const char* name;
    std::vector<double> onsets;
    std::vector<double> tickPhase;
};

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "disk", 0);
    const std::filesystem::path raw =
        std::filesystem::temp_directory_path() / "exambell-display-bench-audio.raw";
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 0);
    QCoreApplication app(argc, argv);
    const int phaseSeconds = argc > 1 ? std::max(6, std::atoi(argv[1])) : 30;
    const Text tone = utf8ToGbk(writeTone("exambell-display-bench-tone.wav").string());

    SdlAudioOutput audio;
    audio.waitForDevice();
    Onsets onsets;
    if (!audio.isDeviceOpen() || !measureOnsets(onsets)) {
        std::puts("no audio device: onsets are not measured");
    }

    SystemClock clock;
    DisplayServer server;  // started with the second phase
    std::atomic<int> port{0};
    const std::vector<DisplayExam> exams = {{utf8ToGbk("数学"), "09:00", 120, 0},
                                            {utf8ToGbk("英语"), "13:00", 120, 0},
                                            {utf8ToGbk("物理"), "15:00", 100, 0},
                                            {utf8ToGbk("化学"), "18:00", 60, 0}};
    Phase phases[2] = {{"server off", {}, {}}, {"server on, 200 clients polling /state", {}, {}}};
    int current = 0;
    std::atomic<bool> load{false};
    std::atomic<bool> quit{false};
    std::atomic<std::int64_t> requests{0};
    std::atomic<std::int64_t> failures{0};
    std::mutex latencyLock;
    std::vector<double> latencies;
    std::map<int, int> failureKinds;  // httplib::Error, or 100 + status class

    SecondTicker ticker(clock, [&] {
        const std::int64_t wall = clock.wallMilliseconds();
        phases[current].tickPhase.push_back(static_cast<double>(wall % 1000));
        const LocalTime now = clock.now();
        const DisplayState state = computeDisplayState(exams, now);
        if (server.running()) {
            server.publish(state, localEpochMilliseconds(now));
        }
        if ((wall / 1000) % 2 == 0) {
            {
                std::lock_guard<std::mutex> guard(onsets.lock);
                onsets.dueMicroseconds = wall / 1000 * 1000000;
            }
            audio.stopAllAudio();
            audio.playSoundFile(tone);
        }
    });

    // 200 clients, each once a second at its own offset within the second.
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            std::unique_ptr<httplib::Client> client;
            auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(c * 5);
            while (!quit) {
                std::this_thread::sleep_until(next);
                next += std::chrono::seconds(1);
                if (!load) {
                    continue;
                }
                if (!client) {
                    client = std::make_unique<httplib::Client>("127.0.0.1", port.load());
                    client->set_connection_timeout(std::chrono::seconds(2));
                    client->set_read_timeout(std::chrono::seconds(2));
                }
                const auto sent = std::chrono::steady_clock::now();
                auto r = client->Get("/state");
                const double ms = std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - sent)
                                      .count();
                ++requests;
                if (!r || r->status != 200) {
                    ++failures;
                    std::lock_guard<std::mutex> guard(latencyLock);
                    ++failureKinds[r ? 100 + r->status / 100 : static_cast<int>(r.error())];
                }
                std::lock_guard<std::mutex> guard(latencyLock);
                latencies.push_back(ms);
            }
        });
    }

    std::size_t split = 0;
    QTimer::singleShot(phaseSeconds * 1000, Qt::PreciseTimer, [&] {
        std::lock_guard<std::mutex> guard(onsets.lock);
        split = onsets.milliseconds.size();
        current = 1;
        if (!server.start("127.0.0.1", 0)) {
            std::puts("the server could not start");
            app.quit();
            return;
        }
        // As the program does when the page is switched on: the state goes out at once.
        const LocalTime now = clock.now();
        server.publish(computeDisplayState(exams, now), localEpochMilliseconds(now));
        port = server.port();
        load = true;
    });
    QTimer::singleShot(2 * phaseSeconds * 1000, Qt::PreciseTimer, [&] {
        load = false;
        app.quit();
    });
    ticker.start();
    app.exec();
    ticker.stop();
    quit = true;
    for (std::thread& t : clients) {
        t.join();
    }
    {
        std::lock_guard<std::mutex> guard(onsets.lock);
        phases[0].onsets.assign(onsets.milliseconds.begin(),
                                onsets.milliseconds.begin() + static_cast<std::ptrdiff_t>(split));
        phases[1].onsets.assign(onsets.milliseconds.begin() + static_cast<std::ptrdiff_t>(split),
                                onsets.milliseconds.end());
    }
    std::printf("%d s per phase, a cue every 2 s\n", phaseSeconds);
    std::printf("%-40s %8s %8s %8s %6s %14s\n", "", "p50 ms", "p99 ms", "max ms", "cues",
                "tick p99 ms");
    for (const Phase& p : phases) {
        std::printf("%-40s %8.1f %8.1f %8.1f %6zu %14.1f\n", p.name, percentile(p.onsets, .5),
                    percentile(p.onsets, .99), percentile(p.onsets, 1), p.onsets.size(),
                    percentile(p.tickPhase, .99));
    }
    std::printf("cue onset p99, server on minus off: %+.1f ms\n",
                percentile(phases[1].onsets, .99) - percentile(phases[0].onsets, .99));
    std::printf("/state requests %lld (%.0f/s), failed %lld, latency p50 %.1f ms p99 %.1f ms\n",
                static_cast<long long>(requests.load()),
                static_cast<double>(requests.load()) / phaseSeconds,
                static_cast<long long>(failures.load()), percentile(latencies, .5),
                percentile(latencies, .99));
    for (const auto& [kind, count] : failureKinds) {
        std::printf("  failures of kind %d: %d\n", kind, count);
    }
    if (audio.isDeviceOpen()) {
        Mix_SetPostMix(nullptr, nullptr);
    }
    server.stop();
    std::error_code ec;
    std::filesystem::remove(raw, ec);
    return 0;
}
