#pragma once
// Whole-file replacement of config.ini.

#include <string_view>

namespace exambell {

// Copies source over target. The bytes go to a temporary file beside target, are flushed to disk
// and renamed over it, so target is either the old file or the complete new one. A source that is
// a folder or cannot be read, and a target folder that cannot be written, give false.
bool copyFileOver(std::string_view source, std::string_view target);

}  // namespace exambell
