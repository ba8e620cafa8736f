// The random order of the largest class the window takes, and the grid it fills.
#include <benchmark/benchmark.h>

#include "seating/SeatingChart.h"

namespace {

using exambell::SeatingChart;

void drawOrder999(benchmark::State& state) {
    auto generator = SeatingChart::seededGenerator();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SeatingChart::drawOrder(generator, SeatingChart::kMaxStudents));
    }
}
BENCHMARK(drawOrder999)->Unit(benchmark::kMicrosecond);

void seededGenerator(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(SeatingChart::seededGenerator());
    }
}
BENCHMARK(seededGenerator)->Unit(benchmark::kMicrosecond);

void layout99x99(benchmark::State& state) {
    auto generator = SeatingChart::seededGenerator();
    const auto order = SeatingChart::drawOrder(generator, SeatingChart::kMaxStudents);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SeatingChart::layout(99, 99, order, nullptr));
    }
}
BENCHMARK(layout99x99)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
