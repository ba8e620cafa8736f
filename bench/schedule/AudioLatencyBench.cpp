// Time from a play call to the first audible sample, per format, on SDL's disk driver running in
// real time (it takes one buffer per buffer period and writes it to a file). A post-mix hook sees
// each finished buffer as it goes to the device; a sample counts as heard at that moment plus its
// place inside the buffer. (The file itself is no clock: stdio holds back every other 2 KB buffer.)
//
// Usage: schedule_audio_latency [trials per format (100)] [device buffer frames (512)]
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "schedule/SdlAudioOutput.h"
#include "tests/schedule/TestSounds.h"
#include "text/Encoding.h"
#include "text/Paths.h"

using namespace exambell;
using SteadyClock = std::chrono::steady_clock;

namespace {

// About -54 dB below full scale: the start of a fade-in counts as heard.
constexpr int kThreshold = 64;
constexpr double kFramesPerMs = 44.1;

struct Format {
    const char* name = "";
    bool compressed = false;
    Text path;
    std::vector<double> latencies;  // milliseconds
    std::vector<double> calls;      // milliseconds spent in the play call itself
    int missed = 0;
};

// Shared with the audio thread.
std::atomic<bool> armed{false};
std::atomic<SteadyClock::rep> callTime{0};
std::atomic<double> heardAfterMs{-1};

void observe(void*, Uint8* stream, int bytes) {
    if (!armed.load() || heardAfterMs.load() >= 0) {
        return;
    }
    const auto now = SteadyClock::now().time_since_epoch().count();
    const auto* samples = reinterpret_cast<const Sint16*>(stream);
    for (int i = 0; i < bytes / 2; ++i) {
        if (std::abs(samples[i]) >= kThreshold) {
            const double mixedAfterMs = static_cast<double>(now - callTime.load()) / 1e6;
            heardAfterMs.store(mixedAfterMs + (i / 2) / kFramesPerMs);
            return;
        }
    }
}

// Milliseconds from the call until the first audible sample, or a negative number after 2 s.
double measure(SdlAudioOutput& output, Format& format) {
    output.stopAllAudio();
    // Let the last buffers mixed before the stop go by.
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    heardAfterMs.store(-1);
    callTime.store(SteadyClock::now().time_since_epoch().count());
    armed.store(true);
    if (format.compressed) {
        output.playCompressedFile(format.path);
    } else {
        output.playSoundFile(format.path);
    }
    format.calls.push_back(
        std::chrono::duration<double, std::milli>(
            SteadyClock::now() - SteadyClock::time_point(SteadyClock::duration(callTime.load())))
            .count());
    const auto deadline = SteadyClock::now() + std::chrono::seconds(2);
    while (heardAfterMs.load() < 0 && SteadyClock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    armed.store(false);
    return heardAfterMs.load();
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    const int trials = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    SdlAudioOutput::Options options;
    if (argc > 2) {
        options.bufferFrames = std::max(64, std::atoi(argv[2]));
    }
    char folderPattern[] = "/tmp/exambell-latency-XXXXXX";
    if (mkdtemp(folderPattern) == nullptr) {
        return 1;
    }
    const std::filesystem::path folder = folderPattern;
    std::ofstream(folder / "bell.wav", std::ios::binary) << test::makeWav(0.5, 8000);
    std::ofstream(folder / "tune.mid", std::ios::binary) << test::makeMidi(2);
    // Ten minutes, 53 MB: read and decoded whole before it can sound.
    std::ofstream(folder / "long.wav", std::ios::binary) << test::makeWav(600, 8000);

    int status = 0;
    {
        test::DiskAudioCapture capture(folder, /*realTime=*/true);
        SdlAudioOutput output(options);
        if (!output.waitForDevice()) {
            std::fprintf(stderr, "no audio device\n");
            status = 1;
        } else {
            Mix_SetPostMix(observe, nullptr);
            const Text folderText = pathText(folder);
            const Text mp3 =
                joinPath(utf8ToGbk(EXAMBELL_DATA_DIR "/语音文件库"), utf8ToGbk("04开考.mp3"));
            std::vector<Format> formats(4);
            formats[0] = {"MP3", true, mp3, {}, {}, 0};
            formats[1] = {"WAV", false, joinPath(folderText, "bell.wav"), {}, {}, 0};
            formats[2] = {"MIDI", false, joinPath(folderText, "tune.mid"), {}, {}, 0};
            formats[3] = {"WAV10m", false, joinPath(folderText, "long.wav"), {}, {}, 0};
            for (int i = 0; i < trials; ++i) {
                for (Format& format : formats) {
                    const double ms = measure(output, format);
                    if (ms < 0) {
                        ++format.missed;
                    } else {
                        format.latencies.push_back(ms);
                    }
                }
            }
            output.stopAllAudio();
            Mix_SetPostMix(nullptr, nullptr);
            std::printf("play call to first audible sample, %d trials, %d-frame buffer (%.1f ms)\n",
                        trials, options.bufferFrames, options.bufferFrames / kFramesPerMs);
            std::printf("%-6s %8s %8s %8s %7s %12s\n", "", "p50 ms", "p99 ms", "max ms", "missed",
                        "call max ms");
            for (const Format& format : formats) {
                if (format.latencies.empty()) {
                    std::printf("%-5s %8s %8s %8s %7d\n", format.name, "-", "-", "-",
                                format.missed);
                    continue;
                }
                std::printf("%-6s %8.1f %8.1f %8.1f %7d %12.2f\n", format.name,
                            percentile(format.latencies, 0.50), percentile(format.latencies, 0.99),
                            *std::max_element(format.latencies.begin(), format.latencies.end()),
                            format.missed,
                            *std::max_element(format.calls.begin(), format.calls.end()));
            }
        }
    }
    std::filesystem::remove_all(folder);
    return status;
}
