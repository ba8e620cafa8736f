#pragma once
// The INI profile store behind every read and write of config.ini, with the semantics of the
// Windows profile-string services (GetPrivateProfileString / WritePrivateProfileString): names
// match case-insensitively, blanks around names and values are dropped, the first occurrence of a
// section or key wins, a value is cut after 10,239 bytes, a line ends at CR LF, LF or a lone CR.
// All names and values are GBK bytes. A file that starts with a byte-order mark (UTF-16 LE or BE,
// UTF-8: what Notepad saves as "Unicode" or "UTF-8") is read and written in that form, as the
// services read and write it: its characters reach the caller as GBK ("?" for those GBK lacks),
// and a write puts the new line in the file's form, leaving every other byte as it was.

#include <cstddef>
#include <string_view>

#include "text/Text.h"

namespace exambell {

class ProfileStore {
  public:
    // What a read can return of one value: the service reads into a 10,240-byte buffer.
    static constexpr std::size_t kMaxValueBytes = 10239;

    // The value of key in section of file, or fallback when the file, section or key is missing.
    // An existing key with an empty value reads "". A value longer than kMaxValueBytes is cut
    // there (one byte earlier when the cut would split a double-byte character); the fallback
    // loses trailing blanks and is cut the same way. File, section and key lose leading characters
    // with codes up to 32 first; if any is then empty the result is "" and the file is not read.
    static Text read(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view fallback);

    // Writes key=value into section of file, creating file, section and key as needed (a new
    // section at the end of the file, a new key at the end of its section); an existing key keeps
    // its spelling and the rest of the file its bytes. The new content goes to a temporary file
    // beside the old one and is renamed over it, so a failed write leaves the old file whole.
    // Returns whether the file now holds the value: false when the file cannot be replaced
    // (read-only folder or file, full disk), when a name is empty, and for a section, key or
    // value that one line cannot hold (a CR or LF anywhere, "=" in the key, a key starting with
    // "[" or ";", a section name ending in a lone GBK lead byte, which would swallow its "]"), and
    // for bytes that are no GBK character going into a Unicode file (they would read back as
    // something else). A new file is GBK.
    // A value ends at a NUL, as a C string does.
    static bool write(std::string_view file, std::string_view section, std::string_view key,
                      std::string_view value);
};

}  // namespace exambell
