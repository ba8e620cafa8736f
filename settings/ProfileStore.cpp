#include "settings/ProfileStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "settings/FileCopy.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr const char* kLineEnd = "\r\n";

// Blanks the profile format drops around names and values. None of them can be the trail byte of
// a double-byte character, and neither can "=", ";", a quote, NUL or LF, so those are safe to
// look for byte by byte; "]" and ASCII letters can be trail bytes and need character awareness.
bool isBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Names compare like the Windows services compare them: ASCII letters without regard to case,
// every other byte exactly. Only single-byte characters fold; "\xB0\x41" is not "\xB0\x61".
bool sameName(std::string_view inFile, std::string_view sought) {
    return sameIgnoringAsciiCase(inFile, sought);
}

// A text as the C-string services see it: it ends at the first NUL.
std::string_view cutAtNul(std::string_view text) {
    std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

// The caller skips leading characters with codes up to 32 in file, section and key names.
std::string_view skipLeadingControls(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 32) {
        ++i;
    }
    return text.substr(i);
}

// A section or key name as it is looked up: leading codes up to 32 skipped by the caller, then
// trailing blanks dropped by the service.
std::string_view cleanName(std::string_view name) {
    std::string_view out = skipLeadingControls(cutAtNul(name));
    while (!out.empty() && isBlank(static_cast<unsigned char>(out.back()))) {
        out.remove_suffix(1);
    }
    return out;
}

// At most kMaxValueBytes of text, never ending in the first half of a double-byte character.
std::string_view cutToBuffer(std::string_view text) {
    if (text.size() <= ProfileStore::kMaxValueBytes) {
        return text;
    }
    std::size_t end = 0;
    while (end < ProfileStore::kMaxValueBytes) {
        std::size_t len = gbkCharLength(text, end);
        if (end + len > ProfileStore::kMaxValueBytes) {
            break;
        }
        end += len;
    }
    return text.substr(0, end);
}

// One pass over the bytes of a profile file, looking for the first occurrence of one section and,
// inside it, the first occurrence of one key. It keeps only bounded state per line (a name is
// compared through a buffer one byte longer than the sought name, a value is kept up to what the
// read buffer can hold), so a file of any size and lines of any length are scanned in constant
// memory. Lines:
//   blanks "[" name "]" ...   a section header (name up to the last "]", blanks around it dropped);
//                             without any "]" the line is neither header nor key
//   blanks ";" ...            a comment
//   blanks name "=" value     a key; blanks around name and value dropped, matching quotes
//                             around the value dropped, name and value cut at a NUL
//   anything else             ignored (a line without "=" is no key)
// Lines end at CR LF, at LF, or at a lone CR (as some editors and transfers leave them), like the
// system's services end them: a CR never becomes part of a name or a value.
class ProfileScanner {
  public:
    ProfileScanner(std::string_view section, std::string_view key) : section_(section), key_(key) {
        nameBuffer_.reserve(std::max(section.size(), key.size()) + 1);
    }

