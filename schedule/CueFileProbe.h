#pragma once
// Whether a cue's file would sound, found by decoding it whole rather than trusting its name:
// WAV through SDL's decoder, MIDI by walking every event of every track, MP3 through mpg123.
// Needs no output device. Slow for long files (a whole decode): call it off the window's thread.

#include <string_view>

#include "schedule/AudioOutput.h"
#include "text/Text.h"

namespace exambell {

// The two players of the audio output: the simple one takes WAV and MIDI content only, the
// compressed-audio one whatever it can stream (MP3 here, and WAV or MIDI content too).
enum class CuePlayer { Simple, Compressed };

// Started when the file decodes for that player; FileMissing or Undecodable otherwise.
PlayOutcome probeCueFile(const Text& path, CuePlayer player);

// The content tests of the simple player.
bool isWavContent(std::string_view bytes);
bool isMidiContent(std::string_view bytes);
// A standard MIDI file whose chunks and track events are all well formed and that holds at
// least one note to sound.
bool isPlayableMidi(std::string_view bytes);

}  // namespace exambell
