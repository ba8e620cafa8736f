#pragma once
// What the cue-onset benchmarks share: the mixer's post-mix callback that stamps the first audible
// sample after a cue fell due, the test tone and the percentile of a sample.

#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

namespace exambell::bench {

inline std::int64_t wallMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct Onsets {
    std::mutex lock;
    std::int64_t dueMicroseconds = -1;  // boundary of the cue waiting for its first sample
    std::vector<double> milliseconds;
    int rate = 44100;
    Uint16 format = AUDIO_S16SYS;
    int channels = 2;

    std::size_t count() {
        std::lock_guard<std::mutex> guard(lock);
        return milliseconds.size();
    }
};
// The mixer's post-mix callback has no context of its own: the onsets it measures.
inline Onsets* gOnsets = nullptr;

inline void postMix(void*, Uint8* stream, int length) {
    const std::int64_t now = wallMicroseconds();
    std::lock_guard<std::mutex> guard(gOnsets->lock);
    if (gOnsets->dueMicroseconds < 0) {
        return;
    }
    int frame = -1;
    if (gOnsets->format == AUDIO_F32SYS) {
        const float* s = reinterpret_cast<const float*>(stream);
        for (int i = 0; i < length / 4 && frame < 0; ++i) {
            frame = std::fabs(s[i]) > 1e-3f ? i / gOnsets->channels : -1;
        }
    } else {
        const Sint16* s = reinterpret_cast<const Sint16*>(stream);
        for (int i = 0; i < length / 2 && frame < 0; ++i) {
            frame = std::abs(s[i]) > 32 ? i / gOnsets->channels : -1;
        }
    }
    if (frame >= 0) {
        const double at = static_cast<double>(now) + frame * 1e6 / gOnsets->rate;
        gOnsets->milliseconds.push_back((at - static_cast<double>(gOnsets->dueMicroseconds)) /
                                        1000.0);
        gOnsets->dueMicroseconds = -1;
    }
}

// Points the post-mix callback at onsets, in the format of the device the mixer has open; false
// (and nothing measured) when no device is open.
inline bool measureOnsets(Onsets& onsets) {
    gOnsets = &onsets;
    if (Mix_QuerySpec(&onsets.rate, &onsets.format, &onsets.channels) == 0) {
        return false;
    }
    Mix_SetPostMix(postMix, nullptr);
    return true;
}

// A short tone as a WAV file in the temporary folder, named after the benchmark.
inline std::filesystem::path writeTone(const char* fileName) {
    // 200 ms of 880 Hz, 16-bit mono 44.1 kHz.
    const int rate = 44100;
    const int frames = rate / 5;
    std::vector<std::int16_t> samples(frames);
    for (int i = 0; i < frames; ++i) {
        samples[i] = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * 880 * i / rate));
    }
    auto le32 = [](std::ofstream& o, std::uint32_t v) { o.write(reinterpret_cast<char*>(&v), 4); };
    auto le16 = [](std::ofstream& o, std::uint16_t v) { o.write(reinterpret_cast<char*>(&v), 2); };
    std::filesystem::path file = std::filesystem::temp_directory_path() / fileName;
    std::ofstream o(file, std::ios::binary);
    const std::uint32_t bytes = frames * 2;
    o.write("RIFF", 4);
    le32(o, 36 + bytes);
    o.write("WAVEfmt ", 8);
    le32(o, 16);
    le16(o, 1);
    le16(o, 1);
    le32(o, rate);
    le32(o, rate * 2);
    le16(o, 2);
    le16(o, 16);
    o.write("data", 4);
    le32(o, bytes);
    o.write(reinterpret_cast<const char*>(samples.data()), bytes);
    return file;
}

inline double percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return NAN;
    }
    std::sort(v.begin(), v.end());
    std::size_t i = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size())));
    return v[std::min(v.size() - 1, i == 0 ? 0 : i - 1)];
}

}  // namespace exambell::bench
