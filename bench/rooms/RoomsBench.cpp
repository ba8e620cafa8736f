// A grade of 2,000 students from 40 classes into 70 rooms of 6 x 5, and its pages: the draw
// (goal under 100 ms), the PDF of 70 rooms with chart, door list and sign-in sheets (goal under
// 3 s) and the desk labels (goal under 2 s). Beside each, the one-room chart of today as the
// baseline: a mixed room of 42 from two classes, and its one-page PDF.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <filesystem>

#include "rooms/GradeRoster.h"
#include "rooms/RoomDocuments.h"
#include "rooms/RoomPlan.h"
#include "seating/ChartDocument.h"
#include "seating/DrawCode.h"
#include "seating/MixedSeating.h"
#include "seating/SeatingChart.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/QtChartOutput.h"
#include "ui/QtRoomOutput.h"

namespace {

using namespace exambell;

ArrangementRequest grade() {
    ArrangementRequest request;
    for (int c = 1; c <= 40; ++c) {
        GradeClass one{utf8ToGbk("高一") + toText(c) + utf8ToGbk("班"), {}};
        for (int s = 1; s <= 50; ++s) {
            one.names.push_back(utf8ToGbk("欧阳") + toText(c * 100 + s));
        }
        request.classes.push_back(std::move(one));
    }
    for (int r = 1; r <= 70; ++r) {
        request.rooms.push_back(
            {utf8ToGbk("第") + toText(r) + utf8ToGbk("考场"), 6, 5, Spacing::None, {}});
    }
    request.format = {"202601", 2, 2};
    request.exam = utf8ToGbk("期末考试");
    return request;
}

ArrangementDocument gradeDocument() {
    const ArrangementRequest request = grade();
    const ArrangementOutcome outcome = RoomPlan::arrange(request, 1);
    return ArrangementDocument::of(request, *outcome.arrangement, DrawCode::format(1),
                                   RoomPlan::fingerprint(request.classes),
                                   LocalTime{.year = 2026, .month = 1, .day = 2});
}

std::filesystem::path benchFile(const char* name) {
    return std::filesystem::temp_directory_path() / name;
}

void oneRoomMixedOf42(benchmark::State& state) {
    SeatingChart::Generator generator(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(MixedSeating::arrange(8, 6, {21, 21}, generator));
    }
}
BENCHMARK(oneRoomMixedOf42)->Unit(benchmark::kMillisecond);

void gradeOf2000In70Rooms(benchmark::State& state) {
    const ArrangementRequest request = grade();
    std::uint64_t seed = 1;
    int pairs = 0;
    for (auto _ : state) {
        const ArrangementOutcome outcome = RoomPlan::arrange(request, seed++);
        pairs += outcome.arrangement->sameClassPairs;
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["sameClassPairs"] =
        benchmark::Counter(pairs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(gradeOf2000In70Rooms)->Unit(benchmark::kMillisecond);

void oneRoomChartPdf(benchmark::State& state) {
    const ArrangementDocument document = gradeDocument();
    const std::filesystem::path file = benchFile("exambell-room-chart-bench.pdf");
    QtChartOutput output;
    for (auto _ : state) {
        if (!output.writePdf(document.rooms.front().chart, pathText(file))) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
    }
    state.counters["kB"] = static_cast<double>(std::filesystem::file_size(file)) / 1024;
    std::filesystem::remove(file);
}
BENCHMARK(oneRoomChartPdf)->Unit(benchmark::kMillisecond);

void roomsPdfOf70(benchmark::State& state) {
    const ArrangementDocument document = gradeDocument();
    const std::filesystem::path file = benchFile("exambell-rooms-bench.pdf");
    QtRoomOutput output;
    for (auto _ : state) {
        if (!output.writeRoomsPdf(document, pathText(file))) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
    }
    state.counters["kB"] = static_cast<double>(std::filesystem::file_size(file)) / 1024;
    std::filesystem::remove(file);
}
BENCHMARK(roomsPdfOf70)->Unit(benchmark::kMillisecond);

void deskLabelsOf2000(benchmark::State& state) {
    const ArrangementDocument document = gradeDocument();
    const std::filesystem::path file = benchFile("exambell-labels-bench.pdf");
    QtRoomOutput output;
    for (auto _ : state) {
        if (!output.writeLabelsPdf(document, pathText(file), 3, 8)) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
    }
    state.counters["kB"] = static_cast<double>(std::filesystem::file_size(file)) / 1024;
    std::filesystem::remove(file);
}
BENCHMARK(deskLabelsOf2000)->Unit(benchmark::kMillisecond);

// Reading the grade's rosters back from config.ini, as opening the window and every draw do.
void rosterOf2000Read(benchmark::State& state) {
    const std::filesystem::path folder = benchFile("exambell-roster-bench");
    std::filesystem::create_directories(folder);
    const Text config = pathText(folder / "config.ini");
    const GradeRoster roster(config);
    for (const GradeClass& one : grade().classes) {
        roster.save(one);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(roster.classes());
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(rosterOf2000Read)->Unit(benchmark::kMillisecond);

void workbookOf2000(benchmark::State& state) {
    const ArrangementDocument document = gradeDocument();
    const std::filesystem::path file = benchFile("exambell-rooms-bench.xlsx");
    for (auto _ : state) {
        if (!saveArrangementWorkbook(file, document)) {
            state.SkipWithError("the workbook could not be written");
            break;
        }
    }
    std::filesystem::remove(file);
}
BENCHMARK(workbookOf2000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
