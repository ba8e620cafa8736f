#pragma once
// The real platform seams of the desktop program, made and owned together: the process start
// and the start-up benchmark wire the Application with exactly these.

#include <filesystem>

#include "app/Application.h"
#include "platform/DBusClockSync.h"
#include "platform/DBusInhibitor.h"
#include "schedule/SdlAudioOutput.h"
#include "seating/XlsxSpreadsheet.h"
#include "ui/DesktopWorkbookOpener.h"
#include "ui/QtDialogs.h"
#include "ui/QtUrlOpener.h"
#include "ui/SystemClock.h"

namespace exambell {

class DesktopSeams {
  public:
    // With `audioStartsLater` the audio output opens nothing until audio().start().
    explicit DesktopSeams(bool audioStartsLater);
    DesktopSeams(const DesktopSeams&) = delete;
    DesktopSeams& operator=(const DesktopSeams&) = delete;

    // The seams for an Application; the folders are GBK (settingsDir empty: programDir).
    Platform platform(const Text& programDir, const Text& settingsDir = {});
    SdlAudioOutput& audio() { return audio_; }

  private:
    static SdlAudioOutput::Options audioOptions(Clock& clock, bool startLater);

    QtDialogs dialogs_;
    SystemClock clock_;
    SdlAudioOutput audio_;
    DBusClockSync clockSync_;
    DBusInhibitor inhibitor_;
    DesktopWorkbookOpener workbookOpener_;
    XlsxSpreadsheet spreadsheet_;
    QtUrlOpener urlOpener_;
};

}  // namespace exambell
