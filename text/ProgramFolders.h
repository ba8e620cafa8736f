#pragma once
// Where the program finds its shipped data and keeps config.ini.
//
// A portable folder (the recordings 语音文件库 beside the executable) that is writable keeps
// everything beside the program. An installed program (<prefix>/bin/exambell with its data in
// <prefix>/share/exambell) or a folder the user cannot write keeps config.ini in a folder of its
// own per user: $XDG_CONFIG_HOME/exambell, or ~/.config/exambell when that is unset.

#include <filesystem>

namespace exambell {

struct ProgramFolders {
    std::filesystem::path data;      // the recordings, the pictures, Qt's translation
    std::filesystem::path settings;  // config.ini
};

// programDir: the executable's folder. xdgConfigHome and home: the environment's values or
// nullptr. Creates the per-user folder when it is chosen (creation may fail: the saves then
// report their failure as they would in any unwritable folder).
ProgramFolders locateProgramFolders(const std::filesystem::path& programDir,
                                    const char* xdgConfigHome, const char* home);

}  // namespace exambell
