#pragma once
// Binds the seating-chart window's events to the class store, the seat grid and the export, and
// sizes the grid from the row and column fields as the window is created. It belongs to the
// window (a child QObject) and goes with it.

#include <QObject>
#include <functional>

#include "seating/ClassRoster.h"
#include "seating/SeatingChart.h"
#include "seating/SeatingExport.h"

namespace exambell {

class Clock;
class Dialogs;
class SeatingWindow;
class Spreadsheet;

class SeatingController : public QObject {
  public:
    // configFile: the full name of config.ini; beforeFirstSave: see ClassRoster.
    SeatingController(SeatingWindow& window, Dialogs& dialogs, Spreadsheet& spreadsheet,
                      const Clock& clock, Text configFile, std::function<void()> beforeFirstSave);

    ClassRoster& roster() { return roster_; }
    SeatingChart& chart() { return chart_; }
    SeatingExport& exporter() { return export_; }

  private:
    ClassRoster roster_;
    SeatingChart chart_;
    SeatingExport export_;
};

}  // namespace exambell
