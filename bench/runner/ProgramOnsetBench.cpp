// Cue onset in the whole program, measured where the sound leaves it. The program (its main
// window offscreen, its real audio output, tick engine and run) plays a cue at 09:00:00 again and
// again; SDL's disk driver writes its output into a pipe, and a reader thread stamps each buffer
// as it arrives: the first loud sample's time after the cue's second is the onset the user hears.
// Beside it, in the same run, the figure bench/runner reports: the same first sample stamped in
// SDL_mixer's post-mix callback. Also the longest stretch the window's thread went without an
// event pass in the five seconds after each cue (the window not answering).
//
// The local time comes from the system clock shifted so that each round starts at 08:59:57; the
// time between seconds is real.
//
// "desktop": the window on the display Qt is given (xcb on an X server) and SDL on the driver the
// environment names (pulseaudio by default), with the program's D-Bus seams on the session and
// system buses, and the exam's end cue on as well, so the run goes on after the cue as it does in
// an exam: as the program runs on a desk. There is no pipe to read; the onset is the
// post-mix one, and every gap of the window's thread longer than 50 ms is listed with the time,
// after the cue's second, at which it ended. bench/runner/desktop_onset.sh starts an X server, a
// window manager, a PulseAudio server on a null sink and a session bus of their own for it.
//
// Usage: runner_program_onset_bench [rounds per cue file, default 12] [busy] [desktop]
#include <SDL2/SDL_mixer.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/Application.h"
#include "bench/support/CueOnsets.h"
#include "net/UrlOpener.h"
#include "platform/DBusClockSync.h"
#include "platform/DBusInhibitor.h"
#include "schedule/SdlAudioOutput.h"
#include "seating/Spreadsheet.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/Button.h"
#include "ui/ImageButton.h"
#include "ui/MainWindow.h"
#include "ui/SystemClock.h"

namespace {

using namespace exambell;
using namespace exambell::bench;

// The real clock, shifted by a settable number of milliseconds.
class ShiftedClock : public Clock {
  public:
    LocalTime now() const override {
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(wallMilliseconds());
        LocalTime out;
        out.year = t.date().year();
        out.month = t.date().month();
        out.day = t.date().day();
        out.hour = t.time().hour();
        out.minute = t.time().minute();
        out.second = t.time().second();
        out.millisecond = t.time().msec();
        out.weekday = t.date().dayOfWeek() % 7;
        return out;
    }
    std::int64_t wallMilliseconds() const override { return real_.wallMilliseconds() + shift_; }
    std::int64_t tickCount() const override { return real_.tickCount(); }
    TimerId callAt(std::int64_t at, std::function<void()> callback) override {
        return real_.callAt(at - shift_, std::move(callback));
    }
    void cancel(TimerId id) override { real_.cancel(id); }
    // Local time of the real wall instant `real` becomes hh:mm:ss.000 today.
    void setLocal(std::int64_t real, int hour, int minute, int second) {
        QDateTime target = QDateTime::fromMSecsSinceEpoch(real);
        target.setTime(QTime(hour, minute, second));
        shift_ = target.toMSecsSinceEpoch() - real;
    }
    std::int64_t shift() const { return shift_; }

  private:
    SystemClock real_;
    std::int64_t shift_ = 0;
};

// Every question is answered Yes, every message OK, at once.
class YesDialogs : public Dialogs {
  public:
    int message(const Text&, MessageButtons buttons, MessageIcon, const DialogOwner*,
                const Text&) override {
        return buttons == MessageButtons::YesNo ? kYes : kOk;
    }
    std::optional<Text> openFile(const Text&, const Text&, const Text&,
                                 const DialogOwner*) override {
        return std::nullopt;
    }
};

// The seating export and the voice-download button are not used here.
class NoSpreadsheet : public Spreadsheet {
  public:
    bool start() override { return false; }
    void newWorkbook() override {}
    void selectSheet(int) override {}
    void setCaption(const Text&) override {}
    void setVisible() override {}
    void setRange(const Text&, const Text&, const Text&) override {}
    bool release() override { return true; }
};
class NoUrlOpener : public UrlOpener {
  public:
    void open(const Text&) override {}
};

// The disk driver's output, read from a pipe as it is written.
class PipeReader {
  public:
    explicit PipeReader(const std::filesystem::path& fifo) : fifo_(fifo) {
        thread_ = std::thread([this] { run(); });
    }
    ~PipeReader() {
        stop_ = true;
        // A writer that never came: open the pipe's other end so the reader's open returns.
        const int fd = ::open(fifo_.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            ::close(fd);
        }
        thread_.join();
    }
    // The next loud sample after dueMicroseconds is an onset.
    void expect(std::int64_t dueMicroseconds) {
        std::lock_guard lock(lock_);
        due_ = dueMicroseconds;
    }
    std::vector<double> onsets() {
        std::lock_guard lock(lock_);
        return onsets_;
    }

