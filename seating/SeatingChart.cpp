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
    utf8ToGbk("抽签码无效：应为11个字母或数字（不含0、1、I、O），请核对后重新输入");
const Text kEarlierCode = utf8ToGbk(
    "这是旧版本程序的10位抽签码：旧码的校验分不清个别打错的字符，本版本不再按它重现座位表");
// "考试人数是 3，班级“一班”有 12 人：请把考试人数改为 12，或重新选择班级"
const Text kCountDiffersPrefix = utf8ToGbk("考试人数是 ");
const Text kCountDiffersClass = utf8ToGbk("，班级“");
const Text kCountDiffersSize = utf8ToGbk("”有 ");
const Text kCountDiffersAdvice = utf8ToGbk(" 人：请把考试人数改为 ");
const Text kCountDiffersSuffix = utf8ToGbk("，或重新选择班级");

const Text kWideComma = utf8ToGbk("，");
const Text kClassMissingPrefix = utf8ToGbk("找不到班级：");
const Text kClassMissingSuffix = utf8ToGbk("，请先导入该班级或检查混排班级的名称");
const Text kNeighboursPrefix =
    utf8ToGbk("各班人数相差太大，无法让同班同学全部不相邻；已尽量分开，仍有 ");
const Text kNeighboursSuffix = utf8ToGbk(" 对同班同学前后或左右相邻");
// When the search found more pairs than the sizes force: no claim that fewer are impossible.
const Text kNotSeparatedPrefix = utf8ToGbk("这次没能让同班同学全部不相邻，仍有 ");
const Text kNotSeparatedForced = utf8ToGbk(" 对前后或左右相邻（各班人数使其中至少 ");
const Text kNotSeparatedForcedEnd = utf8ToGbk(" 对无法避免）");
const Text kNotSeparatedSuffix = utf8ToGbk("；可以再生成一次");
const Text kNotSeparatedPlainEnd = utf8ToGbk(" 对前后或左右相邻");
const Text kMixedNameTooLongPrefix = utf8ToGbk("班级 ");
const Text kMixedNameTooLongSuffix =
    utf8ToGbk(" 中有学生的名字超过12个字符，混排会漏掉其后的学生；请重新导入该班级后再生成");
const Text kClassListSeparator = utf8ToGbk("、");

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
    const DrawCode::Parsed code = DrawCode::read(view_->chartFields().typedCode);
    if (!code.seed) {
        dialogs_->message(code.problem == DrawCode::Problem::Earlier ? kEarlierCode : kBadCode,
                          MessageButtons::Ok, MessageIcon::Error, view_->owner());
        return;
    }
    generateWithSeed(*code.seed);
}

struct SeatingChart::MixedRoster {
    std::vector<int> sizes;
    std::vector<Text> names;        // every class's names, class after class
    std::vector<Text> fingerprint;  // the same with each class's name in front of its names
    Text classes;                   // the class names joined by "、"
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
        const auto entry = std::find_if(entries.begin(), entries.end(), [&](const ClassEntry& e) {
            return ClassStore::sameClassName(e.name, name);
        });
        const std::optional<Text> element =
            entry == entries.end() ? std::nullopt : ClassStore::element(store, entry->value);
        if (!element) {
            dialogs_->message(kClassMissingPrefix + name + kClassMissingSuffix, MessageButtons::Ok,
                              MessageIcon::None, view_->owner());
            return std::nullopt;
        }
        const LoadedClass loaded = ClassStore::load(*element);
        if (loaded.tooLong) {
            dialogs_->message(kMixedNameTooLongPrefix + name + kMixedNameTooLongSuffix,
                              MessageButtons::Ok, MessageIcon::Error, view_->owner());
            return std::nullopt;
        }
        std::vector<Text> names = splitText(loaded.joined, ",");
        names.erase(std::remove(names.begin(), names.end(), Text()), names.end());
        mixed.sizes.push_back(static_cast<int>(names.size()));
        mixed.fingerprint.push_back(name);
        mixed.fingerprint.insert(mixed.fingerprint.end(), names.begin(), names.end());
        mixed.names.insert(mixed.names.end(), names.begin(), names.end());
        mixed.classes += mixed.classes.empty() ? Text() : kClassListSeparator;
        mixed.classes += name;
    }
    return mixed;
}

