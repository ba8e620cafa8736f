#pragma once
// The audio output the program needs: a simple player for WAV and MIDI files, one compressed-audio
// player for MP3, and one stop-all. Calls return at once and sound goes on in the background;
// nothing is checked or reported. The two players are independent and may sound together.

#include "text/Text.h"

namespace exambell {

class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    // Plays the file once when its content is WAV ("RIFF" at 0, "WAVE" at 8, more than 11 bytes)
    // or MIDI ("MThd" at 0, more than 4 bytes); anything else, a missing file or an empty path
    // plays nothing. Replaces whatever the simple player was sounding.
    virtual void playSoundFile(const Text& path) = 0;
    // Releases the compressed-audio player and plays the MP3 file once in a new one.
    virtual void playCompressedFile(const Text& path) = 0;
    // Releases the compressed-audio player and stops the simple player; once it returns, neither
    // sounds. Does nothing when nothing plays.
    virtual void stopAllAudio() = 0;
    // True when neither player is sounding (or about to: a file still loading counts as sounding).
    virtual bool isIdle() const = 0;
};

}  // namespace exambell
