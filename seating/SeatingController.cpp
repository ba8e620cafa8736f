#include "seating/SeatingController.h"

namespace exambell {

SeatingController::SeatingController(SeatingView& view, Dialogs& dialogs, Spreadsheet& spreadsheet,
                                     const Clock& clock, ChartOutput& output, Text configFile,
                                     std::function<void()> beforeFirstSave)
    : roster_(view, dialogs, std::move(configFile), std::move(beforeFirstSave)),
      chart_(view, dialogs, roster_),
      export_(view, spreadsheet, clock, dialogs, output, chart_) {}

void SeatingController::windowCreated() {
    chart_.resizeRows();
    chart_.resizeColumns();
}

}  // namespace exambell
