#pragma once
// The one place where the seating-chart window's control events meet their operations. It
// belongs to the window (a child QObject) and goes with it; building it runs the window's
// creation handler.

#include <QObject>
#include <functional>

#include "seating/SeatingController.h"
#include "ui/QtChartOutput.h"
#include "ui/SeatingWindowAdapter.h"

namespace exambell {

class SeatingWindow;

class SeatingWindowBinder : public QObject {
  public:
    // configFile: the full name of config.ini; beforeFirstSave: see ClassRoster. output: where
    // the printed chart goes; nullptr: the real PDF writer and printer.
    SeatingWindowBinder(SeatingWindow& window, Dialogs& dialogs, Spreadsheet& spreadsheet,
                        const Clock& clock, Text configFile, std::function<void()> beforeFirstSave,
                        ChartOutput* output = nullptr);

    SeatingController& operations() { return operations_; }
    ClassRoster& roster() { return operations_.roster(); }

  private:
    QtChartOutput ownOutput_;
    SeatingWindowAdapter view_;
    SeatingController operations_;
};

}  // namespace exambell
