#pragma once
// The base of the three windows: a fixed-size top-level window of the design. Its width changes
// only through setWindowWidth (the main window narrows and widens); closing raises closing(),
// unless a close guard keeps the window open. A control that lies (nearly) wholly outside the
// narrowed window takes no Tab stop until it is inside again (the reminder list while the main
// window is narrow).

#include <QWidget>
#include <functional>
#include <vector>

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
    // Gives the controls the Tab order of the list (the visual order: rows top to bottom, each
    // left to right); controls not in it follow in their own order.
    static void setVisualTabOrder(const std::vector<QWidget*>& order);
    // Shows the window, out of the taskbar when minimized, above the others and with the focus
    // (as far as the window manager lets a program take it).
    void bringForward();

  Q_SIGNALS:
    void closing();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    std::function<bool()> closeGuard_;
};

}  // namespace exambell
