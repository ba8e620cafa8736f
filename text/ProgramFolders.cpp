#include "text/ProgramFolders.h"

#include <fcntl.h>
#ifndef _WIN32
#include <pwd.h>
#endif
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

// /usr holds what a package installed: nothing of the program's own may be written there.
bool underUsr(const fs::path& folder) {
    const fs::path normal = folder.lexically_normal();
    auto part = normal.begin();
    if (part == normal.end() || !normal.has_root_directory()) {
        return false;
    }
    ++part;  // the root
    return part != normal.end() && *part == "usr";
}

fs::path absoluteOrEmpty(const char* folder) {
    if (folder == nullptr || !fs::path(folder).is_absolute()) {
        return {};
    }
    return folder;
}

}  // namespace

fs::path accountHome() {
#ifdef _WIN32
    return {};
#else
    const passwd* account = ::getpwuid(::geteuid());
    if (account == nullptr || account->pw_dir == nullptr) {
        return {};
    }
    return absoluteOrEmpty(account->pw_dir);
#endif
}

ProgramFolders locateProgramFolders(const fs::path& programDir, const char* xdgConfigHome,
                                    const char* home, const char* accountHome) {
    ProgramFolders folders{programDir, programDir, {}};
    const fs::path installedData = programDir.parent_path() / fs::path(kInstalledData);
    const bool portable = isFolder(programDir / fs::path(kVoiceFolder));
    const bool withData = !portable && isFolder(installedData / fs::path(kVoiceFolder));
    // Not even a portable copy unpacked under /usr writes there.
    const bool system = underUsr(programDir);
    const bool installed = withData || (!portable && system);
    if (withData) {
        folders.data = installedData;
    }
    if (!installed && !system && writable(programDir)) {
        return folders;
    }
    fs::path base = absoluteOrEmpty(xdgConfigHome);
    if (base.empty()) {
        // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
        for (const char* candidate : {home, accountHome}) {
            const fs::path folder = absoluteOrEmpty(candidate);
            if (!folder.empty()) {
                base = folder / ".config";
                break;
            }
        }
    }
    if (base.empty()) {
        // A read-only portable folder still gives its config.ini to read (saves fail there as
        // in any unwritable folder); an installed program has nowhere to keep one.
        if (installed || system) {
            folders.settings.clear();
        }
        return folders;
    }
    folders.settings = base / kUserFolder;
    if (!installed) {
        folders.prepared = programDir;
    }
    std::error_code ec;
    fs::create_directories(folders.settings, ec);
    return folders;
}

}  // namespace exambell
