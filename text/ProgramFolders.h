#pragma once
// Where the program finds its shipped data and keeps config.ini.
//
// A portable folder (the recordings 语音文件库 beside the executable) that is writable keeps
// everything beside the program. An installed program (<prefix>/bin/exambell with its data in
// <prefix>/share/exambell, or any executable under /usr) or a folder the user cannot write keeps
// config.ini in a folder of its own per user: $XDG_CONFIG_HOME/exambell, or ~/.config/exambell
// with ~ from $HOME or, when that is unset (a service, cron), from the user's account. An
// installed program never writes beside its executable: without any home it has no settings
// folder, and its saves are refused.

#include <filesystem>

namespace exambell {

struct ProgramFolders {
    std::filesystem::path data;      // the recordings, the pictures, Qt's translation
    std::filesystem::path settings;  // config.ini; empty: no folder may hold it
    // A read-only portable folder whose config.ini (a prepared file on a write-protected share)
    // gives the starting settings while the settings folder has none of its own; empty: none.
    std::filesystem::path prepared;
};

// programDir: the executable's folder. xdgConfigHome and home: the environment's values or
// nullptr; accountHome: the home folder of the user's account (accountHome()) or nullptr.
// Creates the per-user folder when it is chosen (creation may fail: the saves then report their
// failure as they would in any unwritable folder).
ProgramFolders locateProgramFolders(const std::filesystem::path& programDir,
                                    const char* xdgConfigHome, const char* home,
                                    const char* accountHome);

// The home folder of the process's effective user in the account database; empty when unknown.
std::filesystem::path accountHome();

}  // namespace exambell
