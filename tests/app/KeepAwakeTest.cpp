// The run keeps the computer awake through the desktop's D-Bus services: fake ones, registered by
// the test on the private session bus it runs on (dbus-run-session). The program's inhibitor is
// given that bus as both its session and its system bus.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <poll.h>
#include <unistd.h>

#include "platform/DBusInhibitor.h"
#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"

namespace exambell::test {

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public Q_SLOTS:
    uint Inhibit(const QString& application, const QString& reason) {
        calls << QStringLiteral("Inhibit ") + application + QLatin1Char(' ') + reason;
        return ++cookie;
    }
    void UnInhibit(uint released) {
        calls << QStringLiteral("UnInhibit ") + QString::number(released);
    }

  public:
    QStringList calls;
    uint cookie = 40;
};

// login1's manager: each inhibitor is the write end of a pipe; it is released when every copy
// of that end is closed, which the read end shows as a hang-up.
class FakeLogin : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
  public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode) {
        calls << what + QLatin1Char(' ') + who + QLatin1Char(' ') + why + QLatin1Char(' ') + mode;
        int ends[2];
        if (pipe(ends) != 0) {
            return {};
        }
        readEnds.push_back(ends[0]);
        QDBusUnixFileDescriptor held(ends[1]);  // a copy
        ::close(ends[1]);
        return held;
    }

  public:
    ~FakeLogin() override {
        for (int fd : readEnds) {
            ::close(fd);
        }
    }
    bool released(std::size_t i) const {
        pollfd p{readEnds.at(i), POLLIN, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP) != 0;
    }
    QStringList calls;
    std::vector<int> readEnds;
};

namespace {

const QString kInhibitCall = QStringLiteral("Inhibit 考铃 考试提醒运行中");
const QString kSleepCall = QStringLiteral("sleep:idle 考铃 考试提醒运行中 block");

class KeepAwake : public AppFixture {
  protected:
    KeepAwake()
        : desktop(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                QStringLiteral("fake-desktop"))),
          dbusInhibitor(QDBusConnection::sessionBus(), QDBusConnection::sessionBus()) {
        inhibitor = &dbusInhibitor;
    }
    ~KeepAwake() override {
        app.reset();  // the program holds the inhibitor to the end
        desktop.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
        desktop.unregisterObject(QStringLiteral("/org/freedesktop/login1"));
        desktop.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
        desktop.unregisterService(QStringLiteral("org.freedesktop.login1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-desktop"));
    }
    void offerServices() {
        ASSERT_TRUE(desktop.isConnected());
        ASSERT_TRUE(desktop.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"),
                                           &screenSaver, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(desktop.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
        ASSERT_TRUE(desktop.registerObject(QStringLiteral("/org/freedesktop/login1"), &login,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(desktop.registerService(QStringLiteral("org.freedesktop.login1")));
    }
    void startSaved() {
        clock.set(2026, 1, 2, 8, 0, 0, 400);
        start();
        main().saveButton->button()->click();
        dialogs.clear();
    }
    void clickRun() { main().runButton->button()->click(); }
    // The n-th start (from 1): both services asked once more, the inhibitor held.
    void startHolding(int n) {
        clickRun();
        ASSERT_TRUE(QTest::qWaitFor([&] { return screenSaver.calls.size() == 2 * n - 1; }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return login.calls.size() == n; }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return dbusInhibitor.state() == InhibitState::Held; }));
    }
    // After the n-th start, the run paused or ended: both inhibitors of that start released.
    void expectReleased(int n) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return screenSaver.calls.size() == 2 * n; }));
        EXPECT_EQ(screenSaver.calls[2 * n - 1], QStringLiteral("UnInhibit %1").arg(40 + n));
        EXPECT_TRUE(QTest::qWaitFor([&] { return login.released(n - 1); }));
    }

    QDBusConnection desktop;
    FakeScreenSaver screenSaver;
    FakeLogin login;
    DBusInhibitor dbusInhibitor;
};

TEST_F(KeepAwake, InhibitAtTheStartUnInhibitAtThePauseAndAtTheAutomaticEnd) {
    offerServices();
    startSaved();
    startHolding(1);
    EXPECT_EQ(screenSaver.calls, QStringList{kInhibitCall});
    EXPECT_EQ(login.calls, QStringList{kSleepCall});
    EXPECT_FALSE(login.released(0));

    clickRun();  // pause
    expectReleased(1);

    startHolding(2);
    clock.advance((7 * 3600 + 1) * 1000);  // past the last cue, 15:00: the run ends by itself
    EXPECT_FALSE(main().runButton->checked());
    expectReleased(2);
    EXPECT_EQ(gbkToUtf8(main().statusLabel->caption()), "");
}

TEST_F(KeepAwake, AShiftKeepsTheInhibitorAndTheMovedEndReleasesIt) {
    offerServices();
    startSaved();
    startHolding(1);

    // The last exam starts half an hour late: its end, the run's last cue, moves to 15:30.
    MainWindow& w = main();
    w.shiftExam->setCurrentIndex(w.shiftExam->count() - 1);
    w.shiftMinutes->setValue(30);
    w.shiftButton->button()->click();
    EXPECT_EQ(dbusInhibitor.state(), InhibitState::Held);
    EXPECT_EQ(screenSaver.calls, QStringList{kInhibitCall});
    EXPECT_FALSE(login.released(0));

    clickRun();  // pause
    expectReleased(1);

    // The restarted run takes the moved start from its box.
    startHolding(2);
    clock.advance((7 * 3600 + 1) * 1000);  // 15:00:01, the old end
    EXPECT_TRUE(w.runButton->checked());
    EXPECT_EQ(screenSaver.calls.size(), 3);
    EXPECT_FALSE(login.released(1));
    clock.advance(30 * 60 * 1000);  // 15:30:01: past the moved end, the run ends by itself
    EXPECT_FALSE(w.runButton->checked());
    expectReleased(2);
}

TEST_F(KeepAwake, WithoutEitherServiceTheWindowSaysTheComputerMaySleep) {
    startSaved();
    clickRun();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dbusInhibitor.state() == InhibitState::Unavailable; }));
    EXPECT_EQ(gbkToUtf8(main().statusLabel->caption()), "无法阻止电脑休眠，请关闭自动休眠");
    clickRun();
    EXPECT_EQ(gbkToUtf8(main().statusLabel->caption()), "");
}

TEST_F(KeepAwake, APauseRightAfterTheStartReleasesEverything) {
    offerServices();
    startSaved();
    clickRun();
    clickRun();  // before any answer can have come
    ASSERT_TRUE(QTest::qWaitFor([&] { return screenSaver.calls.size() == 2; }));
    EXPECT_EQ(screenSaver.calls[1], QStringLiteral("UnInhibit 41"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return login.released(0); }));
    EXPECT_EQ(dbusInhibitor.state(), InhibitState::Released);
}

}  // namespace
}  // namespace exambell::test

#include "KeepAwakeTest.moc"
