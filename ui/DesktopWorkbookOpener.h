#pragma once
// The desktop's spreadsheet application: LibreOffice Calc (or another known spreadsheet program)
// found on the search path; on Windows the application registered for .xlsx files.

#include "seating/WorkbookOpener.h"

namespace exambell {

class DesktopWorkbookOpener : public WorkbookOpener {
  public:
    bool canOpenWorkbooks() const override;
    bool openWorkbook(const std::filesystem::path& file) override;
};

}  // namespace exambell
