#pragma once
// The output device under SDL_mixer, as the audio output opens, watches and closes it. The real
// one is SdlMixerDevice; tests wrap it to make opening fail or the device vanish on cue.

namespace exambell {

class MixerDevice {
  public:
    virtual ~MixerDevice() = default;
    // Opens SDL_mixer on the default output device at 44.1 kHz, signed 16-bit stereo, with
    // bufferFrames frames per device buffer, no format changes allowed; true when it opened.
    // Called on the audio output's device thread, with SDL's audio subsystem started.
    virtual bool open(int bufferFrames) = 0;
    // Whether the open device still takes samples: false once it was lost (unplugged, its sound
    // server gone). Called on the window's thread.
    virtual bool isAlive() const = 0;
    // Closes what open opened. Called on the device thread, with no sound left to mix.
    virtual void close() = 0;
};

}  // namespace exambell
