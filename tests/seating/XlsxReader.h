#pragma once
// Reading a written .xlsx back: its parts through unzip, the first worksheet's cells as texts.

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "seating/WorkbookOpener.h"

namespace exambell::test {

inline std::string unzipMember(const std::filesystem::path& file, const std::string& member) {
    const std::string command = "unzip -p '" + file.string() + "' " + member;
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, n);
        }
        pclose(pipe);
    }
    return out;
}

// The cells of the first worksheet, upper-case reference -> UTF-8 text.
inline std::map<std::string, std::string> readCells(const std::filesystem::path& file) {
    std::vector<std::string> strings;
    const std::string shared = unzipMember(file, "xl/sharedStrings.xml");
    const std::regex si("<si><t[^>]*>([^<]*)</t></si>");
    for (auto it = std::sregex_iterator(shared.begin(), shared.end(), si);
         it != std::sregex_iterator(); ++it) {
        strings.push_back((*it)[1]);
    }
    std::map<std::string, std::string> cells;
    const std::string sheet = unzipMember(file, "xl/worksheets/sheet1.xml");
    const std::regex c("<c r=\"([A-Z]+[0-9]+)\"[^>]*t=\"s\"[^>]*><v>([0-9]+)</v></c>");
    for (auto it = std::sregex_iterator(sheet.begin(), sheet.end(), c);
         it != std::sregex_iterator(); ++it) {
        cells[(*it)[1]] = strings.at(std::stoul((*it)[2]));
    }
    return cells;
}

// The workbook's title (its document properties), UTF-8; "" when it has none.
inline std::string readTitle(const std::filesystem::path& file) {
    const std::string core = unzipMember(file, "docProps/core.xml");
    std::smatch match;
    return std::regex_search(core, match, std::regex("<dc:title>([^<]*)</dc:title>"))
               ? match[1].str()
               : std::string();
}

// Records the files it is asked to open instead of starting a program.
class RecordingOpener : public WorkbookOpener {
  public:
    bool available = true;
    bool opens = true;
    std::vector<std::filesystem::path> opened;

    bool canOpenWorkbooks() const override { return available; }
    bool openWorkbook(const std::filesystem::path& file) override {
        opened.push_back(file);
        return opens;
    }
};

}  // namespace exambell::test
