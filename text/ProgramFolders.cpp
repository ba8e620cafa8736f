#include "text/ProgramFolders.h"

#include <fcntl.h>
#include <unistd.h>

#include <string_view>
#include <system_error>

namespace exambell {
namespace {

namespace fs = std::filesystem;

// The folder of the default recordings, as UTF-8 (a file name on the file system).
constexpr std::u8string_view kVoiceFolder = u8"语音文件库";
constexpr const char* kInstalledData = "share/exambell";
constexpr const char* kUserFolder = "exambell";

bool isFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool writable(const fs::path& folder) {
#ifdef _WIN32
    // Windows answers for the folder's ACL only when a file is made; assume a portable folder.
    (void)folder;
    return true;
#else
    // The effective user's rights: the one that will write config.ini.
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
#endif
}

}  // namespace

ProgramFolders locateProgramFolders(const fs::path& programDir, const char* xdgConfigHome,
                                    const char* home) {
    ProgramFolders folders{programDir, programDir};
    const fs::path installedData = programDir.parent_path() / fs::path(kInstalledData);
    const bool portable = isFolder(programDir / fs::path(kVoiceFolder));
    const bool installed = !portable && isFolder(installedData / fs::path(kVoiceFolder));
    if (installed) {
        folders.data = installedData;
    }
    if (!installed && writable(programDir)) {
        return folders;
    }
    fs::path base;
    if (xdgConfigHome && fs::path(xdgConfigHome).is_absolute()) {
        base = xdgConfigHome;
    } else if (home && fs::path(home).is_absolute()) {
        base = fs::path(home) / ".config";
    } else {
        return folders;
    }
    folders.settings = base / kUserFolder;
    std::error_code ec;
    fs::create_directories(folders.settings, ec);
    return folders;
}

}  // namespace exambell
