#pragma once
// The spreadsheet seam over libxlsxwriter: the workbook is kept in memory while it is filled and,
// on release, written as "<caption>.xlsx" into a fresh folder of its own under the temporary
// folder and opened in the desktop's spreadsheet application, whose window then shows the
// caption as its title. Every export makes a new folder; nothing written earlier is touched.

#include <filesystem>
#include <map>
#include <optional>
#include <utility>

#include "seating/SeatTable.h"
#include "seating/Spreadsheet.h"
#include "seating/WorkbookOpener.h"

namespace exambell {

class XlsxSpreadsheet : public Spreadsheet {
  public:
    // temporaryRoot: where the per-export folders are made (the system's temporary folder).
    XlsxSpreadsheet(WorkbookOpener& opener, std::filesystem::path temporaryRoot);

    bool start() override;
    void newWorkbook() override;
    void selectSheet(int number) override;
    void setCaption(const Text& caption) override;
    void setVisible() override;
    void setRange(const Text& from, const Text& to, const Text& value) override;
    bool release() override;

    // The file the last release wrote (empty before the first).
    const std::filesystem::path& lastWorkbook() const { return lastWorkbook_; }

    // 0-based (row, column) of a cell address such as "a1" or "AD3"; nothing when malformed or
    // outside a worksheet.
    static std::optional<std::pair<int, int>> parseAddress(std::string_view address);
    // The file name for a caption: UTF-8, characters no file system takes replaced by "_", cut
    // to a length every file system takes, with ".xlsx" appended.
    static std::string fileNameFor(const Text& caption);

    // Writes the cells of table as a workbook titled caption to file: first beside it under
    // another name, then renamed over it, so that a failure leaves a file that was there whole.
    static bool saveTable(const std::filesystem::path& file, const Text& caption,
                          const SeatTable& table);

  private:
    using Cells = std::map<std::pair<int, int>, Text>;
    static bool write(const std::filesystem::path& file, const Text& caption, const Cells& cells);
    std::filesystem::path freshFolder() const;

    WorkbookOpener& opener_;
    std::filesystem::path temporaryRoot_;
    bool started_ = false;
    bool hasWorkbook_ = false;
    bool visible_ = false;
    Text caption_;
    Cells cells_;  // GBK, by 0-based (row, column) of sheet 1
    std::filesystem::path lastWorkbook_;
};

}  // namespace exambell
