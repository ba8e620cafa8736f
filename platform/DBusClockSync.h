#pragma once
// The clock's synchronisation as systemd's timedated tells it: the property NTPSynchronized of
// org.freedesktop.timedate1 on the system bus. No bus, no such service, or no answer within
// kTimeoutMilliseconds gives Unknown.

#include <QDBusConnection>
#include <QObject>

#include "platform/ClockSync.h"

namespace exambell {

class DBusClockSync final : public ClockSync {
  public:
    static constexpr int kTimeoutMilliseconds = 2000;

    // bus: the system bus (QDBusConnection::systemBus()), or another one for tests.
    explicit DBusClockSync(QDBusConnection bus);
    void query(Answer answer) override;

  private:
    QDBusConnection bus_;
    QObject context_;  // owns the pending calls' watchers
};

}  // namespace exambell
