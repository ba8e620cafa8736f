// Start-up to a visible main window, side by side with the floor: a bare Qt window showing one
// Chinese label, built as a program of its own that links Qt Widgets and nothing else
// (StartUpFloor.cpp). Each round starts every role as a fresh process, rotating which goes
// first; a child writes one line once its window has painted for the first time, and the time
// from the spawn to that line is the figure. The program role does what main.cpp does, with the
// real platform seams and the shipped data of the build's bin folder. Two more roles show where
// the time goes: the floor's window made by this program (so loading the program's libraries,
// which the floor does not need), and the program waiting for the audio device and the sound
// font before it makes the window, as it did while it opened them on the window's thread.
//
// Usage: app_startup_bench [rounds (15)]      (QT_QPA_PLATFORM as set; offscreen without DISPLAY)
#include <QApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/Application.h"
#include "app/DesktopSeams.h"
#include "bench/app/FirstPaint.h"
#include "ui/AfterFirstPaint.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"

extern char** environ;

namespace {

using SteadyClock = std::chrono::steady_clock;

// With EXAMBELL_BENCH_PHASES set, the program role tells on stderr when each phase ended.
void phase(const char* name) {
    static const auto start = SteadyClock::now();
    if (std::getenv("EXAMBELL_BENCH_PHASES") != nullptr) {
        std::fprintf(stderr, "%8.1f ms  %s\n",
                     std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count(),
                     name);
    }
}

void painted() {
    phase("painted");
}

int runProgram(int argc, char** argv, bool deviceFirst) {
    phase("main");
    QApplication qt(argc, argv);
    phase("QApplication");
    const QString programDir = QStringLiteral(EXAMBELL_PROGRAM_DIR);
    QDir::setCurrent(programDir);
    exambell::DesktopSeams seams(!deviceFirst);
    if (deviceFirst) {
        seams.audio().waitForDevice();
    }
    phase("seams");
    exambell::Application app(
        seams.platform(exambell::fromQString(QDir::toNativeSeparators(programDir))));
    phase("Application");
    app.startUp();
    phase("startUp");
    exambell::bench::FirstPaint paint(painted);
    app.mainWindow().installEventFilter(&paint);
    const exambell::AfterFirstPaint startAudio(app.mainWindow(),
                                               [&seams] { seams.audio().start(); });
    app.mainWindow().show();
    phase("show");
    return QApplication::exec();
}

// Milliseconds from spawning `program role` to its line; negative on failure.
double timeChild(const char* program, const char* role) {
    int out[2];
    if (pipe(out) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* args[] = {const_cast<char*>(program), const_cast<char*>(role), nullptr};
    const auto start = SteadyClock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return -1;
    }
    char line[16] = {};
    const ssize_t got = read(out[0], line, sizeof line - 1);
    const double ms = std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return got > 0 && std::strncmp(line, "shown", 5) == 0 ? ms : -1;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    if (argc > 1 && std::strcmp(argv[1], "--floor") == 0) {
        return exambell::bench::runBareWindow(argc, argv);
    }
    if (argc > 1 && std::strcmp(argv[1], "--program") == 0) {
        return runProgram(argc, argv, false);
    }
    if (argc > 1 && std::strcmp(argv[1], "--device-first") == 0) {
        return runProgram(argc, argv, true);
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe");
    const std::string selfPath = self.string();
    const std::string floorPath = (self.parent_path() / "app_startup_floor").string();
    struct Role {
        const char* program;
        const char* argument;
        const char* title;
    };
    const std::vector<Role> roles = {
        {floorPath.c_str(), "", "floor (bare window, label)"},
        {selfPath.c_str(), "--program", "ExamBell main window"},
        {selfPath.c_str(), "--floor", "  floor with ExamBell's libs"},
        {selfPath.c_str(), "--device-first", "  ExamBell, device first"},
    };
    std::vector<std::vector<double>> times(roles.size());
    for (const Role& role : roles) {
        timeChild(role.program, role.argument);  // warms the file cache
    }
    for (int i = 0; i < rounds; ++i) {
        for (std::size_t k = 0; k < roles.size(); ++k) {
            const std::size_t r = (k + static_cast<std::size_t>(i)) % roles.size();
            const double ms = timeChild(roles[r].program, roles[r].argument);
            if (ms < 0) {
                std::fprintf(stderr, "%s failed to show its window\n", roles[r].title);
                return 1;
            }
            times[r].push_back(ms);
        }
    }
    std::printf("start-up to a painted window, %d rounds, platform %s (ms)\n", rounds,
                std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "default");
    std::printf("%-30s %8s %8s %8s %8s\n", "", "min", "median", "p90", "ratio");
    const double floor = percentile(times[0], 0.5);
    for (std::size_t r = 0; r < roles.size(); ++r) {
        const std::vector<double>& v = times[r];
        std::printf("%-30s %8.1f %8.1f %8.1f %8.2f\n", roles[r].title, percentile(v, 0),
                    percentile(v, 0.5), percentile(v, 0.9), percentile(v, 0.5) / floor);
    }
    std::printf("ratio: median to the floor's median (goal for the main window: at most 1.30)\n");
    return 0;
}
