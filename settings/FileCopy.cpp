#include "settings/FileCopy.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "text/Paths.h"

namespace exambell {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunkBytes = 64 * 1024;
// How long a replacement waits for another writer of the same file (a save of another running
// copy of the program takes milliseconds) before it reports failure.
constexpr auto kLockPatience = std::chrono::milliseconds(500);
constexpr auto kLockRetry = std::chrono::milliseconds(2);

bool seekTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

#ifndef _WIN32
bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t done = ::write(fd, data, size);
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

// Opens path (never through a symbolic link) and takes its lock. A file left by a crashed writer
// is simply taken over. The lock belongs to the file, not the name: a writer that waited for it
// may find the name renamed away meanwhile, so it checks that the name still leads to its file.
int openLocked(const fs::path& path) {
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    bool retried = false;
    for (;;) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            // A leftover this user may not write (another user's, or read-only), or a symbolic
            // link that would lead the content elsewhere: replace it.
            if ((errno == EACCES || errno == EPERM || errno == ELOOP) && !retried &&
                ::unlink(path.c_str()) == 0) {
                retried = true;
                continue;
            }
            return -1;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat held {};
            struct stat named {};
            if (::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                return fd;
            }
        } else if (errno != EWOULDBLOCK) {
            ::close(fd);
            return -1;
        }
        ::close(fd);
        if (std::chrono::steady_clock::now() > deadline) {
            return -1;
        }
        std::this_thread::sleep_for(kLockRetry);
    }
}
#endif

}  // namespace

fs::path temporaryFor(const fs::path& target) {
    fs::path temporary = target;
    temporary += ".tmp";
    return temporary;
}

bool isReadOnlyFile(const fs::path& file) {
#ifdef _WIN32
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    return !ec && fs::exists(status) &&
           (status.permissions() & fs::perms::owner_write) == fs::perms::none;
#else
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return false;
    }
    // Effective ids: the process may act for another user than the one that started it.
    return (info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0;
#endif
}

FileReplacement::FileReplacement(fs::path target)
    : target_(std::move(target)), temporary_(temporaryFor(target_)) {}

FileReplacement::~FileReplacement() {
    if (fd_ < 0) {
        return;
    }
#ifdef _WIN32
    _close(fd_);
    if (!committed_) {
        std::error_code ec;
        fs::remove(temporary_, ec);
    }
#else
    // Still under the lock, so the name cannot lead to another writer's file yet.
    if (!committed_) {
        ::unlink(temporary_.c_str());
    }
    ::close(fd_);
#endif
}

bool FileReplacement::open(std::FILE* model) {
#ifdef _WIN32
    // Denying others any access is the lock here.
    if (_wsopen_s(&fd_, temporary_.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _SH_DENYRW,
                  _S_IREAD | _S_IWRITE) != 0) {
        fd_ = -1;
        return false;
    }
    static_cast<void>(model);
    return true;
#else
    fd_ = openLocked(temporary_);
    if (fd_ < 0) {
        return false;
    }
    if (::ftruncate(fd_, 0) != 0) {
        failed_ = true;
        return false;
    }
    struct stat info {};
    if (model != nullptr && ::fstat(::fileno(model), &info) == 0) {
        if (::fchmod(fd_, info.st_mode & 07777) != 0) {
            failed_ = true;
            return false;
        }
        // Root replacing another user's file hands it back to that user; where the file system
        // cannot, the file stays root's with the same content and permissions.
        if (::geteuid() == 0) {
            std::ignore = ::fchown(fd_, info.st_uid, info.st_gid);
        }
    } else if (model == nullptr && ::fchmod(fd_, 0644) != 0) {
        // A file taken over from a crash may carry another file's permissions.
        failed_ = true;
        return false;
    }
    return true;
#endif
}

bool FileReplacement::append(std::string_view bytes) {
    if (fd_ < 0 || failed_) {
        return false;
    }
#ifdef _WIN32
    for (std::size_t done = 0; done < bytes.size();) {
        const int n =
            _write(fd_, bytes.data() + done,
                   static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, kChunkBytes)));
        if (n <= 0) {
            failed_ = true;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
#else
    if (!writeAll(fd_, bytes.data(), bytes.size())) {
        failed_ = true;
        return false;
    }
#endif
    return true;
}

