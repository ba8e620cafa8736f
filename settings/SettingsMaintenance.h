#pragma once
// Changes of config.ini as a whole: the save while a run may be active, the import of a prepared
// file (chosen in the import window's file dialog or dropped on it) and the factory reset. After
// an import or a reset the main window is reloaded by running start-up again; that and the run's
// pause live above this layer, so they arrive as callbacks.

#include <functional>
#include <string_view>

#include "text/Text.h"

namespace exambell {

class Dialogs;
class ImportView;

// True exactly when the text after the last path separator is "config.ini", byte for byte. A
// text without a separator, and several dropped names (each ended by "\r\n"), are refused.
bool checkImportName(std::string_view fullName);

struct RunHooks {
    std::function<bool()> isRunning;
    // Ends the active run: clears the run state and performs the pause.
    std::function<void()> pauseRun;
};

// The save button: saves at once while idle; during a run asks first (OK-Cancel, owned by no
// window) and, on OK, saves and pauses the run whatever the save reported.
void saveWithPause(Dialogs& dialogs, const RunHooks& run,
                   const std::function<void()>& saveSettings);

// The operations of one import-settings window; its binder (app/) owns it and connects the
// window's controls to it.
class ImportSettings {
  public:
    // Prepares the window's file dialog, which first opens in startFolder (GBK): where the
    // operator keeps files (the home folder, or the folder of the last file chosen), never the
    // program's own folder of an installed program.
    ImportSettings(ImportView& window, Dialogs& dialogs, Text startFolder, Text configPath,
                   std::function<void()> startUp);

    void prepareImportWindow();
    void chooseImportFile();
    void takeDroppedFile(const Text& names);
    void applyImport();
    void factoryReset();

  private:
    void importIfNamed();
    void tell(const Text& message);

    ImportView& window_;
    Dialogs& dialogs_;
    Text startFolder_;
    Text configPath_;
    std::function<void()> startUp_;
};

}  // namespace exambell
