#include "ui/ArrangementWindowBinder.h"

#include <QCoreApplication>

#include "ui/ArrangementWindow.h"

namespace exambell {

ArrangementWindowBinder::ArrangementWindowBinder(ArrangementWindow& window, Dialogs& dialogs,
                                                 const Clock& clock, Text configFile,
                                                 std::function<void()> beforeFirstSave)
    : QObject(&window),
      // Timers (the one-second tick) run between the pages; clicks wait until the file is done.
      output_([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }),
      view_(window),
      operations_(view_, dialogs, clock, output_, std::move(configFile),
                  std::move(beforeFirstSave)) {
    RoomArrangement& o = operations_;
    connect(window.importButton, &Button::clicked, this, [&o] { o.importClass(); });
    connect(window.classList, &ComboBox::itemChosen, this, [&o] { o.chooseClass(); });
    connect(window.deleteButton, &Button::clicked, this, [&o] { o.deleteClass(); });
    connect(window.batchButton, &Button::clicked, this, [&o] { o.listRooms(); });
    connect(window.arrangeButton, &Button::clicked, this, [&o] { o.arrange(); });
    connect(window.reproduceButton, &Button::clicked, this, [&o] { o.arrangeFromCode(); });
    connect(window.pdfButton, &Button::clicked, this, [&o] { o.exportPdf(); });
    connect(window.labelsButton, &Button::clicked, this, [&o] { o.exportLabels(); });
    connect(window.workbookButton, &Button::clicked, this, [&o] { o.exportWorkbook(); });
    operations_.windowOpened();
}

}  // namespace exambell
