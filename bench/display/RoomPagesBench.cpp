// Cue onsets in the office while room pages report and play their cues, side by side with the
// same server and no room page, in one run on 127.0.0.1. On the real clock the office plays a cue
// every second second through the SDL audio output on the disk driver; its onset is the time
// from the cue's second to its first audible sample. Each tick computes the display state and the
// room feed (two extra-time groups) and reads the room list, as the program does.
//
// In the second phase 300 simulated room pages, each from an address of its own (127.0.1.x) and
// with a clock of its own set minutes away, do what the page's script does: measure their offset
// to the office over five round trips, report every 5 s to /room (which answers the room's cue
// list), load the recording once, and wake at each cue's moment by their corrected clock. A
// page's start error is the office's time when it woke minus the cue's moment.
//
// Usage: room_pages_bench [seconds per phase, default 20]
#include <SDL2/SDL_mixer.h>
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "bench/support/CueOnsets.h"
#include "display/DisplayServer.h"
#include "display/RoomService.h"
#include "runner/SecondTicker.h"
#include "schedule/SdlAudioOutput.h"
#include "text/Encoding.h"
#include "ui/SystemClock.h"

namespace {

using namespace exambell;
using namespace exambell::bench;
using Steady = std::chrono::steady_clock;

constexpr int kPages = 300;
constexpr int kReportEveryMs = 5000;
constexpr int kRoundTrips = 5;

double steadyMs() {
    return std::chrono::duration<double, std::milli>(Steady::now().time_since_epoch()).count();
}

struct Shared {
    std::atomic<bool> load{false};
    std::atomic<bool> quit{false};
    std::atomic<int> port{0};
    std::mutex lock;
    std::vector<double> startErrors;
    std::vector<double> offsetErrors;
    std::int64_t requests = 0;
    std::int64_t failures = 0;
};

// One room page: its own clock, its offset estimate, its cue list.
void page(int id, Shared& shared, DisplayServer& server) {
    std::mt19937 random(static_cast<unsigned>(id));
    const double skew = std::uniform_real_distribution<double>(-600000, 600000)(random);
    auto local = [&] { return steadyMs() + skew; };
    const std::string address = "127.0.1." + std::to_string(id % 250 + 1);
    const std::string room = "room" + std::to_string(id);
    std::unique_ptr<httplib::Client> client;
    double offset = 0;
    double roundTrip = 0;
    bool measured = false;
    std::vector<std::int64_t> cues;  // office ms
    std::size_t played = 0;
    std::int64_t lastPlayed = 0;

    auto ask = [&]() -> bool {
        if (!client) {
            client = std::make_unique<httplib::Client>("127.0.0.1", shared.port.load());
            client->set_connection_timeout(std::chrono::seconds(2));
            client->set_read_timeout(std::chrono::seconds(2));
            client->set_socket_options([address](int sock) {
                sockaddr_in a{};
                a.sin_family = AF_INET;
                ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
                ::bind(sock, reinterpret_cast<sockaddr*>(&a), sizeof a);
            });
        }
        const double sent = local();
        const std::string query =
            "/room?room=" + room + "&rtt=" + std::to_string(static_cast<int>(roundTrip)) +
            "&sound=on&t=" + std::to_string(static_cast<long long>(measured ? sent + offset : 0));
        auto r = client->Get(query);
        const double received = local();
        {
            std::lock_guard<std::mutex> guard(shared.lock);
            ++shared.requests;
            if (!r || r->status != 200) {
                ++shared.failures;
                return false;
            }
        }
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r->body)).object();
        const double delay = received - sent;
        const double estimate = o[u"serverTime"].toDouble() - (sent + received) / 2;
        if (!measured || delay < roundTrip) {
            offset = estimate;
            roundTrip = delay;
            measured = true;
        }
        cues.clear();
        for (const QJsonValue c : o[u"cues"].toArray()) {
            cues.push_back(static_cast<std::int64_t>(c[u"atMs"].toDouble()));
        }
        played = 0;
        return true;
    };

    auto next = Steady::now() + std::chrono::milliseconds(id * kReportEveryMs / kPages);
    bool started = false;
    while (!shared.quit) {
        if (!shared.load) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        if (!started) {
            std::this_thread::sleep_until(next);
            for (int i = 0; i < kRoundTrips; ++i) {
                ask();
            }
            client->Get("/cue/6");  // the recording, loaded ahead once
            started = true;
            next = Steady::now() + std::chrono::milliseconds(kReportEveryMs);
            continue;
        }
        // The next cue ahead by the corrected clock, or the next report.
        while (played < cues.size() && cues[played] <= lastPlayed) {
            ++played;
        }
        const double now = local() + offset;
        auto wake = next;
        bool cue = false;
        if (played < cues.size()) {
            const auto cueAt =
                Steady::now() + std::chrono::microseconds(static_cast<std::int64_t>(
                                    (static_cast<double>(cues[played]) - now) * 1000));
            if (cueAt < wake) {
                wake = cueAt;
                cue = true;
            }
        }
        std::this_thread::sleep_until(wake);
        if (!shared.load) {
            continue;
        }
        if (cue) {
            const double truth = static_cast<double>(server.officeMilliseconds());
            const double error = truth - static_cast<double>(cues[played]);
            const double offsetError = local() + offset - truth;
            lastPlayed = cues[played];
            ++played;
            std::lock_guard<std::mutex> guard(shared.lock);
            shared.startErrors.push_back(std::fabs(error));
            shared.offsetErrors.push_back(std::fabs(offsetError));
        } else {
            ask();
            next += std::chrono::milliseconds(kReportEveryMs);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "disk", 0);
    const std::filesystem::path raw =
        std::filesystem::temp_directory_path() / "exambell-room-bench-audio.raw";
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 0);
    QCoreApplication app(argc, argv);
    const int phaseSeconds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 20;
    const Text tone = utf8ToGbk(writeTone("exambell-room-bench-tone.wav").string());

    SdlAudioOutput audio;
    audio.waitForDevice();
    Onsets onsets;
    if (!audio.isDeviceOpen() || !measureOnsets(onsets)) {
        std::puts("no audio device: onsets are not measured");
    }

    SystemClock clock;
    DisplayServer server;
    if (!server.start("127.0.0.1", 0)) {
        std::puts("the server could not start");
        return 1;
    }
    Shared shared;
    shared.port = server.port();
    const std::vector<DisplayExam> exams = {{utf8ToGbk("数学"), "09:00", 120, 0},
                                            {utf8ToGbk("英语"), "13:00", 120, 0}};
    std::vector<ExtraTimeGroup> groups = {*parseExtraTimeGroup(utf8ToGbk("延时30%")),
                                          *parseExtraTimeGroup(utf8ToGbk("延时20分钟"))};
    std::map<Text, std::size_t> roomGroups;
    for (int i = 0; i < kPages; i += 10) {
        roomGroups["room" + std::to_string(i)] = static_cast<std::size_t>(i / 10 % 2);
    }
    std::array<Text, kRoomCueCount> recordings{};
    recordings[5] = tone;
    std::vector<double> tickPhase[2];
    int current = 0;
    std::size_t roomsSeen = 0;

    SecondTicker ticker(clock, [&] {
        const std::int64_t wall = clock.wallMilliseconds();
        tickPhase[current].push_back(static_cast<double>(wall % 1000));
        const LocalTime now = clock.now();
        const std::int64_t nowMs = localEpochMilliseconds(now);
        server.publish(computeDisplayState(exams, now), nowMs);
        RoomFeed feed = makeRoomFeed(exams, {}, true, groups, roomGroups, recordings, now);
        // The cues the pages play: one at every second second of the next 20 s, as the office's.
        for (std::vector<RoomCue>& cues : feed.cues) {
            for (std::int64_t s = nowMs / 2000 * 2000 + 2000; s < nowMs + 20000; s += 2000) {
                cues.push_back(RoomCue{6, s, Text()});
            }
        }
        server.rooms().publish(std::move(feed));
        roomsSeen = server.rooms().rooms(nowMs).size();
        if ((wall / 1000) % 2 == 0) {
            {
                std::lock_guard<std::mutex> guard(onsets.lock);
                onsets.dueMicroseconds = wall / 1000 * 1000000;
            }
            audio.stopAllAudio();
            audio.playSoundFile(tone);
        }
    });

    std::vector<std::thread> pages;
    for (int i = 0; i < kPages; ++i) {
        pages.emplace_back([&, i] { page(i, shared, server); });
    }
    std::size_t split = 0;
    QTimer::singleShot(phaseSeconds * 1000, Qt::PreciseTimer, [&] {
        std::lock_guard<std::mutex> guard(onsets.lock);
        split = onsets.milliseconds.size();
        current = 1;
        shared.load = true;
    });
    QTimer::singleShot(2 * phaseSeconds * 1000, Qt::PreciseTimer, [&] {
        shared.load = false;
        app.quit();
    });
    ticker.start();
    app.exec();
    ticker.stop();
    shared.quit = true;
    for (std::thread& t : pages) {
        t.join();
    }
    std::vector<double> phase[2];
    {
        std::lock_guard<std::mutex> guard(onsets.lock);
        phase[0].assign(onsets.milliseconds.begin(),
                        onsets.milliseconds.begin() + static_cast<std::ptrdiff_t>(split));
        phase[1].assign(onsets.milliseconds.begin() + static_cast<std::ptrdiff_t>(split),
                        onsets.milliseconds.end());
    }
    const char* names[2] = {"server on, no room page", "300 room pages reporting, playing"};
    std::printf("%d s per phase, a cue every 2 s in the office and on every page\n", phaseSeconds);
    std::printf("%-36s %8s %8s %8s %6s %12s\n", "office cue onset", "p50 ms", "p99 ms", "max ms",
                "cues", "tick p99 ms");
    for (int p = 0; p < 2; ++p) {
        std::printf("%-36s %8.1f %8.1f %8.1f %6zu %12.1f\n", names[p], percentile(phase[p], .5),
                    percentile(phase[p], .99), percentile(phase[p], 1), phase[p].size(),
                    percentile(tickPhase[p], .99));
    }
    std::printf("office cue onset p99, with pages minus without: %+.1f ms (at most +5 ms wanted)\n",
                percentile(phase[1], .99) - percentile(phase[0], .99));
    std::printf(
        "pages' cue start error: p50 %.1f ms, p99 %.1f ms, max %.1f ms over %zu starts "
        "(p99 under 100 ms wanted)\n",
        percentile(shared.startErrors, .5), percentile(shared.startErrors, .99),
        percentile(shared.startErrors, 1), shared.startErrors.size());
    std::printf("pages' corrected clock minus office: p99 %.1f ms\n",
                percentile(shared.offsetErrors, .99));
    std::printf("/room requests %lld, failed %lld; rooms listed %zu\n",
                static_cast<long long>(shared.requests), static_cast<long long>(shared.failures),
                roomsSeen);
    if (audio.isDeviceOpen()) {
        Mix_SetPostMix(nullptr, nullptr);
    }
    server.stop();
    std::error_code ec;
    std::filesystem::remove(raw, ec);
    return 0;
}
