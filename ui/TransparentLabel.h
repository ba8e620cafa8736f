#pragma once
// Transparent label: a caption over whatever lies behind it. A caption's CR LF breaks lines.

#include "text/Text.h"
#include "ui/Control.h"

class QLabel;

namespace exambell {

class TransparentLabel : public Control {
    Q_OBJECT
  public:
    TransparentLabel(QWidget* parent, const Text& designName, const Text& caption);

    Text caption() const;
    void setCaption(const Text& caption);
    QLabel* label() const;

  private:
    Text caption_;
};

}  // namespace exambell
