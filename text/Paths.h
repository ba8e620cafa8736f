#pragma once
// File names inside the program are GBK texts; the file system on Linux wants UTF-8.

#include <filesystem>
#include <string_view>

#include "text/Text.h"

namespace exambell {

// The native path of a GBK file name.
std::filesystem::path nativePath(std::string_view gbkPath);
// The GBK text of a native path.
Text pathText(const std::filesystem::path& path);
// folder + the native separator + name (the program builds "dir\name" on Windows).
Text joinPath(std::string_view folder, std::string_view name);
// The text after the last separator ("/" here; "/" and "\" on Windows).
Text fileNamePart(std::string_view path);
bool fileExists(std::string_view gbkPath);

}  // namespace exambell