bool FileReplacement::appendRange(std::FILE* file, std::uint64_t from, std::uint64_t to) {
    if (!seekTo(file, from)) {
        failed_ = true;
        return false;
    }
    std::string chunk(kChunkBytes, '\0');
    for (std::uint64_t left = to - from; left > 0;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        const std::size_t got = std::fread(chunk.data(), 1, want, file);
        if (got > 0 && !append(std::string_view(chunk.data(), got))) {
            return false;
        }
        if (got < want) {
            // Only a copy up to the end may stop early, and only at the end of the file.
            if (std::ferror(file) || to != UINT64_MAX) {
                failed_ = true;
                return false;
            }
            return true;
        }
        left -= got;
    }
    return true;
}

bool FileReplacement::commit() {
    if (fd_ < 0 || failed_) {
        return false;
    }
#ifdef _WIN32
    bool ok = _commit(fd_) == 0;
    ok = _close(fd_) == 0 && ok;
    fd_ = -1;
    std::error_code ec;
    if (ok) {
        fs::rename(temporary_, target_, ec);
        ok = !ec;
    }
    if (!ok) {
        fs::remove(temporary_, ec);
    }
    committed_ = ok;
    return ok;
#else
    // The content must be on the disk before the rename makes it the file. The folder is not
    // flushed after the rename: a crash right after it leaves the old file or the new one, each
    // whole, and a save is many single-key writes that must stay fast. The lock is held until
    // the rename is done, so no other writer empties the file under it.
    committed_ = ::fdatasync(fd_) == 0 && ::rename(temporary_.c_str(), target_.c_str()) == 0;
    return committed_;
#endif
}

bool removeLeftoverTemporary(const fs::path& target) {
    const fs::path temporary = temporaryFor(target);
#ifdef _WIN32
    // A writer holds its temporary file open without sharing: the removal then fails.
    std::error_code ec;
    fs::remove(temporary, ec);
    return !ec;
#else
    struct stat named {};
    if (::lstat(temporary.c_str(), &named) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISREG(named.st_mode)) {
        // A symbolic link left in its place: only the link goes, never what it leads to.
        return S_ISLNK(named.st_mode) && ::unlink(temporary.c_str()) == 0;
    }
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    // A writer holds the lock from taking the file until its rename; the lock is free only on a
    // leftover. Unlinked under the lock, so the name cannot lead to a new writer's file yet.
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        struct stat held {};
        removed = ::fstat(fd, &held) == 0 && ::lstat(temporary.c_str(), &named) == 0 &&
                  held.st_dev == named.st_dev && held.st_ino == named.st_ino &&
                  ::unlink(temporary.c_str()) == 0;
    }
    ::close(fd);
    return removed;
#endif
}

bool copyFileOver(std::string_view source, std::string_view target) {
    std::error_code ec;
    const fs::path from = nativePath(source);
    const fs::path to = nativePath(target);
    if (source.empty() || target.empty() || !fs::is_regular_file(from, ec)) {
        return false;
    }
    if (isReadOnlyFile(to)) {
        return false;
    }
    if (fs::equivalent(from, to, ec)) {
        return true;
    }
#ifdef _WIN32
    std::FILE* in = _wfopen(from.c_str(), L"rb");
    std::FILE* old = _wfopen(to.c_str(), L"rb");
#else
    std::FILE* in = std::fopen(from.c_str(), "rbe");
    std::FILE* old = std::fopen(to.c_str(), "rbe");
#endif
    bool ok = in != nullptr;
    if (ok) {
        // The imported file takes the place of the old one with the old one's permissions.
        FileReplacement replacement(to);
        ok = replacement.open(old) && replacement.appendRange(in, 0, UINT64_MAX) &&
             replacement.commit();
    }
    if (in != nullptr) {
        std::fclose(in);
    }
    if (old != nullptr) {
        std::fclose(old);
    }
    return ok;
}

bool removeFile(std::string_view file) {
    if (file.empty()) {
        return false;
    }
    const fs::path path = nativePath(file);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        return true;
    }
    // A file that cannot even be looked at cannot be deleted either.
    if (ec) {
        return false;
    }
    if (isReadOnlyFile(path)) {
        return false;
    }
    return fs::remove(path, ec) && !ec;
}

}  // namespace exambell
