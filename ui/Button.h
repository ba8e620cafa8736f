#pragma once
// Push button with a caption; clicked() on every click.

#include "text/Text.h"
#include "ui/Control.h"

class QPushButton;

namespace exambell {

class Button : public Control {
    Q_OBJECT
  public:
    Button(QWidget* parent, const Text& designName, const Text& caption);

    Text caption() const;
    QPushButton* button() const;

  Q_SIGNALS:
    void clicked();
};

}  // namespace exambell
