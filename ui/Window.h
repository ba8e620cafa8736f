#pragma once
// The base of the three windows: a fixed-size top-level window of the design. Its width changes
// only through setWindowWidth (the main window narrows and widens); closing raises closing().

#include <QWidget>

#include "platform/Dialogs.h"
#include "text/Text.h"

namespace exambell {

class Window : public QWidget, public DialogOwner {
    Q_OBJECT
  public:
    // owner: the window this one belongs to (it stays above it), or nullptr.
    Window(QWidget* owner, const Text& designName, const Text& title, int width, int height);

    int windowWidth() const { return width(); }
    void setWindowWidth(int width);

  Q_SIGNALS:
    void closing();

  protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace exambell
