// The whole program on a real PulseAudio server (a null sink, started by the test with its own
// runtime folder), through SDL's pulseaudio driver, as an exam office meets it: the server is not
// up yet when the program starts, comes up later, is killed in the middle of a run, comes back,
// and is killed again before the last cue for good. What is checked is what the operator sees:
// the status line, the marks of the reminder rows, the notice and the window's width.
//
// The run's time comes from the driven clock; the server's life and the device thread are real,
// so the test waits for their events (never for a fixed time).
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "schedule/SdlAudioOutput.h"
#include "tests/support/AppFixture.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "ui/MainWindow.h"
#include "ui/RunProgressAdapter.h"

namespace exambell::test {
namespace {

// Waits for what the server, the device thread or the event loop will bring; generous, for a
// loaded machine.
template <typename Predicate>
bool waitFor(Predicate done, int milliseconds = 20000) {
    return QTest::qWaitFor(done, milliseconds);
}

constexpr const char* kNoDevice = "没有音频设备，提醒无法播放";

// A PulseAudio server with one null sink on a socket of its own, no D-Bus, no autospawn.
class PulseServer {
  public:
    explicit PulseServer(const std::filesystem::path& runtime)
        : runtime_(runtime), socket_(runtime / "native") {
        std::filesystem::create_directories(runtime_ / "home");
        std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
    }
    ~PulseServer() { kill(); }

    std::string socket() const { return socket_.string(); }

    // Starts the server and waits until it takes connections.
    bool start() {
        std::error_code ignored;
        std::filesystem::remove(socket_, ignored);  // left by a killed server
        process_ = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime_.string()));
        env.insert(QStringLiteral("HOME"), QString::fromStdString((runtime_ / "home").string()));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.remove(QStringLiteral("PULSE_SERVER"));
        process_->setProcessEnvironment(env);
        process_->setStandardOutputFile(QProcess::nullDevice());
        process_->setStandardErrorFile(QProcess::nullDevice());
        process_->start(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
             QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
             QStringLiteral("--disable-shm=yes"), QStringLiteral("--system=no"),
             QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=exambell_null"),
             QStringLiteral("-L"),
             QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") +
                 QString::fromStdString(socket_.string())});
        if (!process_->waitForStarted(10000)) {
            return false;
        }
        return waitFor([&] { return takesConnections(); });
    }

    // The server dies at once, as a crash or a killed session's server does.
    void kill() {
        if (process_ && process_->state() != QProcess::NotRunning) {
            process_->kill();
            process_->waitForFinished(10000);
        }
        process_.reset();
    }

  private:
    bool takesConnections() const {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0) {
            return false;
        }
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = socket_.string();
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return ok;
    }

    std::filesystem::path runtime_;
    std::filesystem::path socket_;
    std::unique_ptr<QProcess> process_;
};

