#include "text/Paths.h"

#include <system_error>

#include "text/Encoding.h"

namespace exambell {

std::filesystem::path nativePath(std::string_view gbkPath) {
#ifdef _WIN32
    return std::filesystem::path(gbkToUtf16(gbkPath));
#else
    return std::filesystem::path(gbkToUtf8(gbkPath));
#endif
}

Text pathText(const std::filesystem::path& path) {
#ifdef _WIN32
    return utf16ToGbk(path.u16string());
#else
    return utf8ToGbk(path.native());
#endif
}

Text joinPath(std::string_view folder, std::string_view name) {
    Text out(folder);
    out += static_cast<char>(std::filesystem::path::preferred_separator);
    out += name;
    return out;
}

Text fileNamePart(std::string_view path) {
#ifdef _WIN32
    // "\" (0x5C) can be the trail byte of a double-byte character ("\xD5\x5C"), so scan by
    // characters.
    std::size_t cut = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (gbkCharLength(path, i) == 2) {
            ++i;
        } else if (c == '\\' || c == '/') {
            cut = i + 1;
        }
    }
    return Text(path.substr(cut));
#else
    std::size_t slash = path.rfind('/');
    return Text(slash == std::string_view::npos ? path : path.substr(slash + 1));
#endif
}

bool fileExists(std::string_view gbkPath) {
    if (gbkPath.empty()) {
        return false;
    }
    std::error_code ec;
    return std::filesystem::is_regular_file(nativePath(gbkPath), ec);
}

}  // namespace exambell
