#pragma once
// Combo box: an editable drop-down or a drop-down list without typing, optionally sorted (items
// are placed by their text in Chinese pinyin order). Every item carries an integer value.
// Item indexes are 0-based; -1 means no entry is chosen.

#include "text/Text.h"
#include "ui/Control.h"

class QComboBox;

namespace exambell {

class ComboBox : public Control {
    Q_OBJECT
  public:
    enum class Kind { Editable, ListOnly };

    ComboBox(QWidget* parent, const Text& designName, Kind kind, bool sorted);

    // The box's text: the typed text of an editable box, else the chosen entry's ("" for none).
    Text text() const;
    // Editable boxes only: sets the typed text.
    void setText(const Text& text);
    int currentIndex() const;
    void setCurrentIndex(int index);
    int count() const;
    // Removes every entry; this also clears the current choice.
    void clear();
    // Adds an entry (at its sorted place in a sorted box) and returns its index. The current
    // choice stays as it was (adding to an empty list chooses nothing).
    int addItem(const Text& text, int value);
    Text itemText(int index) const;
    int itemValue(int index) const;
    // The value of the chosen entry, 0 when none is chosen.
    int currentValue() const;
    QComboBox* comboBox() const;

  Q_SIGNALS:
    // The user confirmed an entry; the choice has already taken effect.
    void itemChosen();
    // The list is about to open; a handler may refill it.
    void aboutToDropDown();

  private:
    bool sorted_;
};

}  // namespace exambell
