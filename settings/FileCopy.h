#pragma once
// Whole-file replacement of config.ini, shared by the profile writer, the import and the reset.
//
// New content goes to a temporary file beside the target, is flushed to disk and renamed over it,
// so the target is at every moment either the old file or the complete new one. The temporary
// file has one fixed name per target (target + ".tmp"): a crash between writing and renaming
// leaves at most that one file, and the next replacement takes it over and renames it away. An
// exclusive lock on it keeps two writers (two running copies of the program) apart.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace exambell {

// The temporary name every replacement of target uses.
std::filesystem::path temporaryFor(const std::filesystem::path& target);

// True when the file exists and may not be written by this process: its permission bits deny
// the process's effective user, or have no write bit at all (root may write anything, but a file
// marked read-only is left alone, as the profile services of the system leave it).
bool isReadOnlyFile(const std::filesystem::path& file);

// Deletes the temporary file of target that a writer killed between writing and renaming left
// behind. One that a running writer holds (another copy of the program saving this moment) stays.
// False when a leftover stays.
bool removeLeftoverTemporary(const std::filesystem::path& target);

// Copies source over target. A source that is a folder or cannot be read, a read-only target,
// a target folder that cannot be written and an empty target give false, and the target stays
// as it was.
bool copyFileOver(std::string_view source, std::string_view target);

// Deletes file; true also when it does not exist. A read-only file and an empty name are
// refused (false).
bool removeFile(std::string_view file);

// One replacement of a file's content.
class FileReplacement {
  public:
    explicit FileReplacement(std::filesystem::path target);
    // Removes the temporary file unless commit() renamed it.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Takes the temporary file (created, or left by a crash) and empties it. The new file keeps
    // the permissions and, where allowed, the owner of `model` (the open old file) when given.
    // False when the folder refuses the file or another writer holds it for too long.
    bool open(std::FILE* model);
    bool append(std::string_view bytes);
    // Appends bytes [from, to) of file; to = UINT64_MAX: up to its end.
    bool appendRange(std::FILE* file, std::uint64_t from, std::uint64_t to);
    // Flushes the content to disk and renames it over the target.
    bool commit();

  private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    bool failed_ = false;
    bool committed_ = false;
};

}  // namespace exambell
