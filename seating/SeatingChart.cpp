#include "seating/SeatingChart.h"

#include <limits>
#include <numeric>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace exambell {

namespace {

constexpr std::string_view kOrdinalPrefix = "\xB5\xDA";  // 第
constexpr std::string_view kColumnSuffix = "\xC1\xD0";   // 列
constexpr std::string_view kRowSuffix = "\xD0\xD0";      // 行

std::uint64_t cycleCounter() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return 0;
#endif
}

Text ordinalLabel(int number, std::string_view suffix) {
    Text label(kOrdinalPrefix);
    label += toText(number);
    label += suffix;
    return label;
}

}  // namespace

SeatingChart::Generator SeatingChart::seededGenerator() {
    std::random_device device;
    std::seed_seq seed{device(),
                       device(),
                       device(),
                       device(),
                       static_cast<std::uint32_t>(cycleCounter()),
                       static_cast<std::uint32_t>(cycleCounter() >> 32)};
    return Generator(seed);
}

int SeatingChart::randomInRange(Generator& generator, int lo, int hi) {
    const std::uint64_t span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo) + 1;
    // 2^64 mod span: the values below it would make the low results more likely; redraw them.
    const std::uint64_t biased = (0 - span) % span;
    std::uint64_t x = generator();
    while (x < biased) {
        x = generator();
    }
    return static_cast<int>(lo + static_cast<std::int64_t>(x % span));
}

std::vector<int> SeatingChart::drawOrder(Generator& generator, int n) {
    std::vector<int> order(n > 0 ? n : 0);
    std::iota(order.begin(), order.end(), 1);
    for (int i = n - 1; i > 0; --i) {
        std::swap(order[i], order[randomInRange(generator, 0, i)]);
    }
    return order;
}

SeatTable SeatingChart::layout(int rows, int columns, const std::vector<int>& order,
                               const std::vector<Text>* names) {
    const auto count = static_cast<std::int64_t>(order.size());
    SeatTable table(rows + 2, columns + 1);
    for (int j = 1; j <= columns; ++j) {
        table.setCell(1, j, ordinalLabel(columns + 1 - j, kColumnSuffix));
    }
    for (int i = 1; i <= rows; ++i) {
        const std::int64_t rowStart = static_cast<std::int64_t>(i - 1) * columns;
        if (rowStart > count) {
            break;
        }
        table.setCell(i + 1, 0, ordinalLabel(i, kRowSuffix));
        for (int j = 1; j <= columns && rowStart + j <= count; ++j) {
            const int student = order[rowStart + j - 1];
            const bool named = names != nullptr && student >= 1 &&
                               static_cast<std::size_t>(student) <= names->size();
            table.setCell(i + 1, j, named ? (*names)[student - 1] : toText(student));
        }
    }
    return table;
}

}  // namespace exambell
