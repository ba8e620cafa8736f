#include "ui/SeatingWindowBinder.h"

#include "ui/ArrangementWindow.h"
#include "ui/ArrangementWindowBinder.h"
#include "ui/SeatingWindow.h"

namespace exambell {

SeatingWindowBinder::SeatingWindowBinder(SeatingWindow& window, Dialogs& dialogs,
                                         Spreadsheet& spreadsheet, const Clock& clock,
                                         Text configFile, std::function<void()> beforeFirstSave,
                                         ChartOutput* output)
    : QObject(&window),
      view_(window),
      operations_(view_, dialogs, spreadsheet, clock, output ? *output : ownOutput_, configFile,
                  beforeFirstSave),
      dialogs_(dialogs),
      clock_(clock),
      configFile_(std::move(configFile)),
      beforeFirstSave_(std::move(beforeFirstSave)) {
    ClassRoster& roster = operations_.roster();
    SeatingChart& chart = operations_.chart();
    SeatingExport& exporter = operations_.exporter();
    connect(window.classBox, &ComboBox::aboutToDropDown, this, [&roster] { roster.listClasses(); });
    connect(window.classBox, &ComboBox::itemChosen, this, [&roster] { roster.chooseClass(); });
    connect(window.importButton, &Button::clicked, this, [&roster] { roster.importClass(); });
    connect(window.renameButton, &Button::clicked, this, [&roster] { roster.renameClass(); });
    connect(window.deleteButton, &Button::clicked, this, [&roster] { roster.deleteClass(); });
    connect(window.rowsEdit, &EditBox::contentChanged, this, [&chart] { chart.resizeRows(); });
    connect(window.columnsEdit, &EditBox::contentChanged, this,
            [&chart] { chart.resizeColumns(); });
    connect(window.generateButton, &Button::clicked, this, [&chart] { chart.generate(); });
    connect(window.reproduceButton, &Button::clicked, this, [&chart] { chart.generateFromCode(); });
    connect(window.exportButton, &Button::clicked, this,
            [&exporter] { exporter.exportToSpreadsheet(); });
    connect(window.pdfButton, &Button::clicked, this, [&exporter] { exporter.exportPdf(); });
    connect(window.printButton, &Button::clicked, this, [&exporter] { exporter.printChart(); });
    connect(window.saveWorkbookButton, &Button::clicked, this,
            [&exporter] { exporter.saveWorkbook(); });
    connect(window.roomsButton, &Button::clicked, this,
            [this, &window] { openArrangement(window); });
    operations_.windowCreated();
}

ArrangementWindow* SeatingWindowBinder::arrangementWindow() const {
    return arrangement_.data();
}

void SeatingWindowBinder::openArrangement(SeatingWindow& window) {
    if (!arrangement_) {
        arrangement_ = new ArrangementWindow(&window);
        arrangement_->setAttribute(Qt::WA_DeleteOnClose);
        // The binder belongs to the window and goes with it.
        new ArrangementWindowBinder(*arrangement_, dialogs_, clock_, configFile_, beforeFirstSave_);
    }
    arrangement_->show();
    arrangement_->raise();
    arrangement_->activateWindow();
}

}  // namespace exambell
