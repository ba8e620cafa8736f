#pragma once
// A fresh folder for one test (a stand-in for the program directory), removed afterwards.

#include <filesystem>
#include <string>

#include "text/Text.h"

namespace exambell::test {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as a GBK text, the form the program's operations take.
    Text text() const;
    // Writes bytes to a file in the folder (name in UTF-8) and returns its native path.
    std::filesystem::path write(const std::string& name, const std::string& bytes) const;
    // The bytes of a file in the folder; empty when missing.
    std::string read(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& file);

}  // namespace exambell::test