class SoundServer : public AppFixture {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()) {
            GTEST_SKIP() << "pulseaudio is not installed";
        }
        server.emplace(runtime.path());
        const std::filesystem::path clientConfig = runtime.path() / "client.conf";
        std::ofstream(clientConfig) << "autospawn = no\n";
        setEnv("XDG_RUNTIME_DIR", runtime.path().string());
        setEnv("PULSE_SERVER", "unix:" + server->socket());
        setEnv("PULSE_CLIENTCONFIG", clientConfig.string());
        setEnv("SDL_AUDIODRIVER", "pulseaudio");
        SdlAudioOutput::Options options;
        options.clock = &clock;
        output = std::make_unique<SdlAudioOutput>(options);
        audioOutput = output.get();
    }
    void TearDown() override {
        app.reset();  // before the output it was given
        output.reset();
        if (server) {
            server->kill();
        }
        for (const auto& [name, value] : savedEnv) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    void setEnv(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        savedEnv.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name.c_str(), value.c_str(), 1);
    }

    void startAt(int hour, int minute, int second) {
        clock.set(2026, 1, 2, hour, minute, second, 300);
        start();
        MainWindow& w = main();
        for (int n = 1; n <= kExamCount; ++n) {
            w.examEnabled[n]->setChecked(false);
        }
        for (int n = 1; n <= kCueCount; ++n) {
            w.cueEnabled[n]->setChecked(n == 4 || n == 5 || n == 6);
        }
        w.examEnabled[1]->setChecked(true);
        w.examSubject[1]->setText(utf8ToGbk("数学"));
        w.examStart[1]->setText("09:00");
        w.examDuration[1]->setText("20");
    }
    // Lets the driven clock run up to a time of day (ticks, the device's watch and retries
    // included).
    void advanceTo(int hour, int minute, int second, int millisecond = 300) {
        const LocalTime t = clock.now();
        const std::int64_t ms = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond -
                                (((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond);
        ASSERT_GE(ms, 0);
        clock.advance(ms);
        settle();
    }
    // The device thread has ended its attempt and the window's thread has heard of it.
    void settle() {
        ASSERT_TRUE(waitFor([&] { return !output->isDeviceOpening(); }));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    // One second of the driven clock (the device's watch and its retries run on it), then what
    // the device thread made of it.
    void oneSecond() {
        clock.advance(1000);
        settle();
    }
    // Seconds pass one by one until the condition holds (at most `seconds`).
    template <typename Predicate>
    bool secondsUntil(Predicate done, int seconds) {
        for (int i = 0; i < seconds && !done(); ++i) {
            oneSecond();
        }
        return done();
    }
    // After the server was killed: SDL's pulseaudio driver learns of it on its own thread, in real
    // time, and the output's watch sees it on the next driven second after that. So each driven
    // second here also gives SDL a tenth of a real second (at most 30 of each).
    bool lossToldWithin30Seconds() {
        for (int i = 0; i < 30 && status() != kNoDevice; ++i) {
            QTest::qWait(100);
            oneSecond();
        }
        return status() == kNoDevice;
    }
    std::string status() { return gbkToUtf8(main().statusLabel->caption()); }
    std::string mark(int row) {
        return gbkToUtf8(main().reminderList->cell(row, RunProgressAdapter::kMarkColumn));
    }
    std::string notice() { return gbkToUtf8(main().missNotice->text()); }

    TempFolder runtime;
    std::optional<PulseServer> server;
    std::unique_ptr<SdlAudioOutput> output;
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv;
};

TEST_F(SoundServer, CuesFollowTheServerThroughALateStartAKillAndALossForGood) {
    // The server is not up yet when the program starts.
    startAt(8, 58, 0);
    settle();
    EXPECT_EQ(status(), kNoDevice);

    // It comes up a minute later; the operator starts the run, which finds the device.
    ASSERT_TRUE(server->start());
    main().runButton->button()->click();
    ASSERT_TRUE(main().runButton->checked());
    settle();
    EXPECT_TRUE(output->isDeviceOpen());
    EXPECT_EQ(status(), "");
    advanceTo(9, 0, 0);
    EXPECT_EQ(mark(0), "已播放 09:00:00");

    // The operator silences the cue; then the server is killed in the middle of the run: the
    // status line says so.
    QTest::mouseClick(main().stopButton->button(), Qt::LeftButton);
    server->kill();
    ASSERT_TRUE(lossToldWithin30Seconds()) << status();
    EXPECT_FALSE(output->isDeviceOpen());

    // 结束前15分钟 falls due meanwhile: it waits for the device, nothing is noticed yet.
    advanceTo(9, 5, 0);
    EXPECT_EQ(mark(1), "等待音频设备");
    EXPECT_FALSE(main().missNotice->visible());
    // The server comes back: the cue plays then, and its mark says how late.
    ASSERT_TRUE(server->start());
    ASSERT_TRUE(secondsUntil([&] { return mark(1).rfind("已播放 09:05:", 0) == 0; }, 20))
        << mark(1);
    EXPECT_NE(mark(1).find("（晚"), std::string::npos) << mark(1);
    EXPECT_EQ(status(), "");
    EXPECT_FALSE(main().missNotice->visible());
    QTest::mouseClick(main().stopButton->button(), Qt::LeftButton);

    // Killed again before the last cue, for good: the run ends by itself, the cue gives up, and
    // the notice says so inside the window until it is dismissed.
    server->kill();
    ASSERT_TRUE(lossToldWithin30Seconds()) << status();
    advanceTo(9, 20, 0);
    EXPECT_FALSE(main().runButton->checked());
    EXPECT_EQ(mark(2), "等待音频设备");
    EXPECT_EQ(status(), kNoDevice);  // the waiting cue's attempts do not blank it
    ASSERT_TRUE(secondsUntil([&] { return main().missNotice->visible(); },
                             SdlAudioOutput::kWaitForDeviceMilliseconds / 1000 + 5));
    EXPECT_EQ(mark(2), "错过：没有音频设备");
    EXPECT_EQ(notice(), "未能播放：数学 09:20:00 结束（没有音频设备）");
    EXPECT_EQ(main().windowWidth(), MainWindow::kWideWidth);
    EXPECT_EQ(mark(0), "已播放 09:00:00");
    EXPECT_EQ(status(), kNoDevice);
    QTest::mouseClick(main().missNotice->dismissButton(), Qt::LeftButton);
    EXPECT_EQ(main().windowWidth(), MainWindow::kNarrowWidth);
}

}  // namespace
}  // namespace exambell::test
