// The one-second tick on the real clock. For a while idle and as long again with both cores kept
// busy, it measures where in its second each tick lands, the seconds no tick saw (and saw twice),
// and, with the SDL audio output on the disk driver in real time, the time from a cue's second
// boundary to its first audible sample. A repeating 1000 ms QTimer runs alongside for comparison.
//
// Usage: runner_tick_bench [seconds per phase, default 60] [mp3 file for every other cue]
#include <SDL2/SDL_mixer.h>

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
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "bench/support/CueOnsets.h"
#include "runner/CueScheduler.h"
#include "runner/SecondTicker.h"
#include "schedule/SdlAudioOutput.h"
#include "text/Encoding.h"
#include "ui/SystemClock.h"

namespace {

using namespace exambell;
using namespace exambell::bench;

// A cue falls due every kCueEvery seconds of the wall clock.
constexpr std::int64_t kCueEvery = 2;

struct Phase {
    const char* name = "";
    std::vector<double> tickPhase;  // ms after the whole second
    std::vector<double> repeatingPhase;
    std::set<std::int64_t> tickSeconds;
    std::set<std::int64_t> repeatingSeconds;
    int tickDoubles = 0;
    int repeatingDoubles = 0;
    std::size_t onsetFrom = 0;
    std::size_t onsetTo = 0;
    std::int64_t firstSecond = 0;
    std::int64_t lastSecond = 0;
};

int skipped(const std::set<std::int64_t>& seen, std::int64_t from, std::int64_t to) {
    int n = 0;
    for (std::int64_t s = from; s <= to; ++s) {
        n += seen.count(s) ? 0 : 1;
    }
    return n;
}

void print(const Phase& p, const std::vector<double>& onsets) {
    std::vector<double> o(onsets.begin() + static_cast<std::ptrdiff_t>(p.onsetFrom),
                          onsets.begin() + static_cast<std::ptrdiff_t>(p.onsetTo));
    double mean = 0;
    for (double v : p.repeatingPhase) {
        mean += v / static_cast<double>(p.repeatingPhase.size());
    }
    std::printf("%s (%lld s)\n", p.name, static_cast<long long>(p.lastSecond - p.firstSecond + 1));
    std::printf("  tick phase ms      p50 %6.1f  p99 %6.1f  max %6.1f  skipped %d  doubled %d\n",
                percentile(p.tickPhase, .5), percentile(p.tickPhase, .99),
                percentile(p.tickPhase, 1), skipped(p.tickSeconds, p.firstSecond, p.lastSecond),
                p.tickDoubles);
    std::printf("  cue onset ms       p50 %6.1f  p99 %6.1f  max %6.1f  cues %zu\n",
                percentile(o, .5), percentile(o, .99), percentile(o, 1), o.size());
    std::printf("  1000 ms QTimer     mean %5.1f  p99 %6.1f  skipped %d  doubled %d\n", mean,
                percentile(p.repeatingPhase, .99),
                skipped(p.repeatingSeconds, p.firstSecond, p.lastSecond), p.repeatingDoubles);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "disk", 0);
    const std::filesystem::path raw =
        std::filesystem::temp_directory_path() / "exambell-bench-audio.raw";
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 0);
    QCoreApplication app(argc, argv);
    const int phaseSeconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    const Text mp3 = argc > 2 ? utf8ToGbk(argv[2]) : Text();
    const Text tone = utf8ToGbk(writeTone("exambell-bench-tone.wav").string());

    SdlAudioOutput audio;
    audio.waitForDevice();
    Onsets onsets;
    if (!audio.isDeviceOpen() || !measureOnsets(onsets)) {
        std::puts("no audio device: onsets are not measured");
    }

    SystemClock clock;
    CueSettings cues;
    for (int n = 0; n < kCueCount; ++n) {
        cues[n].caption = "cue" + std::to_string(n + 1);
    }
    int played = 0;
    CueScheduler scheduler(
        clock, audio,
        [&](int) {
            const std::int64_t now = wallMicroseconds();
            const std::int64_t second = now / 1000000;
            {
                std::lock_guard<std::mutex> guard(onsets.lock);
                onsets.dueMicroseconds = second / kCueEvery * kCueEvery * 1000000;
            }
            audio.stopAllAudio();
            if (!mp3.empty() && ++played % 2 == 0) {
                audio.playCompressedFile(mp3);
            } else {
                audio.playSoundFile(tone);
            }
        },
        nullptr);

    // Cues every kCueEvery seconds over both phases, from a few seconds ahead.
    const LocalTime start = clock.now();
    const std::int64_t startLocal = localEpochSeconds(start);
    std::vector<ReminderRow> rows;
    for (std::int64_t s = startLocal + 3; s < startLocal + 2 * phaseSeconds + 3; ++s) {
        if (s % kCueEvery == 0) {
            std::int64_t d = s % 86400;
            rows.push_back(ReminderRow{
                "", "b",
                twoDigits(d / 3600) + ":" + twoDigits(d / 60 % 60) + ":" + twoDigits(d % 60),
                cues[(s / kCueEvery) % kCueCount].caption, "f"});
        }
    }
    scheduler.pendingCues().rebuild(rows, cues, startLocal);

    Phase phases[2];
    phases[0].name = "idle";
    phases[1].name = "both cores busy";
    int current = 0;
    auto record = [&](std::vector<double>& phase, std::set<std::int64_t>& seen, int& doubles) {
        const std::int64_t wall = clock.wallMilliseconds();
        phase.push_back(static_cast<double>(wall % 1000));
        if (!seen.insert(wall / 1000).second) {
            ++doubles;
        }
    };
    SecondTicker ticker(clock, [&] {
        Phase& p = phases[current];
        record(p.tickPhase, p.tickSeconds, p.tickDoubles);
        scheduler.tick(clock.now());
    });
    QTimer repeating;
    repeating.setInterval(1000);
    QObject::connect(&repeating, &QTimer::timeout, [&] {
        Phase& p = phases[current];
        record(p.repeatingPhase, p.repeatingSeconds, p.repeatingDoubles);
    });

    std::atomic<bool> busy{false};
    std::vector<std::thread> burners;
    const std::int64_t t0 = clock.wallMilliseconds() / 1000 + 1;
    phases[0].firstSecond = t0 + 1;
    phases[0].lastSecond = t0 + phaseSeconds - 1;
    phases[1].firstSecond = t0 + phaseSeconds + 1;
    phases[1].lastSecond = t0 + 2 * phaseSeconds - 1;
    auto atSecond = [&](std::int64_t s, auto f) {
        QTimer::singleShot(static_cast<int>(s * 1000 + 500 - clock.wallMilliseconds()),
                           Qt::PreciseTimer, f);
    };
    atSecond(t0 + phaseSeconds, [&] {
        std::lock_guard<std::mutex> guard(onsets.lock);
        phases[0].onsetTo = phases[1].onsetFrom = onsets.milliseconds.size();
        current = 1;
        busy = true;
        for (int i = 0; i < 2; ++i) {
            burners.emplace_back([&busy] {
                volatile double x = 1;
                while (busy) {
                    x = x * 1.0000001 + 1e-9;
                }
            });
        }
    });
    atSecond(t0 + 2 * phaseSeconds, [&] {
        busy = false;
        app.quit();
    });
    ticker.start();
    repeating.start();
    app.exec();
    for (std::thread& t : burners) {
        t.join();
    }
    ticker.stop();
    repeating.stop();
    {
        std::lock_guard<std::mutex> guard(onsets.lock);
        phases[1].onsetTo = onsets.milliseconds.size();
    }
    print(phases[0], onsets.milliseconds);
    print(phases[1], onsets.milliseconds);
    std::printf("cues missed %lld\n", static_cast<long long>(scheduler.missedCount()));
    if (audio.isDeviceOpen()) {
        Mix_SetPostMix(nullptr, nullptr);
    }
    std::error_code ec;
    std::filesystem::remove(raw, ec);
    return 0;
}
