// The profile store: reading arbitrary file bytes, and a write read back.
// Fields: file content, section, key, value, fallback.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/FuzzInput.h"
#include "settings/ProfileStore.h"
#include "text/Paths.h"

namespace {

using exambell::ProfileStore;
using exambell::Text;
using exambell::fuzz::check;
namespace fs = std::filesystem;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view cutAtNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// What a read gives back of a written value, as ProfileStore.h documents it: blanks around it
// and one pair of matching quotes dropped, cut after kMaxValueBytes at a character boundary.
Text expectedRead(std::string_view value) {
    value = cutAtNul(value);
    while (!value.empty() && isBlank(value.front())) {
        value.remove_prefix(1);
    }
    while (!value.empty() && isBlank(value.back())) {
        value.remove_suffix(1);
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    std::size_t end = 0;
    while (end < value.size()) {
        const std::size_t length = exambell::gbkCharLength(value, end);
        if (end + length > ProfileStore::kMaxValueBytes) {
            break;
        }
        end += length;
    }
    return Text(value.substr(0, end));
}

const fs::path& folder() {
    return exambell::fuzz::scratchFolder();
}

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::size_t filesIn(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const exambell::fuzz::Fields fields(data, size);
    const std::string_view content = fields[0];
    const std::string_view section = fields[1];
    const std::string_view key = fields[2];
    const std::string_view value = fields[3];
    const std::string_view fallback = fields[4];

    const fs::path file = folder() / "config.ini";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    const Text path = exambell::pathText(file);

    const Text before = ProfileStore::read(path, section, key, fallback);
    check(before.size() <= ProfileStore::kMaxValueBytes, "a read fits the buffer");

    const bool written = ProfileStore::write(path, section, key, value);
    check(filesIn(folder()) == 1, "no temporary file is left beside config.ini");
    if (!written) {
        check(contentOf(file) == content, "a refused write leaves the file as it was");
        return 0;
    }
    const Text after = ProfileStore::read(path, section, key, "\x01");
    check(after == expectedRead(value), "a written value reads back");
    // Writing the same again changes nothing.
    const std::string once = contentOf(file);
    check(ProfileStore::write(path, section, key, value), "a repeated write succeeds");
    check(contentOf(file) == once, "a repeated write keeps the file's bytes");
    return 0;
}