void SeatingChart::generateWithSeed(std::uint64_t seed) {
    const ChartFields fields = view_->chartFields();
    const auto tell = [this](const Text& text, MessageIcon icon = MessageIcon::None) {
        dialogs_->message(text, MessageButtons::Ok, icon, view_->owner());
    };
    std::optional<MixedRoster> mixed;
    if (!trimmed(fields.mixedClasses).empty()) {
        mixed = mixedRoster(fields.mixedClasses);
        if (!mixed) {
            return;
        }
    }
    const std::int64_t rows = toInteger(fields.rows);
    const std::int64_t columns = toInteger(fields.columns);
    const Text countText =
        mixed ? toText(static_cast<std::int64_t>(mixed->names.size())) : fields.count;
    const std::int64_t count = toInteger(countText);
    // The product of two 64-bit numbers is exact in long double wherever it is near count.
    if (static_cast<long double>(rows) * static_cast<long double>(columns) <
        static_cast<long double>(count)) {
        tell(kTooFewSeatsPrefix + countText + kTooFewSeatsSuffix);
        return;
    }
    if (count < 0 || count > kMaxStudents) {
        tell(kCountOutOfRange);
        return;
    }
    if (rows < 0 || rows > kMaxRowsOrColumns || columns < 0 || columns > kMaxRowsOrColumns) {
        tell(kSizeOutOfRange);
        return;
    }
    // A stored class seats exactly its students: a count typed beside it would leave some out
    // or fill seats with bare numbers.
    const bool storedClass = !mixed && !fields.classText.empty() && fields.classValue != 0;
    std::vector<Text> names;
    if (storedClass) {
        names = splitText(roster_->chosenNames(), ",");
        const auto size = static_cast<std::int64_t>(names.size());
        if (count != size) {
            tell(kCountDiffersPrefix + fields.count + kCountDiffersClass + fields.classText +
                 kCountDiffersSize + toText(size) + kCountDiffersAdvice + toText(size) +
                 kCountDiffersSuffix);
            return;
        }
    }

    Generator generator(seed);
    std::vector<int> order;
    std::vector<Text> fingerprinted;
    int sameClassPairs = 0;
    int unavoidablePairs = 0;
    if (mixed) {
        const MixedArrangement arrangement = MixedSeating::arrange(
            static_cast<int>(rows), static_cast<int>(columns), mixed->sizes, generator);
        for (int student : arrangement.seatStudent) {
            order.push_back(student + 1);  // an empty seat (-1) becomes 0
        }
        names = mixed->names;
        fingerprinted = mixed->fingerprint;
        sameClassPairs = arrangement.sameClassNeighbours;
        unavoidablePairs = arrangement.unavoidable;
    } else {
        order = drawOrder(generator, static_cast<int>(count));
        fingerprinted = names;
    }
    const bool namesMode = mixed || storedClass;
    SeatTable table = layout(static_cast<int>(rows), static_cast<int>(columns), order,
                             namesMode ? &names : nullptr);
    numberSeats(table, fields.numberPrefix, fields.numbering);
    if (mixed) {
        view_->setCount(countText);
    }
    view_->showTable(table);
    DrawnChart drawn{.table = std::move(table),
                     .code = DrawCode::format(seed),
                     .fingerprint = DrawCode::fingerprint(static_cast<int>(count), fingerprinted),
                     .classes = mixed ? mixed->classes : fields.classText};
    view_->setDrawInfo(drawn.code, drawn.fingerprint);
    drawn_ = std::move(drawn);
    view_->setExportEnabled(true);
    if (sameClassPairs > 0 && sameClassPairs == unavoidablePairs) {
        tell(kNeighboursPrefix + toText(sameClassPairs) + kNeighboursSuffix);
    } else if (sameClassPairs > 0) {
        Text text = kNotSeparatedPrefix + toText(sameClassPairs);
        text += unavoidablePairs > 0
                    ? kNotSeparatedForced + toText(unavoidablePairs) + kNotSeparatedForcedEnd
                    : kNotSeparatedPlainEnd;
        tell(text + kNotSeparatedSuffix);
    }
}

void SeatingChart::numberSeats(SeatTable& table, const Text& prefix, ExamNumbering numbering) {
    const int columns = table.columnCount() - 1;
    if (numbering == ExamNumbering::None || columns <= 0) {
        return;
    }
    // Seat (grid row r, grid column j) for r >= 2, j >= 1; grid column j is labelled
    // "第(columns + 1 - j)列", so label order runs from grid column columns down to 1.
    std::vector<std::pair<int, int>> seats;
    for (int r = 2; r < table.rowCount(); ++r) {
        const bool backwards = numbering == ExamNumbering::Serpentine && (r - 2) % 2 == 1;
        for (int step = 0; step < columns; ++step) {
            const int j = backwards ? step + 1 : columns - step;
            if (!table.cell(r, j).empty()) {
                seats.emplace_back(r, j);
            }
        }
    }
    const std::size_t width =
        std::max<std::size_t>(2, toText(static_cast<std::int64_t>(seats.size())).size());
    for (std::size_t i = 0; i < seats.size(); ++i) {
        Text digits = toText(static_cast<std::int64_t>(i + 1));
        digits.insert(0, width - std::min(width, digits.size()), '0');
        const auto [r, j] = seats[i];
        table.setCell(r, j, prefix + digits + "\n" + table.cell(r, j));
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
            if (student == 0) {
                continue;
            }
            const bool named = names != nullptr && student >= 1 &&
                               static_cast<std::size_t>(student) <= names->size();
            table.setCell(i + 1, j, named ? (*names)[student - 1] : toText(student));
        }
    }
    return table;
}

}  // namespace exambell
