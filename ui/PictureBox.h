#pragma once
// Picture box: shows one fixed picture, scaled to the box.

#include "text/Text.h"
#include "ui/Control.h"

class QImage;
class QLabel;

namespace exambell {

class PictureBox : public Control {
    Q_OBJECT
  public:
    PictureBox(QWidget* parent, const Text& designName);

    void setPicture(const QImage& picture);
    bool hasPicture() const;
    QLabel* label() const;
};

}  // namespace exambell
