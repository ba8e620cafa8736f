#pragma once
// Check box: an ordinary one, or one drawn as a push button that stays pressed while checked.
// clicked() is raised after the click has toggled the checked state; setChecked() raises nothing.

#include "text/Text.h"
#include "ui/Control.h"

class QAbstractButton;

namespace exambell {

class CheckBox : public Control {
    Q_OBJECT
  public:
    enum class Look { Box, PushButton };

    // An empty caption makes a caption-less box (its window gives it an accessible name).
    CheckBox(QWidget* parent, const Text& designName, const Text& caption, Look look = Look::Box);

    bool checked() const;
    void setChecked(bool checked);
    Text caption() const;
    void setCaption(const Text& caption);
    QAbstractButton* button() const;

  Q_SIGNALS:
    void clicked();
};

}  // namespace exambell
