#include "plans/SectionReplace.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>

#include "settings/FileCopy.h"
#include "text/Paths.h"

namespace exambell {
namespace {

bool isBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The name of a header line ("[" name "]", the name up to the last "]" that is a character of
// its own, blanks around it dropped), or nothing when the line is no header.
std::optional<std::string_view> headerName(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isBlank(static_cast<unsigned char>(line[i]))) {
        ++i;
    }
    if (i >= line.size() || line[i] != '[') {
        return std::nullopt;
    }
    const std::size_t begin = i + 1;
    std::size_t close = std::string_view::npos;
    for (std::size_t j = begin; j < line.size();) {
        const std::size_t length = gbkCharLength(line, j);
        if (length == 1 && line[j] == ']') {
            close = j;
        }
        j += length;
    }
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view name = line.substr(begin, close - begin);
    while (!name.empty() && isBlank(static_cast<unsigned char>(name.front()))) {
        name.remove_prefix(1);
    }
    while (!name.empty() && isBlank(static_cast<unsigned char>(name.back()))) {
        name.remove_suffix(1);
    }
    return name;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

Text withoutSection(std::string_view content, std::string_view section) {
    Text out;
    out.reserve(content.size());
    bool skipping = false;
    for (std::size_t at = 0; at < content.size();) {
        std::size_t end = content.find('\n', at);
        end = end == std::string_view::npos ? content.size() : end + 1;
        const std::string_view line = content.substr(at, end - at);
        if (const auto name = headerName(line)) {
            skipping = sameIgnoringAsciiCase(*name, section);
        }
        if (!skipping) {
            out += line;
        }
        at = end;
    }
    return out;
}

bool replaceSection(std::string_view configPath, std::string_view section,
                    std::string_view sectionText) {
    const std::filesystem::path target = nativePath(configPath);
    std::unique_ptr<std::FILE, FileCloser> old(std::fopen(target.c_str(), "rb"));
    if (!old && errno != ENOENT) {
        return false;
    }
    Text content;
    if (old) {
        if (isReadOnlyFile(target)) {
            return false;
        }
        char buffer[65536];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, old.get())) > 0) {
            content.append(buffer, got);
        }
        if (std::ferror(old.get())) {
            return false;
        }
    }
    Text next = withoutSection(content, section);
    if (!next.empty() && next.back() != '\n') {
        next += "\r\n";
    }
    next += sectionText;
    FileReplacement replacement(target);
    return replacement.open(old.get()) && replacement.append(next) && replacement.commit();
}

}  // namespace exambell
