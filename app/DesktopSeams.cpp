#include "app/DesktopSeams.h"

#include <QDBusConnection>
#include <cstdlib>
#include <filesystem>

#include "text/Paths.h"

namespace exambell {

DesktopSeams::DesktopSeams(bool audioStartsLater)
    : audio_(audioOptions(clock_, audioStartsLater)),
      clockSync_(QDBusConnection::systemBus()),
      inhibitor_(QDBusConnection::sessionBus(), QDBusConnection::systemBus()),
      spreadsheet_(workbookOpener_, std::filesystem::temp_directory_path()) {}

SdlAudioOutput::Options DesktopSeams::audioOptions(Clock& clock, bool startLater) {
    SdlAudioOutput::Options options;
    options.clock = &clock;
    options.startLater = startLater;
    return options;
}

Platform DesktopSeams::platform(const Text& programDir, const Text& settingsDir) {
    Platform platform;
    platform.programDir = programDir;
    platform.settingsDir = settingsDir;
    // The home folder only when HOME names one: "/" would be no better than the program's.
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/' && std::filesystem::is_directory(home)) {
        platform.homeDir = pathText(home);
    }
    platform.dialogs = &dialogs_;
    platform.clock = &clock_;
    platform.audio = &audio_;
    platform.spreadsheet = &spreadsheet_;
    platform.urlOpener = &urlOpener_;
    platform.clockSync = &clockSync_;
    platform.inhibitor = &inhibitor_;
    return platform;
}

}  // namespace exambell
