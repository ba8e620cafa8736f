#pragma once
// Spin box: a whole number in a fixed range, typed or stepped with its arrows (QSpinBox). Only
// what can become a number of the range can be typed: no letters, no units, nothing beyond the
// range. While the typed text is no number yet ("", "-") the box holds none.

#include <optional>

#include "text/Text.h"
#include "ui/Control.h"

class QSpinBox;

namespace exambell {

class SpinBox : public Control {
    Q_OBJECT
  public:
    SpinBox(QWidget* parent, const Text& designName, int minimum, int maximum, int initial);

    // The number the box shows now, typed text included; nullopt when its text is none.
    std::optional<int> value() const;
    void setValue(int value);
    Text text() const;

    QSpinBox* spinBox() const;
};

}  // namespace exambell
