#pragma once
// The audio output the program needs: a simple player for WAV and MIDI files, one compressed-audio
// player for MP3, and one stop-all. Calls return at once; nothing is checked or reported.

#include "text/Text.h"

namespace exambell {

class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    // Plays the file once when its content is WAV or MIDI; anything else is ignored.
    virtual void playSoundFile(const Text& path) = 0;
    // Releases the compressed-audio player and plays the MP3 file once in a new one.
    virtual void playCompressedFile(const Text& path) = 0;
    // Releases the compressed-audio player and stops the simple player.
    virtual void stopAllAudio() = 0;
    // True when neither player is sounding.
    virtual bool isIdle() const = 0;
};

}  // namespace exambell
