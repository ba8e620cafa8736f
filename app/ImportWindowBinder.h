#pragma once
// What each control of the import-settings window does: its signals are connected here and
// nowhere else. A child of the window: it and the operations it owns go when the window closes.

#include <QObject>
#include <functional>

#include "settings/SettingsMaintenance.h"
#include "text/Text.h"
#include "ui/ImportWindowAdapter.h"

namespace exambell {

class Dialogs;
class ImportWindow;

class ImportWindowBinder : public QObject {
  public:
    // startFolder: where the file dialog first opens. startUp reloads the main window after an
    // import or a reset.
    ImportWindowBinder(ImportWindow& window, Dialogs& dialogs, Text startFolder, Text configPath,
                       std::function<void()> startUp);

  private:
    ImportWindowAdapter view_;
    ImportSettings settings_;
};

}  // namespace exambell
