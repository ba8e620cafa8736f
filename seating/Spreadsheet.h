#pragma once
// The spreadsheet seam: the operations the seating export drives, in the order it drives them.
// XlsxSpreadsheet is the real one; tests record the calls.

#include "text/Text.h"

namespace exambell {

class Spreadsheet {
  public:
    virtual ~Spreadsheet() = default;
    // Creates a new application object, releasing one still held. False when no spreadsheet
    // application can be started.
    virtual bool start() = 0;
    // Adds a workbook with the default template; its first worksheet becomes the current sheet.
    virtual void newWorkbook() = 0;
    // Makes worksheet number (1-based) of the workbook the current sheet.
    virtual void selectSheet(int number) = 0;
    // The application window's caption (GBK).
    virtual void setCaption(const Text& caption) = 0;
    virtual void setVisible() = 0;
    // Sets every cell of the range from..to of the current sheet (lower-case addresses such as
    // "a1", "ad3") to value (GBK).
    virtual void setRange(const Text& from, const Text& to, const Text& value) = 0;
    // Lets go of the workbook and the application without saving, closing or quitting anything;
    // the workbook stays open for the operator. False when it could not be handed over.
    virtual bool release() = 0;
};

}  // namespace exambell
