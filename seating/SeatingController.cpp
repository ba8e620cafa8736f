#include "seating/SeatingController.h"

#include "ui/SeatingWindow.h"

namespace exambell {

SeatingController::SeatingController(SeatingWindow& window, Dialogs& dialogs,
                                     Spreadsheet& spreadsheet, const Clock& clock, Text configFile,
                                     std::function<void()> beforeFirstSave)
    : QObject(&window),
      roster_(window, dialogs, std::move(configFile), std::move(beforeFirstSave)),
      chart_(window, dialogs, roster_),
      export_(window, spreadsheet, clock, dialogs) {
    connect(window.classBox, &ComboBox::aboutToDropDown, this, [this] { roster_.listClasses(); });
    connect(window.classBox, &ComboBox::itemChosen, this, [this] { roster_.chooseClass(); });
    connect(window.importButton, &Button::clicked, this, [this] { roster_.importClass(); });
    connect(window.rowsEdit, &EditBox::contentChanged, this, [this] { chart_.resizeRows(); });
    connect(window.columnsEdit, &EditBox::contentChanged, this, [this] { chart_.resizeColumns(); });
    connect(window.generateButton, &Button::clicked, this, [this] { chart_.generate(); });
    connect(window.exportButton, &Button::clicked, this, [this] { export_.exportToSpreadsheet(); });
    chart_.resizeRows();
    chart_.resizeColumns();
}

}  // namespace exambell
