#include "tests/schedule/TestSounds.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

namespace exambell::test {

namespace {

void putLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

void putBe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// A MIDI variable-length quantity.
void putVlq(std::string& out, std::uint32_t value) {
    unsigned char bytes[5];
    int n = 0;
    bytes[n++] = value & 0x7F;
    while ((value >>= 7) != 0) {
        bytes[n++] = static_cast<unsigned char>((value & 0x7F) | 0x80);
    }
    while (n > 0) {
        out += static_cast<char>(bytes[--n]);
    }
}

}  // namespace

std::string makeWav(double seconds, int amplitude, int frequency) {
    const std::uint32_t frames = static_cast<std::uint32_t>(seconds * 44100);
    std::string data;
    data.reserve(frames * 2);
    const std::uint32_t half = 44100 / (2 * frequency);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const int value = (i / half) % 2 == 0 ? amplitude : -amplitude;
        putLe(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)), 2);
    }
    std::string out = "RIFF";
    putLe(out, 36 + static_cast<std::uint32_t>(data.size()), 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);  // PCM
    putLe(out, 1, 2);  // mono
    putLe(out, 44100, 4);
    putLe(out, 44100 * 2, 4);
    putLe(out, 2, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, static_cast<std::uint32_t>(data.size()), 4);
    return out + data;
}

std::string makeMidi(int notes) {
    std::string track;
    track += std::string("\x00\xC0\x00", 3);  // acoustic grand piano on channel 1
    for (int i = 0; i < notes; ++i) {
        const char key = static_cast<char>(60 + i % 12);
        putVlq(track, 0);
        track += {'\x90', key, '\x64'};
        putVlq(track, 240);  // a quarter note at 480 ticks per beat, 120 beats per minute
        track += {'\x80', key, '\x00'};
    }
    track += std::string("\x00\xFF\x2F\x00", 4);
    std::string out = "MThd";
    putBe(out, 6, 4);
    putBe(out, 0, 2);  // format 0
    putBe(out, 1, 2);  // one track
    putBe(out, 480, 2);
    out += "MTrk";
    putBe(out, static_cast<std::uint32_t>(track.size()), 4);
    return out + track;
}

DiskAudioCapture::DiskAudioCapture(const std::filesystem::path& folder, bool realTime)
    : file_(folder / "disk-audio.raw") {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
    // With no pause at all (a delay of 0) the driver thread takes the mixer lock again at once
    // after every buffer: a caller on another thread starves on that lock for seconds while the
    // file grows by gigabytes. A pause of 1 ms per 11.6 ms buffer still runs several times faster
    // than real time.
    if (realTime) {
        unsetenv("SDL_DISKAUDIODELAY");
    } else {
        setenv("SDL_DISKAUDIODELAY", "1", 1);
    }
}

std::size_t DiskAudioCapture::size() const {
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(file_, ec);
    return ec ? 0 : static_cast<std::size_t>(bytes);
}

bool DiskAudioCapture::waitForSize(std::size_t bytes) const {
    // The driver writes on its own thread; there is no event to wait on but the file itself.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (size() < bytes) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::vector<std::int16_t> DiskAudioCapture::samples(std::size_t from, std::size_t to) const {
    from &= ~std::size_t{3};  // whole stereo frames
    std::ifstream in(file_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    std::vector<std::int16_t> out;
    if (to <= from) {
        return out;
    }
    std::string bytes;
    if (to == SIZE_MAX) {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        bytes.resize(to - from);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
    out.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[2 * i]);
        const auto hi = static_cast<unsigned char>(bytes[2 * i + 1]);
        out[i] = static_cast<std::int16_t>(lo | (hi << 8));
    }
    return out;
}

std::size_t countAudible(const std::vector<std::int16_t>& samples, int threshold) {
    std::size_t n = 0;
    for (std::int16_t s : samples) {
        n += std::abs(s) >= threshold ? 1 : 0;
    }
    return n;
}

std::size_t firstAudible(const std::vector<std::int16_t>& samples, int threshold) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) >= threshold) {
            return i;
        }
    }
    return SIZE_MAX;
}

std::size_t lastAudible(const std::vector<std::int16_t>& samples, int threshold) {
    for (std::size_t i = samples.size(); i > 0; --i) {
        if (std::abs(samples[i - 1]) >= threshold) {
            return i - 1;
        }
    }
    return SIZE_MAX;
}

}  // namespace exambell::test
