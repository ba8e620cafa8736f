#include "seating/SeatingChart.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <utility>

#include "platform/Dialogs.h"
#include "seating/ClassRoster.h"
#include "seating/DrawCode.h"
#include "seating/SeatingView.h"
#include "text/Encoding.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace exambell {

namespace {

const Text kOrdinalPrefix = utf8ToGbk("第");
const Text kColumnSuffix = utf8ToGbk("列");
const Text kRowSuffix = utf8ToGbk("行");

// "座位不够容纳 " + the count as typed + " 人"
const Text kTooFewSeatsPrefix = utf8ToGbk("座位不够容纳 ");
const Text kTooFewSeatsSuffix = utf8ToGbk(" 人");
const Text kCountOutOfRange = utf8ToGbk("考试人数须在0到999之间");
const Text kSizeOutOfRange = utf8ToGbk("排数和列数须在0到99之间");
const Text kBadCode =
    utf8ToGbk("抽签码无效：应为10个字母或数字（不含0、1、I、O），请核对后重新输入");

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

// A grid size from a field: larger numbers than the field offers would build a grid too big to
// show; a negative one gives no rows or columns.
int gridSize(const Text& field) {
    return static_cast<int>(
               std::clamp<std::int64_t>(toInteger(field), -1, SeatingChart::kMaxRowsOrColumns)) +
           1;
}

}  // namespace

SeatingChart::SeatingChart(SeatingView& view, Dialogs& dialogs, const ClassRoster& roster)
    : view_(&view), dialogs_(&dialogs), roster_(&roster) {}

void SeatingChart::resizeRows() {
    view_->setGridRowCount(gridSize(view_->chartFields().rows));
}

void SeatingChart::resizeColumns() {
    view_->setGridColumnCount(gridSize(view_->chartFields().columns));
}

void SeatingChart::generate() {
    generateWithSeed(DrawCode::freshSeed());
}

void SeatingChart::generateFromCode() {
    const std::optional<std::uint64_t> seed = DrawCode::parse(view_->chartFields().typedCode);
    if (!seed) {
        dialogs_->message(kBadCode, MessageButtons::Ok, MessageIcon::Error, view_->owner());
        return;
    }
    generateWithSeed(*seed);
}

void SeatingChart::generateWithSeed(std::uint64_t seed) {
    const ChartFields fields = view_->chartFields();
    const std::int64_t rows = toInteger(fields.rows);
    const std::int64_t columns = toInteger(fields.columns);
    const Text& countText = fields.count;
    const std::int64_t count = toInteger(countText);
    // The product of two 64-bit numbers is exact in long double wherever it is near count.
    if (static_cast<long double>(rows) * static_cast<long double>(columns) <
        static_cast<long double>(count)) {
        Text text(kTooFewSeatsPrefix);
        text += countText;
        text += kTooFewSeatsSuffix;
        dialogs_->message(text, MessageButtons::Ok, MessageIcon::None, view_->owner());
        return;
    }
    if (count < 0 || count > kMaxStudents) {
        dialogs_->message(kCountOutOfRange, MessageButtons::Ok, MessageIcon::None, view_->owner());
        return;
    }
    if (rows < 0 || rows > kMaxRowsOrColumns || columns < 0 || columns > kMaxRowsOrColumns) {
        dialogs_->message(kSizeOutOfRange, MessageButtons::Ok, MessageIcon::None, view_->owner());
        return;
    }
    const std::vector<int> order = drawOrder(seed, static_cast<int>(count));
    std::vector<Text> names;
    const bool namesMode = !fields.classText.empty();
    if (namesMode) {
        names = splitText(roster_->chosenNames(), ",");
    }
    const SeatTable table = layout(static_cast<int>(rows), static_cast<int>(columns), order,
                                   namesMode ? &names : nullptr);
    view_->showTable(table);
    view_->setDrawInfo(DrawCode::format(seed),
                       DrawCode::fingerprint(static_cast<int>(count), names));
    view_->setExportEnabled(true);
}

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

std::vector<int> SeatingChart::drawOrder(std::uint64_t seed, int n) {
    Generator generator(seed);
    return drawOrder(generator, n);
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
