#include "seating/SeatingChart.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <utility>

#include "platform/Dialogs.h"
#include "seating/ClassRoster.h"
#include "seating/ClassStore.h"
#include "seating/DrawCode.h"
#include "seating/MixedSeating.h"
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

const Text kWideComma = utf8ToGbk("，");
const Text kClassMissingPrefix = utf8ToGbk("找不到班级：");
const Text kClassMissingSuffix = utf8ToGbk("，请先导入该班级或检查混排班级的名称");
const Text kNeighboursPrefix =
    utf8ToGbk("各班人数相差太大，无法让同班同学全部不相邻；已尽量分开，仍有 ");
const Text kNeighboursSuffix = utf8ToGbk(" 对同班同学前后或左右相邻");

Text trimmed(const Text& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == Text::npos) {
        return Text();
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

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

struct SeatingChart::MixedRoster {
    std::vector<int> sizes;
    std::vector<Text> names;        // every class's names, class after class
    std::vector<Text> fingerprint;  // the same with each class's name in front of its names
};

std::optional<SeatingChart::MixedRoster> SeatingChart::mixedRoster(const Text& field) {
    Text list;
    for (const Text& part : splitText(field, kWideComma)) {
        list += list.empty() ? "" : ",";
        list += part;
    }
    const Text store = roster_->readStore();
    const std::vector<ClassEntry> entries = ClassStore::entries(store);
    MixedRoster mixed;
    std::vector<Text> seen;
    for (const Text& part : splitText(list, ",")) {
        const Text name = trimmed(part);
        if (name.empty() || std::find(seen.begin(), seen.end(), name) != seen.end()) {
            continue;
        }
        seen.push_back(name);
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&](const ClassEntry& e) { return e.name == name; });
        const std::optional<Text> element =
            entry == entries.end() ? std::nullopt : ClassStore::element(store, entry->value);
        if (!element) {
            dialogs_->message(kClassMissingPrefix + name + kClassMissingSuffix, MessageButtons::Ok,
                              MessageIcon::None, view_->owner());
            return std::nullopt;
        }
        std::vector<Text> names = splitText(ClassStore::load(*element).joined, ",");
        names.erase(std::remove(names.begin(), names.end(), Text()), names.end());
        mixed.sizes.push_back(static_cast<int>(names.size()));
        mixed.fingerprint.push_back(name);
        mixed.fingerprint.insert(mixed.fingerprint.end(), names.begin(), names.end());
        mixed.names.insert(mixed.names.end(), names.begin(), names.end());
    }
    return mixed;
}

void SeatingChart::generateWithSeed(std::uint64_t seed) {
    const ChartFields fields = view_->chartFields();
    std::optional<MixedRoster> mixed;
    if (!trimmed(fields.mixedClasses).empty()) {
        mixed = mixedRoster(fields.mixedClasses);
        if (!mixed) {
            return;
        }
        view_->setCount(toText(static_cast<std::int64_t>(mixed->names.size())));
    }
    const std::int64_t rows = toInteger(fields.rows);
    const std::int64_t columns = toInteger(fields.columns);
    const Text countText =
        mixed ? toText(static_cast<std::int64_t>(mixed->names.size())) : fields.count;
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
    Generator generator(seed);
    std::vector<int> order;
    std::vector<Text> names;
    std::vector<Text> fingerprinted;
    int sameClassPairs = 0;
    if (mixed) {
        const MixedArrangement arrangement = MixedSeating::arrange(
            static_cast<int>(rows), static_cast<int>(columns), mixed->sizes, generator);
        for (int student : arrangement.seatStudent) {
            order.push_back(student + 1);
        }
        names = mixed->names;
        fingerprinted = mixed->fingerprint;
        sameClassPairs = arrangement.sameClassNeighbours;
    } else {
        order = drawOrder(generator, static_cast<int>(count));
        if (!fields.classText.empty()) {
            names = splitText(roster_->chosenNames(), ",");
        }
        fingerprinted = names;
    }
    const bool namesMode = mixed || !fields.classText.empty();
    SeatTable table = layout(static_cast<int>(rows), static_cast<int>(columns), order,
                             namesMode ? &names : nullptr);
    numberSeats(table, static_cast<int>(columns), static_cast<int>(count), fields.numberPrefix,
                fields.numbering);
    view_->showTable(table);
    view_->setDrawInfo(DrawCode::format(seed),
                       DrawCode::fingerprint(static_cast<int>(count), fingerprinted));
    view_->setExportEnabled(true);
    if (sameClassPairs > 0) {
        dialogs_->message(kNeighboursPrefix + toText(sameClassPairs) + kNeighboursSuffix,
                          MessageButtons::Ok, MessageIcon::None, view_->owner());
    }
}

void SeatingChart::numberSeats(SeatTable& table, int columns, int count, const Text& prefix,
                               ExamNumbering numbering) {
    if (numbering == ExamNumbering::None || columns <= 0) {
        return;
    }
    const std::size_t width = std::max<std::size_t>(2, toText(count).size());
    for (int k = 1; k <= count; ++k) {
        const int row = (k - 1) / columns;  // 0-based seat row
        const int column = (k - 1) % columns + 1;
        int number = k;
        if (numbering == ExamNumbering::Serpentine && row % 2 == 1) {
            // Back from the right along this row's occupied seats.
            const int occupied = std::min(columns, count - row * columns);
            number = row * columns + occupied + 1 - column;
        }
        Text digits = toText(number);
        digits.insert(0, width - std::min(width, digits.size()), '0');
        const Text label = table.cell(row + 2, column);
        table.setCell(row + 2, column, prefix + digits + " " + label);
    }
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
