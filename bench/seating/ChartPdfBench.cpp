// The printed chart as a PDF: the largest chart the window draws (99 x 99 seats, 999 students)
// beside the window's starting chart (8 x 6, 42) as the baseline; time and file size.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <filesystem>

#include "seating/ChartDocument.h"
#include "seating/DrawCode.h"
#include "seating/SeatingChart.h"
#include "text/Paths.h"
#include "ui/QtChartOutput.h"

namespace {

using namespace exambell;

void chartPdf(benchmark::State& state, int rows, int columns, int count) {
    const SeatTable grid =
        SeatingChart::layout(rows, columns, SeatingChart::drawOrder(1, count), nullptr);
    const DrawnChart drawn{.table = grid, .code = DrawCode::format(1)};
    const ChartDocument document =
        ChartDocument::of(drawn, ChartFields{}, LocalTime{.year = 2026, .month = 1, .day = 2});
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "exambell-chart-bench.pdf";
    QtChartOutput output;
    for (auto _ : state) {
        if (!output.writePdf(document, pathText(file))) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
    }
    state.counters["kB"] = static_cast<double>(std::filesystem::file_size(file)) / 1024;
    std::filesystem::remove(file);
}

void pdf8x6(benchmark::State& state) {
    chartPdf(state, 8, 6, 42);
}
BENCHMARK(pdf8x6)->Unit(benchmark::kMillisecond);

void pdf99x99(benchmark::State& state) {
    chartPdf(state, 99, 99, SeatingChart::kMaxStudents);
}
BENCHMARK(pdf99x99)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