  private:
    void run() {
        // The reader stands for the sound card: it takes each buffer the moment it is written,
        // which a reader that waits its turn behind busy threads would not.
        sched_param realTime{};
        realTime.sched_priority = sched_get_priority_max(SCHED_FIFO);
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &realTime);
        const int fd = ::open(fifo_.c_str(), O_RDONLY);
        if (fd < 0) {
            return;
        }
        std::vector<std::int16_t> buffer(4096);
        while (!stop_) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size() * 2);
            if (got <= 0) {
                break;
            }
            const std::int64_t now = wallMicroseconds();
            std::lock_guard lock(lock_);
            if (due_ < 0) {
                continue;
            }
            const std::size_t samples = static_cast<std::size_t>(got) / 2;
            for (std::size_t i = 0; i < samples; ++i) {
                if (std::abs(buffer[i]) > 32) {
                    // The buffer came whole; its samples sound one after the other from now.
                    const double at = static_cast<double>(now) + (i / 2) * 1e6 / 44100;
                    onsets_.push_back((at - static_cast<double>(due_)) / 1000.0);
                    due_ = -1;
                    break;
                }
            }
        }
        ::close(fd);
    }

    std::filesystem::path fifo_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::int64_t due_ = -1;
    std::vector<double> onsets_;
};

