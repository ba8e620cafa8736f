#pragma once
// The audio output over SDL2_mixer. The device is opened once, by the constructor, and stays open
// until the destructor; when no device can be opened every call does nothing and the program goes
// on silent. SDL's audio subsystem is process-wide: have at most one SdlAudioOutput at a time.

#include <memory>

#include "schedule/AudioOutput.h"
#include "text/Text.h"

namespace exambell {

class SdlAudioOutput final : public AudioOutput {
  public:
    struct Options {
        // The General MIDI sound font of the simple player's MIDI synthesiser (UTF-8 file name).
        std::string soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
        // Frames per device buffer at 44.1 kHz: 512 is 11.6 ms, which bounds the delay from a play
        // call to the first sample the device takes.
        int bufferFrames = 512;
    };

    SdlAudioOutput();
    explicit SdlAudioOutput(const Options& options);
    ~SdlAudioOutput() override;
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    void playSoundFile(const Text& path) override;
    void playCompressedFile(const Text& path) override;
    void stopAllAudio() override;
    bool isIdle() const override;

    // Whether an audio device was opened; false means the output is silent for good.
    bool isOpen() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace exambell
