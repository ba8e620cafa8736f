#include "ui/SeatingWindowBinder.h"

#include "ui/SeatingWindow.h"

namespace exambell {

SeatingWindowBinder::SeatingWindowBinder(SeatingWindow& window, Dialogs& dialogs,
                                         Spreadsheet& spreadsheet, const Clock& clock,
                                         Text configFile, std::function<void()> beforeFirstSave,
                                         ChartOutput* output)
    : QObject(&window),
      view_(window),
      operations_(view_, dialogs, spreadsheet, clock, output ? *output : ownOutput_,
                  std::move(configFile), std::move(beforeFirstSave)) {
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
    operations_.windowCreated();
}

}  // namespace exambell
