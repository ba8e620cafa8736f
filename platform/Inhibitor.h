#pragma once
// Keeps the computer from sleeping, and the screen from blanking, while a run is active. The real
// one holds the desktop's standard D-Bus inhibitors (DBusInhibitor); tests record the calls.

#include <functional>
#include <utility>

#include "text/Text.h"

namespace exambell {

enum class InhibitState {
    Released,     // nothing held (not asked, or released)
    Pending,      // asked, no answer yet
    Held,         // at least one service keeps the computer awake
    Unavailable,  // asked, and no service would: the computer may sleep
};

class Inhibitor {
  public:
    using StateHandler = std::function<void(InhibitState)>;
    virtual ~Inhibitor() = default;
    // Asks to keep the computer awake until release(); reason is shown by the desktop (GBK).
    // Holding twice holds once.
    virtual void hold(const Text& reason) = 0;
    virtual void release() = 0;
    virtual InhibitState state() const = 0;
    // Called on the event loop whenever state() changes.
    void setStateHandler(StateHandler handler) { handler_ = std::move(handler); }

  protected:
    void stateChanged(InhibitState state) const {
        if (handler_) {
            handler_(state);
        }
    }

  private:
    StateHandler handler_;
};

}  // namespace exambell
