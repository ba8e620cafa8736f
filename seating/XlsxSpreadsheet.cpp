#include "seating/XlsxSpreadsheet.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <random>
#include <system_error>

#include "text/Encoding.h"

namespace exambell {

namespace {

constexpr std::string_view kWorkbookExtension = ".xlsx";
constexpr std::string_view kFolderPrefix = "ExamBell-";
// Most file systems take 255 bytes per name; leave room for the extension.
constexpr std::size_t kMaxFileStemBytes = 200;

bool isUtf8Continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

}  // namespace

XlsxSpreadsheet::XlsxSpreadsheet(WorkbookOpener& opener, std::filesystem::path temporaryRoot)
    : opener_(opener), temporaryRoot_(std::move(temporaryRoot)) {}

bool XlsxSpreadsheet::start() {
    started_ = false;
    hasWorkbook_ = false;
    visible_ = false;
    caption_.clear();
    cells_.clear();
    started_ = opener_.canOpenWorkbooks();
    return started_;
}

void XlsxSpreadsheet::newWorkbook() {
    if (started_) {
        hasWorkbook_ = true;
        cells_.clear();
    }
}

void XlsxSpreadsheet::selectSheet(int) {
    // A new workbook here has exactly one worksheet, which is always the current one.
}

void XlsxSpreadsheet::setCaption(const Text& caption) {
    caption_ = caption;
}

void XlsxSpreadsheet::setVisible() {
    visible_ = true;
}

void XlsxSpreadsheet::setRange(const Text& from, const Text& to, const Text& value) {
    const auto first = parseAddress(from);
    const auto last = parseAddress(to);
    if (!hasWorkbook_ || !first || !last) {
        return;
    }
    const auto [top, bottom] = std::minmax(first->first, last->first);
    const auto [left, right] = std::minmax(first->second, last->second);
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            cells_[{r, c}] = value;
        }
    }
}

bool XlsxSpreadsheet::release() {
    const bool handOver = started_ && hasWorkbook_;
    started_ = false;
    hasWorkbook_ = false;
    if (!handOver) {
        return false;
    }
    const std::filesystem::path folder = freshFolder();
    if (folder.empty()) {
        return false;
    }
    const std::filesystem::path file = folder / std::filesystem::u8path(fileNameFor(caption_));
    if (!write(file, caption_, cells_)) {
        return false;
    }
    lastWorkbook_ = file;
    cells_.clear();
    return !visible_ || opener_.openWorkbook(file);
}

std::optional<std::pair<int, int>> XlsxSpreadsheet::parseAddress(std::string_view address) {
    std::size_t i = 0;
    long long column = 0;
    for (; i < address.size(); ++i) {
        const char c = address[i];
        int letter;
        if (c >= 'a' && c <= 'z') {
            letter = c - 'a' + 1;
        } else if (c >= 'A' && c <= 'Z') {
            letter = c - 'A' + 1;
        } else {
            break;
        }
        column = column * 26 + letter;
        if (column > LXW_COL_MAX) {
            return std::nullopt;
        }
    }
    if (i == 0 || i == address.size()) {
        return std::nullopt;
    }
    long long row = 0;
    for (; i < address.size(); ++i) {
        if (address[i] < '0' || address[i] > '9') {
            return std::nullopt;
        }
        row = row * 10 + (address[i] - '0');
        if (row > LXW_ROW_MAX) {
            return std::nullopt;
        }
    }
    if (row < 1) {
        return std::nullopt;
    }
    return std::pair<int, int>(static_cast<int>(row - 1), static_cast<int>(column - 1));
}

std::string XlsxSpreadsheet::fileNameFor(const Text& caption) {
    // Replaced in UTF-8, where no byte of a multi-byte character is ASCII (in GBK a trail byte
    // can be "\" or "|").
    std::string name = gbkToUtf8(caption);
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
            c = '_';
        }
    }
    if (name.size() > kMaxFileStemBytes) {
        std::size_t cut = kMaxFileStemBytes;
        while (cut > 0 && isUtf8Continuation(static_cast<unsigned char>(name[cut]))) {
            --cut;
        }
        name.resize(cut);
    }
    if (name.empty() || name == "." || name == "..") {
        name = "_";
    }
    return name + std::string(kWorkbookExtension);
}

std::filesystem::path XlsxSpreadsheet::freshFolder() const {
    std::random_device device;
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path folder =
            temporaryRoot_ / (std::string(kFolderPrefix) + std::to_string(device()));
        if (std::filesystem::create_directory(folder, error)) {
            return folder;
        }
        if (error) {
            return {};
        }
    }
    return {};
}

bool XlsxSpreadsheet::saveTable(const std::filesystem::path& file, const Text& caption,
                                const SeatTable& table) {
    Cells cells;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int j = 0; j < table.columnCount(); ++j) {
            cells[{r, j}] = table.cell(r, j);
        }
    }
    std::filesystem::path part = file;
    part += ".part";
    std::error_code error;
    if (!write(part, caption, cells)) {
        std::filesystem::remove(part, error);
        return false;
    }
    std::filesystem::rename(part, file, error);
    if (error) {
        std::filesystem::remove(part, error);
        return false;
    }
    return true;
}

bool XlsxSpreadsheet::write(const std::filesystem::path& file, const Text& caption,
                            const Cells& cells) {
    lxw_workbook* workbook = workbook_new(file.string().c_str());
    if (workbook == nullptr) {
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    std::string title = gbkToUtf8(caption);
    lxw_doc_properties properties{};
    properties.title = title.data();
    bool ok = sheet != nullptr && workbook_set_properties(workbook, &properties) == LXW_NO_ERROR;
    // A seat with its exam number holds two lines; wrapped, the cell shows both.
    lxw_format* lines = workbook_add_format(workbook);
    format_set_text_wrap(lines);
    format_set_align(lines, LXW_ALIGN_CENTER);
    for (const auto& [at, value] : cells) {
        if (!ok) {
            break;
        }
        if (value.empty()) {
            continue;  // an empty text leaves the cell blank, as in a new workbook
        }
        const std::string utf8 = gbkToUtf8(value);
        lxw_format* format = utf8.find('\n') == std::string::npos ? nullptr : lines;
        ok = worksheet_write_string(sheet, static_cast<lxw_row_t>(at.first),
                                    static_cast<lxw_col_t>(at.second), utf8.c_str(),
                                    format) == LXW_NO_ERROR;
    }
    // Closing writes the file and frees the workbook whatever happened before.
    const bool closed = workbook_close(workbook) == LXW_NO_ERROR;
    return ok && closed;
}

}  // namespace exambell
