#pragma once
// The audio output over SDL2_mixer.
//
// The device is opened, and the MIDI sound font loaded, on a device thread of the output's own,
// so making the output costs the window's thread nothing. When no device can be opened, or the
// open one is lost (a USB speaker unplugged, the sound server restarted), the output tries again
// before each play, on retryDevice(), and every kRetryMilliseconds while a sound waits for a
// device; a play made without a device waits up to kWaitForDeviceMilliseconds and sounds as soon
// as one opens. With a clock the open device is also watched every kWatchMilliseconds, so a loss
// shows while nothing plays. Every attempt that fails, and the close after a loss, ends SDL's audio
// subsystem and the next attempt starts it again: a sound server that was down when the program
// started, or was restarted since, is found.
//
// SDL's audio subsystem is process-wide: have at most one SdlAudioOutput at a time. Make it on the
// thread that runs the event loop: reports and device changes are delivered there.

#include <cstdint>
#include <memory>
#include <string>

#include "schedule/AudioOutput.h"
#include "text/Text.h"

namespace exambell {

class Clock;
class MixerDevice;

class SdlAudioOutput final : public AudioOutput {
  public:
    static constexpr std::int64_t kRetryMilliseconds = 1000;
    static constexpr std::int64_t kWaitForDeviceMilliseconds = 30000;
    static constexpr std::int64_t kWatchMilliseconds = 1000;

    struct Options {
        // The General MIDI sound font of the simple player's MIDI synthesiser (UTF-8 file name).
        std::string soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
        // Frames per device buffer at 44.1 kHz: 512 is 11.6 ms, which bounds the delay from a play
        // call to the first sample the device takes.
        int bufferFrames = 512;
        // Times the retries and the watch; without one, the output tries again only before a play
        // and on retryDevice(), and a waiting sound's time is taken from the steady clock.
        Clock* clock = nullptr;
        // The device to open; nullptr: the default output device through SDL (SdlMixerDevice).
        // Must outlive the output.
        MixerDevice* device = nullptr;
        // Nothing is started (SDL, the device, the sound font) until start() is called: a
        // program lets its first window come up before that work competes for the processor.
        bool startLater = false;
    };

    SdlAudioOutput();
    explicit SdlAudioOutput(const Options& options);
    ~SdlAudioOutput() override;
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    PlayResult playSoundFile(const Text& path) override;
    PlayResult playCompressedFile(const Text& path) override;
    void stopAllAudio() override;
    bool isIdle() const override;
    bool isDeviceOpen() const override;
    void retryDevice() override;
    bool isDeviceOpening() const override;

    // Lets an output made with startLater start SDL, open its device and load the sound font on
    // its own thread; does nothing after the first call or without startLater.
    void start();

    // Blocks until the attempt to open a device under way has ended (at most timeoutMilliseconds);
    // returns isDeviceOpen(). For programs without an event loop (benchmarks).
    bool waitForDevice(int timeoutMilliseconds = 10000) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace exambell
