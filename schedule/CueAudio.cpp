#include "schedule/CueAudio.h"

#include "text/Paths.h"

namespace exambell {

namespace {

// Names holding these letters, in any case, go to the compressed-audio player ("mp3copy.wav"
// included: the name decides, not the content).
constexpr std::string_view kCompressedMark = "mp3";

bool isCue(int cue) {
    return cue >= 1 && cue <= kCueCount;
}

}  // namespace

Text fileNameOf(const Text& path) {
    Text name = fileNamePart(path);
    return name.size() == path.size() ? Text() : name;
}

CueAudio::CueAudio(SettingsForm& rows, FileDialog& fileDialog, AudioOutput& audio, Dialogs& dialogs)
    : rows_(rows), fileDialog_(fileDialog), audio_(audio), dialogs_(dialogs) {}

void CueAudio::chooseCueFile(int cue) {
    if (!isCue(cue)) {
        return;
    }
    if (fileDialog_.openFile(dialogs_)) {
        CueSettings cues = rows_.cues();
        cues[static_cast<std::size_t>(cue - 1)].path = fileDialog_.fileName();
        rows_.setCues(cues);
    }
}

void CueAudio::playCue(int cue) {
    if (!isCue(cue)) {
        return;
    }
    audio_.stopAllAudio();
    const Text path = rows_.cues()[static_cast<std::size_t>(cue - 1)].path;
    if (findText(fileNameOf(path), kCompressedMark, 1, true) > 0) {
        audio_.playCompressedFile(path);
    } else {
        audio_.playSoundFile(path);
    }
}

void CueAudio::stopAllAudio() {
    audio_.stopAllAudio();
}

}  // namespace exambell