    // Scans the next bytes of the file; false once everything needed has been found (the key,
    // or the end of the section that lacks it).
    bool feed(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size && !done_;) {
            i = step(data, size, i);
        }
        offset_ += size;
        base_ = offset_;
        if (size > 0) {
            lastByte_ = static_cast<unsigned char>(data[size - 1]);
        }
        return !done_;
    }

    void finish() {
        if (!done_ && crPending_) {
            crPending_ = false;
            endLine(offset_, true);
        }
        if (!done_ && lineStart_ < offset_) {
            endLine(offset_, false);
        }
    }

    bool sectionFound() const { return sectionFound_; }
    bool keyFound() const { return keyFound_; }
    // The key line, LF included: [keyLineStart, keyLineEnd).
    std::uint64_t keyLineStart() const { return keyLineStart_; }
    std::uint64_t keyLineEnd() const { return keyLineEnd_; }
    // The key's name as the file spells it.
    const Text& keySpelling() const { return keySpelling_; }
    // Where a new key of the section goes: after its last key line, or after its header.
    std::uint64_t insertAt() const { return insertAt_; }
    // The line before insertAt() has no LF (it is the file's last line).
    bool insertNeedsLineEnd() const { return insertNeedsLineEnd_; }
    // Bytes scanned and whether they end with a LF (meaningful when the whole file was scanned).
    std::uint64_t scanned() const { return offset_; }
    bool endsWithLineEnd() const { return offset_ == 0 || lastByte_ == '\n' || lastByte_ == '\r'; }

    // The found key's value as the service returns it.
    Text value() const {
        std::size_t length = valueNulAt_ != kNone ? valueNulAt_ : valueLastNonBlankEnd_;
        unsigned char last = valueNulAt_ != kNone ? valuePrevious_ : valueLastNonBlank_;
        std::string_view value(valueBuffer_);
        if (length >= 2 && (value[0] == '"' || value[0] == '\'') &&
            last == static_cast<unsigned char>(value[0])) {
            value = value.substr(1, length - 2);
        } else {
            value = value.substr(0, length);
        }
        return Text(cutToBuffer(value));
    }

  private:
    enum class State { Lead, Skip, SkipFindEquals, Header, KeyName, ValueLead, Value };
    enum class Kind { Other, Header, Key };

    // Processes data[i...] and returns the index of the next byte to look at.
    std::size_t step(const char* data, std::size_t size, std::size_t i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (crPending_) {
            // The line ended at a CR: with the LF after it, or before this byte.
            crPending_ = false;
            if (c == '\n') {
                endLine(base_ + i + 1, true);
                return i + 1;
            }
            endLine(base_ + i, true);
            if (done_) {
                return i;
            }
        }
        if (c == '\r') {
            // Where the line ends (after the CR, or after an LF that follows it) is known with
            // the next byte; the line is over either way.
            if (state_ == State::KeyName) {
                kind_ = Kind::Other;
            }
            crPending_ = true;
            return i + 1;
        }
        switch (state_) {
            case State::Lead:
                return atLineStart(c, i);
            case State::Skip:
            case State::SkipFindEquals:
                return skipLine(data, size, i);
            case State::Header:
                headerByte(c, i);
                return i + 1;
            case State::KeyName:
                keyNameByte(c, i);
                return i + 1;
            case State::ValueLead:
                // Blanks before the value are dropped; its first byte is looked at again.
                if (c != '\n' && !isBlank(c)) {
                    state_ = State::Value;
                    return i;
                }
                if (c == '\n') {
                    endLine(base_ + i + 1, true);
                }
                return i + 1;
            case State::Value:
                valueByte(c, i);
                return i + 1;
        }
        return i + 1;
    }

    // Before the first non-blank byte of a line: it tells what the line is. A key line's first
    // byte is part of its name and is looked at again.
    std::size_t atLineStart(unsigned char c, std::size_t i) {
        if (c == '\n') {
            endLine(base_ + i + 1, true);
        } else if (c == '[') {
            beginName();
            state_ = State::Header;
            kind_ = Kind::Header;
        } else if (c == ';') {
            state_ = State::Skip;
        } else if (!isBlank(c)) {
            if (inSection_) {
                beginName();
                state_ = State::KeyName;
                return i;
            }
            state_ = State::Skip;
        }
        return i + 1;
    }

    // The rest of a line that cannot matter, up to its line end in one search. A line skipped
    // for its key name still counts as a key (for where a new key goes) when it holds an "=".
    std::size_t skipLine(const char* data, std::size_t size, std::size_t i) {
        const char* lf = static_cast<const char*>(std::memchr(data + i, '\n', size - i));
        std::size_t stop = lf != nullptr ? static_cast<std::size_t>(lf - data) : size;
        const char* cr = static_cast<const char*>(std::memchr(data + i, '\r', stop - i));
        if (cr != nullptr) {
            stop = static_cast<std::size_t>(cr - data);
        }
        if (state_ == State::SkipFindEquals && std::memchr(data + i, '=', stop - i) != nullptr) {
            kind_ = Kind::Key;
            state_ = State::Skip;
        }
        if (cr != nullptr) {
            return stop;  // step() takes the CR
        }
        if (lf == nullptr) {
            return size;
        }
        endLine(base_ + stop + 1, true);
        return stop + 1;
    }

    // A byte of a section header after its "[". The name ends at the last "]" that is a
    // character of its own, not the trail byte of a double-byte one.
    void headerByte(unsigned char c, std::size_t i) {
        if (c == '\n') {
            endLine(base_ + i + 1, true);
            return;
        }
        if (nameCount_ == 0 && isBlank(c)) {
            return;
        }
        if (afterLead_ && isGbkTrailByte(c)) {
            afterLead_ = false;
        } else {
            afterLead_ = isGbkLeadByte(c);
            if (c == ']') {
                bracketEnd_ = nameLastNonBlankEnd_;
            }
        }
        addNameByte(c, section_.size());
        // Outside the sought section only a header naming it matters (inside, any header ends
        // it): skip the rest of a line that can no longer name it.
        if (!inSection_ && !nameCanMatch(section_.size()) &&
            (bracketEnd_ == kNone || nameLength(bracketEnd_) != section_.size())) {
            kind_ = Kind::Other;
            state_ = State::Skip;
        }
    }

    // A byte of a key name, up to its "=".
    void keyNameByte(unsigned char c, std::size_t i) {
        if (c == '\n') {
            kind_ = Kind::Other;
            endLine(base_ + i + 1, true);
        } else if (c == '=') {
            kind_ = Kind::Key;
            const std::size_t length = nameLength(nameLastNonBlankEnd_);
            if (length == key_.size() &&
                sameName(std::string_view(nameBuffer_).substr(0, length), key_)) {
                keyMatched_ = true;
                keySpelling_ = nameBuffer_.substr(0, length);
                state_ = State::ValueLead;
            } else {
                state_ = State::Skip;
            }
        } else {
            addNameByte(c, key_.size());
            if (!nameCanMatch(key_.size())) {
                state_ = State::SkipFindEquals;
            }
        }
    }

    // A byte of the sought key's value, from its first non-blank byte.
    void valueByte(unsigned char c, std::size_t i) {
        if (c == '\n') {
            endLine(base_ + i + 1, true);
        } else if (c == 0) {
            valueNulAt_ = valueCount_;
            state_ = State::Skip;
        } else {
            // Two bytes beyond the buffer: room for an opening quote and for telling whether the
            // cut splits a character.
            if (valueCount_ < ProfileStore::kMaxValueBytes + 2) {
                valueBuffer_ += static_cast<char>(c);
            }
            ++valueCount_;
            if (!isBlank(c)) {
                valueLastNonBlankEnd_ = valueCount_;
                valueLastNonBlank_ = c;
            }
            valuePrevious_ = c;
        }
    }

    void beginName() {
        nameBuffer_.clear();
        nameCount_ = 0;
        nameLastNonBlankEnd_ = 0;
        nameNulAt_ = kNone;
        bracketEnd_ = kNone;
        afterLead_ = false;
    }

    void addNameByte(unsigned char c, std::size_t soughtSize) {
        if (c == 0 && nameNulAt_ == kNone) {
            nameNulAt_ = nameCount_;
        }
        if (!isBlank(c)) {
            nameLastNonBlankEnd_ = nameCount_ + 1;
        }
        if (nameCount_ <= soughtSize) {
            nameBuffer_ += static_cast<char>(c);
        }
        ++nameCount_;
    }

    // Length of a name that ends (blanks dropped) at trimmedEnd and is cut at its first NUL.
    std::size_t nameLength(std::size_t trimmedEnd) const {
        return nameNulAt_ != kNone ? std::min(nameNulAt_, trimmedEnd) : trimmedEnd;
    }

    // Whether the name being read can still come out as soughtSize bytes long, wherever it ends:
    // not once a NUL cuts it to another length, or it has more non-blank bytes than that and no
    // NUL. (A header name ends at its last "]", a key name at its "=".)
    bool nameCanMatch(std::size_t soughtSize) const {
        if (nameNulAt_ != kNone) {
            return nameNulAt_ == soughtSize;
        }
        return nameLastNonBlankEnd_ <= soughtSize;
    }

    void endLine(std::uint64_t end, bool hasLineEnd) {
        if (kind_ == Kind::Header && bracketEnd_ != kNone) {
            if (inSection_) {
                // The first occurrence of a section wins: its end is the end of the search.
                inSection_ = false;
                done_ = true;
            } else if (!sectionFound_) {
                std::size_t length = nameLength(bracketEnd_);
                if (length == section_.size() &&
                    sameName(std::string_view(nameBuffer_).substr(0, length), section_)) {
                    sectionFound_ = true;
                    inSection_ = true;
                    insertAt_ = end;
                    insertNeedsLineEnd_ = !hasLineEnd;
                }
            }
        } else if (kind_ == Kind::Key && inSection_) {
            insertAt_ = end;
            insertNeedsLineEnd_ = !hasLineEnd;
            if (keyMatched_) {
                keyFound_ = true;
                keyLineStart_ = lineStart_;
                keyLineEnd_ = end;
                done_ = true;
            }
        }
        state_ = State::Lead;
        kind_ = Kind::Other;
        lineStart_ = end;
    }

    const std::string_view section_;
    const std::string_view key_;

    State state_ = State::Lead;
    Kind kind_ = Kind::Other;
    std::uint64_t base_ = 0;    // file offset of the current chunk's first byte
    std::uint64_t offset_ = 0;  // bytes fed so far
    std::uint64_t lineStart_ = 0;
    unsigned char lastByte_ = 0;
    bool done_ = false;
    bool crPending_ = false;  // the last byte seen was a CR that ended its line

    bool inSection_ = false;
    bool sectionFound_ = false;
    std::uint64_t insertAt_ = 0;
    bool insertNeedsLineEnd_ = false;

    // The name being read (header or key), from its first non-blank byte.
    Text nameBuffer_;
    std::size_t nameCount_ = 0;
    std::size_t nameLastNonBlankEnd_ = 0;
    std::size_t nameNulAt_ = kNone;
    std::size_t bracketEnd_ = kNone;  // trimmed name end at the last "]" so far
    bool afterLead_ = false;

    bool keyMatched_ = false;
    bool keyFound_ = false;
    std::uint64_t keyLineStart_ = 0;
    std::uint64_t keyLineEnd_ = 0;
    Text keySpelling_;

    // The found key's value, from its first non-blank byte.
    Text valueBuffer_;
    std::size_t valueCount_ = 0;
    std::size_t valueLastNonBlankEnd_ = 0;
    unsigned char valueLastNonBlank_ = 0;
    unsigned char valuePrevious_ = 0;
    std::size_t valueNulAt_ = kNone;
};

