#pragma once
// The cue rows' audio: choosing a cue's file (修改N), test-playing it (试听N) and the stop button
// (停止播放按钮). The main window's binder (app/) connects those buttons here; the runner plays a
// due cue through playCue as well.

#include "platform/Dialogs.h"
#include "platform/FileDialog.h"
#include "schedule/AudioOutput.h"
#include "settings/SettingsForm.h"
#include "text/Text.h"

namespace exambell {

// The file name of a cue's path: the text after its last separator; "" when it has none. The
// reminder list's 铃声 column and the choice of player (playCue) both follow this rule.
Text fileNameOf(const Text& path);

class CueAudio {
  public:
    // The rows, the shared file dialog (通用对话框1), the audio output and the dialogs must
    // outlive the object.
    CueAudio(SettingsForm& rows, FileDialog& fileDialog, AudioOutput& audio, Dialogs& dialogs);

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
    SettingsForm& rows_;
    FileDialog& fileDialog_;
    AudioOutput& audio_;
    Dialogs& dialogs_;
};

}  // namespace exambell
