#pragma once
// Image button: a toggle button showing a picture (one for each toggle state). Every click flips
// the checked state before clicked() is raised; setChecked() raises nothing.

#include "text/Text.h"
#include "ui/Control.h"

class QImage;
class QPushButton;

namespace exambell {

class ImageButton : public Control {
    Q_OBJECT
  public:
    ImageButton(QWidget* parent, const Text& designName, const Text& tooltip);

    bool checked() const;
    void setChecked(bool checked);
    Text tooltip() const;
    void setTooltip(const Text& tooltip);
    // The pictures for the unchecked and the checked state; a null image leaves that state bare.
    void setPictures(const QImage& unchecked, const QImage& checked);
    QPushButton* button() const;

  Q_SIGNALS:
    void clicked();
};

}  // namespace exambell
