// One program per user, on the private session bus the test runs on (dbus-run-session): a second
// start brings the first program's window forward and ends without a window of its own; the lock
// decides even where the bus cannot help, and a program that died leaves no lock behind.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "app/SingleInstance.h"
#include "tests/support/TempFolder.h"
#include "ui/MainWindow.h"

namespace exambell::test {
namespace {

// Generous for a loaded machine of two cores: a start takes well under a second alone.
constexpr int kProcessWaitMs = 30000;

QString lockIn(const TempFolder& folder) {
    return QString::fromStdString((folder.path() / "exambell.lock").string());
}

QString serviceName() {
    return QString::fromLatin1(SingleInstance::kServiceName);
}

bool nameOnBus() {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(serviceName()).value();
}

// Waits until the program's name is on the bus; false after kProcessWaitMs.
bool waitForName() {
    QDBusServiceWatcher watcher(serviceName(), QDBusConnection::sessionBus(),
                                QDBusServiceWatcher::WatchForRegistration);
    QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
    return nameOnBus() || registered.wait(kProcessWaitMs) || nameOnBus();
}

TEST(SingleInstance, SecondInstanceBringsTheFirstWindowForward) {
    TempFolder folder;
    SingleInstance first(lockIn(folder), QDBusConnection::sessionBus());
    ASSERT_TRUE(first.acquire());
    MainWindow window;
    int activations = 0;
    ASSERT_TRUE(first.publish([&] {
        ++activations;
        window.bringForward();
    }));
    // The operator minimized the program and works in another window.
    window.show();
    window.showMinimized();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    // The second start has a connection of its own, as a second process would.
    QDBusConnection secondBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second"));
    {
        SingleInstance second(lockIn(folder), secondBus);
        EXPECT_FALSE(second.acquire());
        EXPECT_TRUE(second.activateFirst(kProcessWaitMs));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("second"));
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
}

TEST(SingleInstance, WithoutSessionBusTheLockStillRefusesTheSecond) {
    TempFolder folder;
    const QDBusConnection noBus(QStringLiteral("no bus"));
    ASSERT_FALSE(noBus.isConnected());
    auto first = std::make_unique<SingleInstance>(lockIn(folder), noBus);
    ASSERT_TRUE(first->acquire());
    EXPECT_FALSE(first->publish([] {}));
    SingleInstance second(lockIn(folder), noBus);
    EXPECT_FALSE(second.acquire());
    EXPECT_FALSE(second.activateFirst(100));
    // Once the first has ended, a new start is the first.
    first.reset();
    SingleInstance third(lockIn(folder), noBus);
    EXPECT_TRUE(third.acquire());
}

TEST(SingleInstance, LockFileFollowsTheUserNotTheProgramFolder) {
    TempFolder runtime;
    TempFolder config;
    const QString runtimeDir = QString::fromStdString(runtime.path().string());
    const QString configDir = QString::fromStdString(config.path().string());
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_RUNTIME_DIR", runtimeDir.toUtf8());
    EXPECT_EQ(SingleInstance::lockFilePath(), runtimeDir + QStringLiteral("/exambell.lock"));
    // No runtime folder (a relative one counts as none): the user's config folder.
    qputenv("XDG_RUNTIME_DIR", "relative/run");
    qputenv("XDG_CONFIG_HOME", configDir.toUtf8());
    EXPECT_EQ(SingleInstance::lockFilePath(),
              configDir + QStringLiteral("/exambell/exambell.lock"));
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SingleInstance::lockFilePath(),
              configDir + QStringLiteral("/exambell/exambell.lock"));
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

// Two real starts of the program, as from the desktop's menu twice.
class TwoStarts : public ::testing::Test {
  protected:
    void SetUp() override {
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                           QString::fromStdString(runtime.path().string()));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           QString::fromStdString(home.path().string()));
        environment.insert(QStringLiteral("HOME"), QString::fromStdString(home.path().string()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    }
    void TearDown() override {
        for (QProcess* p : {&first, &second, &third}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(kProcessWaitMs);
            }
        }
    }
    void start(QProcess& program) {
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(EXAMBELL_PROGRAM), {});
        ASSERT_TRUE(program.waitForStarted(kProcessWaitMs));
    }
    uint nameOwnerPid() {
        return QDBusConnection::sessionBus().interface()->servicePid(serviceName()).value();
    }

    TempFolder runtime;
    TempFolder home;
    QProcessEnvironment environment;
    QProcess first;
    QProcess second;
    QProcess third;
};

TEST_F(TwoStarts, SecondStartRaisesTheFirstAndEnds) {
    start(first);
    ASSERT_TRUE(waitForName()) << "the first program never took its name on the bus";
    const auto firstPid = static_cast<uint>(first.processId());
    EXPECT_EQ(nameOwnerPid(), firstPid);

    start(second);
    ASSERT_TRUE(second.waitForFinished(kProcessWaitMs)) << "the second program kept running";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    // 0: the first answered the request to come forward.
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(nameOwnerPid(), firstPid);
}

TEST_F(TwoStarts, ProgramThatDiedLeavesNoLockBehind) {
    start(first);
    ASSERT_TRUE(waitForName());
    first.kill();  // as a crash or a power cut would end it: no clean-up runs
    ASSERT_TRUE(first.waitForFinished(kProcessWaitMs));
    QDBusServiceWatcher watcher(serviceName(), QDBusConnection::sessionBus(),
                                QDBusServiceWatcher::WatchForUnregistration);
    QSignalSpy gone(&watcher, &QDBusServiceWatcher::serviceUnregistered);
    if (nameOnBus()) {
        ASSERT_TRUE(gone.wait(kProcessWaitMs));
    }

    start(third);
    ASSERT_TRUE(waitForName()) << "a new start after a crash did not run";
    EXPECT_EQ(nameOwnerPid(), static_cast<uint>(third.processId()));
    EXPECT_EQ(third.state(), QProcess::Running);
}

}  // namespace
}  // namespace exambell::test
