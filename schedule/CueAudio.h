#pragma once
// The cue rows' audio: choosing a cue's file (修改N), test-playing it (试听N) and the stop button
// (停止播放按钮). The constructor connects those buttons; app/ must not connect them again. The
// runner plays a due cue through playCue as well.

#include <QObject>

#include "platform/Dialogs.h"
#include "schedule/AudioOutput.h"
#include "text/Text.h"
#include "ui/MainWindow.h"

namespace exambell {

// The file name of a path: the text after its last separator; "" when it has none.
Text fileNameOf(const Text& path);

class CueAudio : public QObject {
    Q_OBJECT
  public:
    // The window, the audio output and the dialogs must outlive the object.
    CueAudio(MainWindow& window, AudioOutput& audio, Dialogs& dialogs, QObject* parent = nullptr);

    // 修改N: shows the shared file dialog; a confirmed file's full path goes into cue N's path
    // box, a cancel leaves the box as it is. The chosen file is not examined.
    void chooseCueFile(int cue);
    // 试听N, and a due cue: silences both players, then plays the current text of cue N's path
    // box: through the compressed-audio player when the file name contains "mp3" in any case,
    // else through the simple player. Returns at once with what became of the play (a number
    // outside 1..7 gives FileMissing). Cue N need not be enabled.
    PlayResult playCue(int cue);
    // 停止播放按钮.
    void stopAllAudio();

  private:
    MainWindow& window_;
    AudioOutput& audio_;
    Dialogs& dialogs_;
};

}  // namespace exambell
