// The clock's synchronisation as timedated tells it, against a fake timedate1 service on the
// private session bus the test runs on.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QObject>
#include <QTest>
#include <optional>

#include "platform/DBusClockSync.h"

namespace exambell::test {

class FakeTimeDate : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.timedate1")
    Q_PROPERTY(bool NTPSynchronized READ ntpSynchronized)
  public:
    bool ntpSynchronized() const { return synchronised; }
    bool synchronised = false;
};

namespace {

ClockSyncState ask(ClockSync& sync) {
    auto answer = std::make_shared<std::optional<ClockSyncState>>();
    sync.query([answer](ClockSyncState state) { *answer = state; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer->has_value(); }));
    return answer->value_or(ClockSyncState::Unknown);
}

TEST(DBusClockSync, AnswersWhatTimedatedSaysAndUnknownWithoutIt) {
    DBusClockSync sync(QDBusConnection::sessionBus());
    EXPECT_EQ(ask(sync), ClockSyncState::Unknown);  // no such service on this bus

    QDBusConnection system =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-system"));
    FakeTimeDate timedate;
    ASSERT_TRUE(system.registerObject(QStringLiteral("/org/freedesktop/timedate1"), &timedate,
                                      QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(system.registerService(QStringLiteral("org.freedesktop.timedate1")));
    EXPECT_EQ(ask(sync), ClockSyncState::NotSynchronised);
    timedate.synchronised = true;
    EXPECT_EQ(ask(sync), ClockSyncState::Synchronised);

    system.unregisterService(QStringLiteral("org.freedesktop.timedate1"));
    system.unregisterObject(QStringLiteral("/org/freedesktop/timedate1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-system"));

    DBusClockSync noBus(QDBusConnection(QStringLiteral("no-such-connection")));
    EXPECT_EQ(ask(noBus), ClockSyncState::Unknown);
}

}  // namespace
}  // namespace exambell::test

#include "DBusClockSyncTest.moc"