// Runs the event loop for a while without sleeping between passes (QTest::qWait sleeps 10 ms at a
// time, which would show as gaps of the window's thread).
void waitInEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(std::max(0, milliseconds), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures {
    const char* name;
    std::vector<double> pipe;
    std::vector<double> postMix;
    std::vector<double> longestGap;
    std::vector<double> longestGapAt;   // ms after the cue's second, where that gap ended
    std::vector<std::string> longGaps;  // per round: "gap@end" of each gap over 50 ms
};

void print(const Figures& f, bool desktop) {
    std::printf("%s (%zu cues)\n", f.name, f.postMix.size());
    if (!desktop) {
        std::printf("  onset ms, disk driver output    p50 %6.1f  p99 %6.1f  max %6.1f\n",
                    percentile(f.pipe, .5), percentile(f.pipe, .99), percentile(f.pipe, 1));
    }
    std::printf("  onset ms, post-mix (runner's)   p50 %6.1f  p99 %6.1f  max %6.1f\n",
                percentile(f.postMix, .5), percentile(f.postMix, .99), percentile(f.postMix, 1));
    std::printf("  longest event gap ms, 5 s after p50 %6.1f  p99 %6.1f  max %6.1f\n",
                percentile(f.longestGap, .5), percentile(f.longestGap, .99),
                percentile(f.longestGap, 1));
    std::printf("  ... it ended, ms after the second  p50 %6.0f  min %6.0f  max %6.0f\n",
                percentile(f.longestGapAt, .5), percentile(f.longestGapAt, 0),
                percentile(f.longestGapAt, 1));
    if (desktop) {
        std::puts("  gaps over 50 ms per round, as length@end in ms after the second:");
        for (const std::string& round : f.longGaps) {
            std::printf("    %s\n", round.empty() ? "-" : round.c_str());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path work =
        std::filesystem::temp_directory_path() /
        ("exambell-onset-" + std::to_string(static_cast<long long>(::getpid())));
    std::filesystem::create_directories(work / "语音文件库");
    const std::filesystem::path fifo = work / "audio.fifo";
    bool busy = false;
    bool desktop = false;
    for (int i = 2; i < argc; ++i) {
        // "busy": two threads keep both cores busy throughout, as on a loaded machine.
        busy = busy || std::string(argv[i]) == "busy";
        desktop = desktop || std::string(argv[i]) == "desktop";
    }
    if (desktop) {
        setenv("SDL_AUDIODRIVER", "pulseaudio", 0);
    } else {
        ::mkfifo(fifo.c_str(), 0600);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", fifo.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    QApplication qt(argc, argv);
    const int rounds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 12;
    std::atomic<bool> burning{busy};
    std::vector<std::thread> burners;
    for (int i = 0; busy && i < 2; ++i) {
        burners.emplace_back([&burning] {
            volatile double x = 1;
            while (burning) {
                x = x * 1.0000001 + 1e-9;
            }
        });
    }

    for (const auto& entry : std::filesystem::directory_iterator(EXAMBELL_SHIPPED_RECORDINGS)) {
        std::filesystem::copy_file(entry.path(), work / "语音文件库" / entry.path().filename());
    }
    const std::filesystem::path tone = writeTone("exambell-program-onset-tone.wav");

    std::optional<PipeReader> reader;
    if (!desktop) {
        reader.emplace(fifo);
    }
    std::optional<DBusClockSync> clockSync;
    std::optional<DBusInhibitor> inhibitor;
    if (desktop) {
        clockSync.emplace(QDBusConnection::systemBus());
        inhibitor.emplace(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
    }
    ShiftedClock clock;
    YesDialogs dialogs;
    SdlAudioOutput::Options options;
    options.clock = &clock;
    SdlAudioOutput audio(options);
    if (!audio.waitForDevice()) {
        std::puts("no audio device");
        return 1;
    }
    Onsets postMixOnsets;
    measureOnsets(postMixOnsets);

    Platform platform;
    platform.programDir = utf8ToGbk(work.string());
    platform.dialogs = &dialogs;
    platform.clock = &clock;
    platform.audio = &audio;
    NoSpreadsheet spreadsheet;
    NoUrlOpener urlOpener;
    platform.spreadsheet = &spreadsheet;
    platform.urlOpener = &urlOpener;
    if (desktop) {
        platform.clockSync = &*clockSync;
        platform.inhibitor = &*inhibitor;
    }
    Application app(platform);
    app.startUp();
    MainWindow& w = app.mainWindow();
    w.show();
    for (int n = 1; n <= kExamCount; ++n) {
        w.examEnabled[n]->setChecked(n == 1);
    }
    for (int n = 1; n <= kCueCount; ++n) {
        w.cueEnabled[n]->setChecked(n == 4 || (desktop && n == 6));
    }
    w.examStart[1]->setText("09:00");
    w.examDuration[1]->setText("20");

    // The window's thread: the longest gap between two passes of a 5 ms timer.
    QElapsedTimer sinceLast;
    sinceLast.start();
    std::int64_t longest = 0;
    std::int64_t longestAt = 0;
    std::int64_t dueMilliseconds = 0;
    std::string longGaps;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const std::int64_t gap = sinceLast.restart();
        if (gap > longest) {
            longest = gap;
            longestAt = QDateTime::currentMSecsSinceEpoch() - dueMilliseconds;
        }
        if (gap > 50) {
            const std::int64_t at = QDateTime::currentMSecsSinceEpoch() - dueMilliseconds;
            longGaps += std::to_string(gap) + "@" + std::to_string(at) + " ";
        }
    });
    beat.start(5);

    const Text mp3 = w.cuePath[4]->text();
    Figures figures[2] = {
        {"04开考.mp3 (the shipped recording, compressed-audio player)", {}, {}, {}, {}, {}},
        {"200 ms WAV tone (simple player, as bench/runner plays)", {}, {}, {}, {}, {}}};
    for (int kind = 0; kind < 2; ++kind) {
        w.cuePath[4]->setText(kind == 0 ? mp3 : utf8ToGbk(tone.string()));
        for (int round = 0; round < rounds; ++round) {
            const std::int64_t real = QDateTime::currentMSecsSinceEpoch();
            clock.setLocal(real, 8, 59, 57);
            // The wall instant the virtual 09:00:00 falls on.
            const std::int64_t dueMicroseconds = (real + 3000) * 1000;
            dueMilliseconds = real + 3000;
            if (reader) {
                reader->expect(dueMicroseconds);
            }
            {
                std::lock_guard guard(postMixOnsets.lock);
                postMixOnsets.dueMicroseconds = dueMicroseconds;
            }
            const std::size_t before = postMixOnsets.count();
            w.runButton->button()->click();
            // Until five seconds after the cue (without "desktop" the run ends by itself once the
            // cue has played).
            waitInEventLoop(
                static_cast<int>(dueMicroseconds / 1000 - QDateTime::currentMSecsSinceEpoch()));
            sinceLast.restart();
            longest = 0;
            longGaps.clear();
            waitInEventLoop(5000);
            figures[kind].longGaps.push_back(longGaps);
            figures[kind].longestGap.push_back(static_cast<double>(longest));
            figures[kind].longestGapAt.push_back(static_cast<double>(longestAt));
            if (postMixOnsets.count() == before) {
                std::printf("round %d: no onset\n", round);
            }
            w.stopButton->button()->click();
            if (w.runButton->checked()) {
                w.runButton->button()->click();
            }
            waitInEventLoop(300);
        }
    }
    // Split the onsets by kind: the first `rounds` are the MP3's.
    std::vector<double> all = reader ? reader->onsets() : std::vector<double>();
    std::vector<double> post;
    {
        std::lock_guard guard(postMixOnsets.lock);
        post = postMixOnsets.milliseconds;
    }
    for (int kind = 0; kind < 2; ++kind) {
        const auto from = static_cast<std::size_t>(kind * rounds);
        auto slice = [&](const std::vector<double>& v) {
            return std::vector<double>(
                v.begin() + static_cast<std::ptrdiff_t>(std::min(from, v.size())),
                v.begin() + static_cast<std::ptrdiff_t>(std::min(from + rounds, v.size())));
        };
        figures[kind].pipe = slice(all);
        figures[kind].postMix = slice(post);
        print(figures[kind], desktop);
    }
    Mix_SetPostMix(nullptr, nullptr);
    burning = false;
    for (std::thread& t : burners) {
        t.join();
    }
    std::error_code ignored;
    std::filesystem::remove_all(work, ignored);
    return 0;
}
