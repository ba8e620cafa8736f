#include "settings/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "text/Paths.h"

namespace exambell {
namespace {

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads from in and writes to out until the end of in.
bool copyStream(int in, int out) {
    char buffer[64 * 1024];
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0) {
            return true;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (!writeAll(out, buffer, static_cast<std::size_t>(n))) {
            return false;
        }
    }
}

}  // namespace

bool copyFileOver(std::string_view source, std::string_view target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path from = nativePath(source);
    const fs::path to = nativePath(target);
    if (source.empty() || !fs::is_regular_file(from, ec)) {
        return false;
    }
    if (fs::equivalent(from, to, ec)) {
        return true;
    }
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    std::string temp = (to.parent_path() / (to.filename().string() + ".XXXXXX")).string();
    int out = ::mkstemp(temp.data());
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = copyStream(in, out) && ::fsync(out) == 0;
    ::close(in);
    ok = ::close(out) == 0 && ok;
    // mkstemp creates the file 0600; a settings file is as readable as any other.
    ok = ok && ::chmod(temp.c_str(), 0644) == 0;
    ok = ok && ::rename(temp.c_str(), to.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
    }
    return ok;
}

}  // namespace exambell
