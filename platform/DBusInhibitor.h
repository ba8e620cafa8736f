#pragma once
// Keeps the computer awake through the desktop's standard services, each where it exists:
// org.freedesktop.ScreenSaver.Inhibit on the session bus (released by UnInhibit with its cookie)
// and org.freedesktop.login1.Manager.Inhibit("sleep:idle", ..., "block") on the system bus (held
// as long as the file descriptor it returns stays open). Every call is asynchronous: the window's
// thread never waits for a bus. Held once either service granted; Unavailable once both refused.

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <cstdint>
#include <optional>

#include "platform/Inhibitor.h"

namespace exambell {

class DBusInhibitor final : public Inhibitor {
  public:
    // The name the desktop shows as the inhibiting program.
    static constexpr const char* kApplicationName = "考铃";

    // session: the session bus; system: the system bus. Either may be a disconnected connection
    // (tests put a private bus in both places).
    DBusInhibitor(QDBusConnection session, QDBusConnection system);
    ~DBusInhibitor() override;

    void hold(const Text& reason) override;
    void release() override;
    InhibitState state() const override { return state_; }

  private:
    void setState(InhibitState state);
    void answered(bool granted);

    QDBusConnection session_;
    QDBusConnection system_;
    QObject context_;            // owns the pending calls' watchers
    std::uint64_t holding_ = 0;  // counts holds; an answer to an older one is undone
    int waiting_ = 0;            // answers still to come for the current hold
    bool granted_ = false;
    std::optional<std::uint32_t> cookie_;  // the screen saver's
    QDBusUnixFileDescriptor sleepLock_;    // login1's; closing it releases
    InhibitState state_ = InhibitState::Released;
};

}  // namespace exambell
