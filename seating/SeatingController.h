#pragma once
// The seating-chart window's operations over its view: the class store, the seat grid and the
// export, as one unit that the window's binder (ui/SeatingWindowBinder) calls.

#include <functional>

#include "seating/ClassRoster.h"
#include "seating/SeatingChart.h"
#include "seating/SeatingExport.h"

namespace exambell {

class Clock;
class Dialogs;
class SeatingView;
class Spreadsheet;

class SeatingController {
  public:
    // configFile: the full name of config.ini; beforeFirstSave: see ClassRoster. Every argument
    // must outlive the controller.
    SeatingController(SeatingView& view, Dialogs& dialogs, Spreadsheet& spreadsheet,
                      const Clock& clock, ChartOutput& output, Text configFile,
                      std::function<void()> beforeFirstSave);

    // The window's creation handler: sizes the grid from the row and column fields.
    void windowCreated();

    ClassRoster& roster() { return roster_; }
    SeatingChart& chart() { return chart_; }
    SeatingExport& exporter() { return export_; }

  private:
    ClassRoster roster_;
    SeatingChart chart_;
    SeatingExport export_;
};

}  // namespace exambell
