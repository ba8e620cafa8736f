#pragma once
// The base of the three windows: a fixed-size top-level window of the design. Its width changes
// only through setWindowWidth (the main window narrows and widens); closing raises closing(),
// unless a close guard keeps the window open.

#include <QWidget>
#include <functional>

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
    // Asked when the window is about to close (by the operator or by close()); false keeps it
    // open and raises no closing().
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }

  Q_SIGNALS:
    void closing();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::function<bool()> closeGuard_;
};

}  // namespace exambell
