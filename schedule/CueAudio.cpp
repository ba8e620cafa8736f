#include "schedule/CueAudio.h"

#include "text/Paths.h"
#include "ui/Button.h"

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
    return fileNamePart(path);
}

CueAudio::CueAudio(MainWindow& window, AudioOutput& audio, Dialogs& dialogs, QObject* parent)
    : QObject(parent), window_(window), audio_(audio), dialogs_(dialogs) {
    for (int n = 1; n <= kCueCount; ++n) {
        connect(window_.cueChoose[n], &Button::clicked, this, [this, n] { chooseCueFile(n); });
        connect(window_.cueTest[n], &Button::clicked, this, [this, n] { playCue(n); });
    }
    connect(window_.stopButton, &Button::clicked, this, &CueAudio::stopAllAudio);
}

void CueAudio::chooseCueFile(int cue) {
    if (!isCue(cue)) {
        return;
    }
    if (window_.fileDialog.openFile(dialogs_)) {
        window_.cuePath[cue]->setText(window_.fileDialog.fileName());
    }
}

PlayResult CueAudio::playCue(int cue) {
    if (!isCue(cue)) {
        return PlayResult{PlayOutcome::FileMissing, 0};
    }
    audio_.stopAllAudio();
    const Text path = window_.cuePath[cue]->text();
    if (findText(fileNameOf(path), kCompressedMark, 1, true) > 0) {
        return audio_.playCompressedFile(path);
    }
    return audio_.playSoundFile(path);
}

void CueAudio::stopAllAudio() {
    audio_.stopAllAudio();
}

}  // namespace exambell
