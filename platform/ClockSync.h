#pragma once
// Whether the system clock is kept right by network time. The real one asks systemd's timedated
// over D-Bus (DBusClockSync); tests answer at once.

#include <functional>

namespace exambell {

enum class ClockSyncState { Synchronised, NotSynchronised, Unknown };

class ClockSync {
  public:
    using Answer = std::function<void(ClockSyncState)>;
    virtual ~ClockSync() = default;
    // Asks; answer runs once, on the event loop (possibly before query returns). Unknown when the
    // system has no service to ask.
    virtual void query(Answer answer) = 0;
};

}  // namespace exambell
