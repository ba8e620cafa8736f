// A mixed room of 999 students from 10 classes in 32 x 32 seats, beside the draw of one class of
// 999 (the baseline): the time of a draw and the same-class neighbour pairs it leaves.
#include <benchmark/benchmark.h>

#include "seating/MixedSeating.h"

namespace {

using exambell::MixedSeating;
using exambell::SeatingChart;

const std::vector<int> kTenClasses = {100, 100, 100, 100, 100, 100, 100, 100, 100, 99};

void oneClassOf999(benchmark::State& state) {
    SeatingChart::Generator generator(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SeatingChart::drawOrder(generator, SeatingChart::kMaxStudents));
    }
}
BENCHMARK(oneClassOf999)->Unit(benchmark::kMillisecond);

void tenClassesOf999(benchmark::State& state) {
    SeatingChart::Generator generator(1);
    int pairs = 0;
    for (auto _ : state) {
        const auto arrangement = MixedSeating::arrange(32, 32, kTenClasses, generator);
        pairs += arrangement.sameClassNeighbours;
        benchmark::DoNotOptimize(arrangement);
    }
    state.counters["sameClassPairs"] =
        benchmark::Counter(pairs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(tenClassesOf999)->Unit(benchmark::kMillisecond);

// Two classes of 499 and 500 in 32 x 32: the tightest even case, every neighbour the other class.
void twoClassesOf999(benchmark::State& state) {
    SeatingChart::Generator generator(1);
    int pairs = 0;
    for (auto _ : state) {
        const auto arrangement = MixedSeating::arrange(32, 32, {500, 499}, generator);
        pairs += arrangement.sameClassNeighbours;
        benchmark::DoNotOptimize(arrangement);
    }
    state.counters["sameClassPairs"] =
        benchmark::Counter(pairs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(twoClassesOf999)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