class File {
  public:
    explicit File(std::FILE* file) : file_(file) {}
    ~File() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    std::FILE* get() const { return file_; }
    explicit operator bool() const { return file_ != nullptr; }

  private:
    std::FILE* file_;
};

bool seekTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

std::FILE* openForReading(const std::filesystem::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

// Scans file until the scanner has what it needs. False on a read error (the file is a folder,
// or the disk fails), which must not be taken for a file without the section.
bool scan(std::FILE* file, ProfileScanner& scanner) {
    std::string chunk(kChunkBytes, '\0');
    for (;;) {
        std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
        if (got > 0 && !scanner.feed(chunk.data(), got)) {
            return true;
        }
        if (got < chunk.size()) {
            if (std::ferror(file)) {
                return false;
            }
            scanner.finish();
            return true;
        }
    }
}

// How a file's text is stored, told by its byte-order mark as the system's services tell it: a
// file that Notepad saved as "Unicode" (UTF-16 LE), "Unicode big endian" or "UTF-8" is read and
// written in that form; any other file is GBK bytes.
enum class FileForm { Gbk, Utf8, Utf16Le, Utf16Be };

struct FileFormat {
    FileForm form = FileForm::Gbk;
    std::size_t markBytes = 0;
};

// Looks at the first bytes of file and leaves it at its start. False on a read error.
bool detectFormat(std::FILE* file, FileFormat& format) {
    unsigned char head[3] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    if (std::ferror(file) || !seekTo(file, 0)) {
        return false;
    }
    if (got >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
        format = {FileForm::Utf16Le, 2};
    } else if (got >= 2 && head[0] == 0xFE && head[1] == 0xFF) {
        format = {FileForm::Utf16Be, 2};
    } else if (got == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
        format = {FileForm::Utf8, 3};
    } else {
        format = {};
    }
    return true;
}

// A Unicode profile file as the GBK text the scanner reads (characters GBK lacks become "?", as
// they do for a program of the GBK code page reading such a file through the services), with
// the file offset of every line boundary: everything the scanner reports is a line boundary, the
// start or the end, so its findings map back to the file's own bytes and the lines around an edit
// keep every character, those that GBK lacks included.
class DecodedFile {
  public:
    explicit DecodedFile(FileFormat format) : format_(format) {}

    bool load(std::FILE* file) {
        std::string bytes;
        std::string chunk(kChunkBytes, '\0');
        if (!seekTo(file, format_.markBytes)) {
            return false;
        }
        for (;;) {
            const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
            bytes.append(chunk.data(), got);
            if (got < chunk.size()) {
                if (std::ferror(file)) {
                    return false;
                }
                break;
            }
        }
        boundaries_.emplace_back(0, format_.markBytes);
        if (format_.form == FileForm::Utf8) {
            decodeUtf8(bytes);
        } else {
            decodeUtf16(bytes);
        }
        return true;
    }

    const Text& text() const { return text_; }

    // The file offset of a line boundary of text(); false for any other offset.
    bool fileOffset(std::uint64_t textOffset, std::uint64_t& offset) const {
        const auto found = std::lower_bound(boundaries_.begin(), boundaries_.end(), textOffset,
                                            [](const std::pair<std::uint64_t, std::uint64_t>& b,
                                               std::uint64_t t) { return b.first < t; });
        if (found == boundaries_.end() || found->first != textOffset) {
            return false;
        }
        offset = found->second;
        return true;
    }

    // A GBK text in the file's form; false when it does not come back as the same text (bytes
    // that are no GBK character), which would write something else than what was asked.
    bool encode(std::string_view gbk, Text& out) const {
        if (format_.form == FileForm::Utf8) {
            out = gbkToUtf8(gbk);
            return utf8ToGbk(out) == gbk;
        }
        const std::u16string units = gbkToUtf16(gbk);
        if (utf16ToGbk(units) != gbk) {
            return false;
        }
        out.clear();
        out.reserve(units.size() * 2);
        for (char16_t unit : units) {
            const auto low = static_cast<char>(unit & 0xFF);
            const auto high = static_cast<char>(unit >> 8);
            out += format_.form == FileForm::Utf16Le ? low : high;
            out += format_.form == FileForm::Utf16Le ? high : low;
        }
        return true;
    }

  private:
    // Converts line by line, each with its CR or LF: a line break is never part of a character
    // in either form, so the lines are the file's lines.
    void decodeUtf8(const std::string& bytes) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' || bytes[i] == '\n') {
                text_ += utf8ToGbk(std::string_view(bytes).substr(start, i + 1 - start));
                start = i + 1;
                boundaries_.emplace_back(text_.size(), format_.markBytes + start);
            }
        }
        text_ += utf8ToGbk(std::string_view(bytes).substr(start));
        boundaries_.emplace_back(text_.size(), format_.markBytes + bytes.size());
    }

    // A last odd byte is no character; it stays in the file after everything the edits insert.
    void decodeUtf16(const std::string& bytes) {
        std::u16string line;
        const std::size_t units = bytes.size() / 2;
        for (std::size_t i = 0; i < units; ++i) {
            const auto first = static_cast<unsigned char>(bytes[2 * i]);
            const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
            const auto unit = static_cast<char16_t>(
                format_.form == FileForm::Utf16Le ? first | second << 8 : second | first << 8);
            line += unit;
            if (unit == u'\r' || unit == u'\n') {
                text_ += utf16ToGbk(line);
                line.clear();
                boundaries_.emplace_back(text_.size(), format_.markBytes + 2 * (i + 1));
            }
        }
        text_ += utf16ToGbk(line);
        boundaries_.emplace_back(text_.size(), format_.markBytes + 2 * units);
    }

    FileFormat format_;
    Text text_;
    // (offset in text(), offset in the file), ascending in both.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> boundaries_;
};

