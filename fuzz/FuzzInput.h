#pragma once
// What the fuzz targets share: an input cut into fields, and the check that turns a broken
// property into a finding. Each target defines LLVMFuzzerTestOneInput; built with
// EXAMBELL_FUZZ it runs under libFuzzer, in the test build ReplayMain.cpp feeds it its corpus.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <stdlib.h>

namespace exambell::fuzz {

// Byte 0x1F (the unit separator, which has no meaning in the program's texts) cuts an input
// into fields; a field the input does not reach is empty.
class Fields {
  public:
    Fields(const std::uint8_t* data, std::size_t size) {
        const std::string_view all(reinterpret_cast<const char*>(data), size);
        std::size_t from = 0;
        for (std::size_t cut = all.find('\x1F'); cut != std::string_view::npos;
             cut = all.find('\x1F', from)) {
            fields_.push_back(all.substr(from, cut - from));
            from = cut + 1;
        }
        fields_.push_back(all.substr(from));
    }

    std::string_view operator[](std::size_t i) const {
        return i < fields_.size() ? fields_[i] : std::string_view();
    }
    std::size_t size() const { return fields_.size(); }

  private:
    std::vector<std::string_view> fields_;
};

// A byte of a field as a small number, for choices (0 when the field is empty).
inline unsigned choice(std::string_view field) {
    return field.empty() ? 0u : static_cast<unsigned char>(field.front());
}

// Aborts when a property does not hold: libFuzzer keeps the input as a crash.
inline void check(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

// A folder of this process's own for files, removed when the process ends; memory-backed where
// there is such a place, since every profile write flushes its file to the disk.
inline const std::filesystem::path& scratchFolder() {
    struct Folder {
        std::filesystem::path path;
        Folder() {
            namespace fs = std::filesystem;
            const fs::path base =
                fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
            std::string pattern = (base / "exambell-fuzz-XXXXXX").string();
            check(::mkdtemp(pattern.data()) != nullptr, "a scratch folder");
            path = pattern;
        }
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Folder folder;
    return folder.path;
}

}  // namespace exambell::fuzz
