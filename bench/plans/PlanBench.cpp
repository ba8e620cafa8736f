// Exam plans: importing a 500-row timetable (the .xlsx LibreOffice wrote and the same rows as a
// GBK CSV), beside reading the file's bytes alone; storing it; and what loading the day's
// sittings adds to start-up, beside start-up's read of the exam and cue rows alone (config.ini
// holds the 500-sitting plan in both).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "plans/PlanLoader.h"
#include "plans/PlanStore.h"
#include "plans/TimetableImport.h"
#include "platform/Clock.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsForm.h"
#include "text/Paths.h"

namespace exambell {
namespace {

const std::array<bool, kCueCount> kCues = {false, false, false, true, true, true, false};

Text data(const char* name) {
    return Text(EXAMBELL_TEST_DATA) + "/" + name;
}

class Folder {
  public:
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "exambell-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    Text text() const { return pathText(path_); }
    Text ini() const { return joinPath(text(), "config.ini"); }

  private:
    std::filesystem::path path_;
};

struct Rows : SettingsForm {
    ExamSettings examRows{};
    CueSettings cueRows{};
    ExamSettings exams() const override { return examRows; }
    CueSettings cues() const override { return cueRows; }
    void setExams(const ExamSettings& e) override { examRows = e; }
    void setCues(const CueSettings& c) override { cueRows = c; }
    void setExamEnd(int, const Text&) override {}
    void focusExamField(int, ExamField) override {}
    void focusCuePath(int) override {}
    const DialogOwner* dialogOwner() const override { return nullptr; }
};

struct NoDialogs : Dialogs {
    int message(const Text&, MessageButtons, MessageIcon, const DialogOwner*,
                const Text&) override {
        return kOk;
    }
    std::optional<Text> openFile(const Text&, const Text&, const Text&,
                                 const DialogOwner*) override {
        return std::nullopt;
    }
};

// A clock standing still at 2026-03-01 07:00, a day of the big plan.
struct StillClock : Clock {
    LocalTime now() const override { return LocalTime{2026, 3, 1, 7, 0, 0, 0, 0}; }
    std::int64_t wallMilliseconds() const override { return 0; }
    std::int64_t tickCount() const override { return 0; }
    TimerId callAt(std::int64_t, std::function<void()>) override { return 1; }
    void cancel(TimerId) override {}
};

std::string bytesOf(const Text& path) {
    std::ifstream in(nativePath(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Baseline: the file's bytes read, nothing made of them.
void BM_ReadFileOnly(benchmark::State& state, const char* name) {
    const Text path = data(name);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bytesOf(path));
    }
}
BENCHMARK_CAPTURE(BM_ReadFileOnly, xlsx, "timetable-500.xlsx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFileOnly, csv, "timetable-500.csv")->Unit(benchmark::kMillisecond);

void BM_Import500(benchmark::State& state, const char* name) {
    const Text path = data(name);
    std::size_t sittings = 0;
    for (auto _ : state) {
        const TimetableImport import = importTimetable(path, {}, kCues);
        sittings = import.sittings.size();
        if (!import.error.empty() || !import.bad.empty()) {
            state.SkipWithError("the timetable did not import cleanly");
        }
    }
    state.counters["sittings"] = static_cast<double>(sittings);
}
BENCHMARK_CAPTURE(BM_Import500, xlsx, "timetable-500.xlsx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Import500, csv, "timetable-500.csv")->Unit(benchmark::kMillisecond);

ExamPlan bigPlan() {
    ExamPlan plan;
    plan.name = "big";
    plan.sittings = importTimetable(data("timetable-500.csv"), {}, kCues).sittings;
    plan.cues = defaultPlanCues("/voice");
    return plan;
}

// Storing the accepted import: one replacement of config.ini, flushed to disk.
void BM_Store500(benchmark::State& state) {
    Folder folder;
    const ExamPlan plan = bigPlan();
    PlanStore store(folder.ini());
    for (auto _ : state) {
        if (!store.save(1, plan)) {
            state.SkipWithError("save failed");
        }
    }
}
BENCHMARK(BM_Store500)->Unit(benchmark::kMillisecond);

// Start-up's read of the rows, with the 500-sitting plan in config.ini.
void prepareStartUp(Folder& folder, bool active) {
    Rows rows;
    NoDialogs dialogs;
    SettingsFile file(rows, dialogs, folder.text());
    file.saveSettings();
    PlanStore store(folder.ini());
    store.save(1, bigPlan());
    store.setActive(active ? 1 : 0);
}

void BM_StartUpRowsOnly(benchmark::State& state) {
    Folder folder;
    prepareStartUp(folder, false);
    NoDialogs dialogs;
    for (auto _ : state) {
        Rows rows;
        SettingsFile file(rows, dialogs, folder.text());
        file.loadSettings();
        benchmark::DoNotOptimize(rows.examRows);
    }
}
BENCHMARK(BM_StartUpRowsOnly)->Unit(benchmark::kMicrosecond);

void BM_StartUpRowsAndTodaysSittings(benchmark::State& state) {
    Folder folder;
    prepareStartUp(folder, true);
    NoDialogs dialogs;
    StillClock clock;
    for (auto _ : state) {
        Rows rows;
        SettingsFile file(rows, dialogs, folder.text());
        file.loadSettings();
        PlanLoader loader(rows, clock, folder.ini(), {});
        loader.loadToday();
        if (loader.loadedDate().empty()) {
            state.SkipWithError("no sittings loaded");
        }
        benchmark::DoNotOptimize(rows.examRows);
    }
}
BENCHMARK(BM_StartUpRowsAndTodaysSittings)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace exambell

BENCHMARK_MAIN();