// The new file's bytes: the old file with [from, to) replaced by insert.
struct Edit {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    Text insert;
};

// Writes the edited content beside target and renames it over target (see FileReplacement).
bool replaceFile(const std::filesystem::path& target, std::FILE* old, const Edit& edit) {
    // Replacing the file needs only a writable folder, but a file that may not be written (a
    // read-only file, or not ours to write) stays as it is, as the system's services keep it.
    if (old != nullptr && isReadOnlyFile(target)) {
        return false;
    }
    FileReplacement replacement(target);
    if (!replacement.open(old)) {
        return false;
    }
    if (old != nullptr && !replacement.appendRange(old, 0, edit.from)) {
        return false;
    }
    if (!replacement.append(edit.insert)) {
        return false;
    }
    if (old != nullptr && !replacement.appendRange(old, edit.to, UINT64_MAX)) {
        return false;
    }
    return replacement.commit();
}

// A line break in a name or value would start a new line of the file (another key, even a
// section).
bool fitsOneLine(std::string_view text) {
    return text.find_first_of("\r\n") == std::string_view::npos;
}

// Whether a cleaned section name reads back from its header line: a name ending in a lone GBK
// lead byte would take the closing "]" as its trail byte, so the header never ends, the value
// can never be read and every later write appends another copy of the section.
bool headerHoldsName(std::string_view name) {
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = gbkCharLength(name, i);
        if (i + length == name.size() && length == 1 &&
            isGbkLeadByte(static_cast<unsigned char>(name[i]))) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

Text ProfileStore::read(std::string_view file, std::string_view section, std::string_view key,
                        std::string_view fallback) {
    std::string_view path = skipLeadingControls(cutAtNul(file));
    std::string_view sectionName = cleanName(section);
    std::string_view keyName = cleanName(key);
    if (path.empty() || sectionName.empty() || keyName.empty()) {
        return Text();
    }
    // The services drop trailing blanks of the default.
    std::string_view byDefault = cutAtNul(fallback);
    while (!byDefault.empty() && byDefault.back() == ' ') {
        byDefault.remove_suffix(1);
    }
    byDefault = cutToBuffer(byDefault);

    File in(openForReading(nativePath(path)));
    if (!in) {
        return Text(byDefault);
    }
    ProfileScanner scanner(sectionName, keyName);
    FileFormat format;
    if (!detectFormat(in.get(), format)) {
        return Text(byDefault);
    }
    if (format.form == FileForm::Gbk) {
        if (!scan(in.get(), scanner)) {
            return Text(byDefault);
        }
    } else {
        DecodedFile decoded(format);
        if (!decoded.load(in.get())) {
            return Text(byDefault);
        }
        scanner.feed(decoded.text().data(), decoded.text().size());
        scanner.finish();
    }
    return scanner.keyFound() ? scanner.value() : Text(byDefault);
}

bool ProfileStore::write(std::string_view file, std::string_view section, std::string_view key,
                         std::string_view value) {
    std::string_view path = skipLeadingControls(cutAtNul(file));
    std::string_view sectionName = cleanName(section);
    std::string_view keyName = cleanName(key);
    value = cutAtNul(value);
    // "=" would end the key name early, and a key starting with "[" or ";" would read back as a
    // header or a comment.
    if (path.empty() || sectionName.empty() || keyName.empty() || !fitsOneLine(section) ||
        !fitsOneLine(key) || !fitsOneLine(value) || !headerHoldsName(sectionName) ||
        keyName.find('=') != std::string_view::npos || keyName.front() == '[' ||
        keyName.front() == ';') {
        return false;
    }

    std::filesystem::path target = nativePath(path);
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        // Replace the file the link points to, not the link.
        std::filesystem::path resolved = std::filesystem::canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }

    File old(openForReading(target));
    if (!old && errno != ENOENT) {
        return false;  // an old file we cannot read must not be replaced by one without it
    }
    Edit edit;
    Text line = Text(keyName) + "=" + Text(value) + kLineEnd;
    if (!old) {
        edit.insert = "[" + Text(sectionName) + "]" + kLineEnd + line;
        return replaceFile(target, nullptr, edit);
    }
    FileFormat format;
    if (!detectFormat(old.get(), format)) {
        return false;
    }
    ProfileScanner scanner(sectionName, keyName);
    DecodedFile decoded(format);
    if (format.form == FileForm::Gbk) {
        if (!scan(old.get(), scanner)) {
            return false;
        }
    } else {
        if (!decoded.load(old.get())) {
            return false;
        }
        scanner.feed(decoded.text().data(), decoded.text().size());
        scanner.finish();
    }
    if (scanner.keyFound()) {
        // Replace the whole line, keeping the key's spelling in the file.
        edit.from = scanner.keyLineStart();
        edit.to = scanner.keyLineEnd();
        edit.insert = scanner.keySpelling() + "=" + Text(value) + kLineEnd;
    } else if (scanner.sectionFound()) {
        edit.from = edit.to = scanner.insertAt();
        edit.insert = (scanner.insertNeedsLineEnd() ? kLineEnd : "") + line;
    } else {
        edit.from = edit.to = scanner.scanned();
        edit.insert = Text(scanner.endsWithLineEnd() ? "" : kLineEnd) + "[" + Text(sectionName) +
                      "]" + kLineEnd + line;
    }
    if (format.form != FileForm::Gbk) {
        // A Unicode file stays in its form: the new line goes in as the file's own characters.
        Text encoded;
        if (!decoded.encode(edit.insert, encoded) || !decoded.fileOffset(edit.from, edit.from) ||
            !decoded.fileOffset(edit.to, edit.to)) {
            return false;
        }
        edit.insert = std::move(encoded);
    }
    if (scanner.keyFound() && edit.to - edit.from == edit.insert.size()) {
        std::string before(edit.insert.size(), '\0');
        if (seekTo(old.get(), edit.from) &&
            std::fread(before.data(), 1, before.size(), old.get()) == before.size() &&
            before == edit.insert) {
            return true;  // the file already holds exactly this line
        }
    }
    return replaceFile(target, old.get(), edit);
}

}  // namespace exambell
