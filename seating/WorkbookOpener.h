#pragma once
// Hands a written workbook file to the desktop's spreadsheet application. DesktopWorkbookOpener is
// the real one; tests record the files instead of launching anything.

#include <filesystem>

namespace exambell {

class WorkbookOpener {
  public:
    virtual ~WorkbookOpener() = default;
    // Whether a spreadsheet application is there to be started.
    virtual bool canOpenWorkbooks() const = 0;
    // Opens the file in it without waiting for it; false when it could not be started.
    virtual bool openWorkbook(const std::filesystem::path& file) = 0;
};

}  // namespace exambell
