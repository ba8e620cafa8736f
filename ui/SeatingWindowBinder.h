#pragma once
// The one place where the seating-chart window's control events meet their operations. It
// belongs to the window (a child QObject) and goes with it; building it runs the window's
// creation handler.

#include <QObject>
#include <QPointer>
#include <functional>

#include "seating/SeatingController.h"
#include "ui/QtChartOutput.h"
#include "ui/SeatingWindowAdapter.h"

namespace exambell {

class ArrangementWindow;
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
    // The arrangement window opened by 考场编排按钮, while it is open.
    ArrangementWindow* arrangementWindow() const;

  private:
    void openArrangement(SeatingWindow& window);

    QtChartOutput ownOutput_;
    SeatingWindowAdapter view_;
    SeatingController operations_;
    Dialogs& dialogs_;
    const Clock& clock_;
    Text configFile_;
    std::function<void()> beforeFirstSave_;
    QPointer<ArrangementWindow> arrangement_;
};

}  // namespace exambell
