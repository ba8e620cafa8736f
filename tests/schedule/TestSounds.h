#pragma once
// Sound files and a disk-driver capture for the audio tests and the latency benchmark.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace exambell::test {

// A mono 16-bit 44.1 kHz WAV file holding a square wave of the given peak amplitude.
std::string makeWav(double seconds, int amplitude, int frequency = 441);
// A one-track MIDI file: `notes` piano notes of a quarter second each, middle C upwards.
std::string makeMidi(int notes);

// The bytes SDL's disk audio driver writes: signed 16-bit little-endian stereo at 44.1 kHz.
// The constructor points the driver at a file in `folder`; create the SdlAudioOutput after it.
class DiskAudioCapture {
  public:
    static constexpr std::size_t kBytesPerSecond = 44100 * 2 * 2;
    // realTime false: the device runs several times faster than real time (see the constructor).
    DiskAudioCapture(const std::filesystem::path& folder, bool realTime = false);

    std::size_t size() const;
    // Waits (up to 20 s) until the file holds at least `bytes` bytes.
    bool waitForSize(std::size_t bytes) const;
    // Samples (both channels) from byte offset `from` to `to`, or to the end.
    std::vector<std::int16_t> samples(std::size_t from, std::size_t to = SIZE_MAX) const;

  private:
    std::filesystem::path file_;
};

// Threshold of an audible sample, about -36 dB below full scale.
constexpr int kAudible = 512;
std::size_t countAudible(const std::vector<std::int16_t>& samples, int threshold = kAudible);
// Index of the first or last sample at or above the threshold; SIZE_MAX when there is none.
std::size_t firstAudible(const std::vector<std::int16_t>& samples, int threshold = kAudible);
std::size_t lastAudible(const std::vector<std::int16_t>& samples, int threshold = kAudible);

}  // namespace exambell::test
