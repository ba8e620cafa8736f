#pragma once
// The named classes of the seating-chart window: importing or replacing a class from pasted
// text, listing the stored classes in the class box and loading the chosen one. The store lives
// only in config.ini (section "Class_", key "Student") and is re-read by every operation.

#include <functional>
#include <optional>

#include "platform/Dialogs.h"
#include "text/Text.h"

namespace exambell {

class SeatingView;

class ClassRoster {
  public:
    // configFile: the full name of config.ini. beforeFirstSave runs when a class is about to be
    // saved while config.ini does not exist yet (it writes the main window's cue settings, so
    // that the new file starts out whole); it may be empty.
    ClassRoster(SeatingView& view, Dialogs& dialogs, Text configFile,
                std::function<void()> beforeFirstSave);

    // When the class box is about to drop its list down: refills it with the stored classes.
    void listClasses();
    // When an entry of the class box is chosen: loads its class into the window.
    void chooseClass();
    // When the import button is clicked: checks the roster and saves it as the named class.
    void importClass();
    // Saves a class (names joined by ","), replacing one of the same name after a question. A
    // class saved under the name of the chosen one also replaces the names loaded for the chart.
    void saveClass(const Text& className, const Text& joinedNames);
    // When the rename button is clicked: the class chosen in the class box takes the name in
    // the class-name box, keeping its names and its place in the store.
    void renameClass();
    // When the delete button is clicked: removes the chosen class after a question.
    void deleteClass();

    Text readStore() const;
    // Whether config.ini now holds the store.
    bool writeStore(const Text& store) const;

    // The names of the class last chosen in the class box, joined by ","; empty before.
    const Text& chosenNames() const { return chosenNames_; }

  private:
    // The chosen entry's value when it still names the same class in store; otherwise the
    // list is rebuilt, the operator told so, and nothing is returned.
    std::optional<int> chosenStoredClass(const Text& store, const Text& shownName);
    int message(const Text& text, MessageButtons buttons, MessageIcon icon);

    SeatingView& view_;
    Dialogs& dialogs_;
    Text configFile_;
    std::function<void()> beforeFirstSave_;
    Text chosenNames_;
};

}  // namespace exambell
