#include "rooms/RoomPlan.h"

#include <algorithm>
#include <map>
#include <numeric>

#include "seating/DrawCode.h"
#include "seating/SeatingChart.h"
#include "text/Encoding.h"

namespace exambell {

namespace {

const Text kNoSpacing = utf8ToGbk("不留空");
const Text kOtherColumn = utf8ToGbk("隔列");
const Text kOtherSeat = utf8ToGbk("隔座");
const Text kLeaveSuffix = utf8ToGbk("留空");
const Text kWideComma = utf8ToGbk("，");
const Text kTimes = utf8ToGbk("×");
const Text kEnumComma = utf8ToGbk("、");
const Text kWideSemicolon = utf8ToGbk("；");
const Text kWideHyphen = utf8ToGbk("－");

const Text kNameMissing = utf8ToGbk("考场名称不能为空");
const Text kSizeOutOfRange = utf8ToGbk("排数和列数须在1到99之间");
const Text kBadSpacing = utf8ToGbk("留空方式只能是 不留空、隔列 或 隔座");
const Text kBadClosedSeat = utf8ToGbk("停用座位应写成 排-列（如 3-2），且在考场之内：");

const Text kNoRooms = utf8ToGbk("请先填写考场：每行一个，如 第01考场,8,5");
const Text kDuplicateRoom = utf8ToGbk("考场名称重复：");
const Text kRoomWithoutSeatsPrefix = utf8ToGbk("考场 ");
const Text kRoomWithoutSeatsSuffix = utf8ToGbk(" 没有可用的座位，请检查排数、列数、留空和停用座位");
const Text kNoClasses = utf8ToGbk("没有考生：请先导入年级的班级名单");
const Text kEmptyClassPrefix = utf8ToGbk("班级 ");
const Text kEmptyClassSuffix = utf8ToGbk(" 没有学生：请导入它的名单，或把它删除");
const Text kTooFewSeats1 = utf8ToGbk("考生 ");
const Text kTooFewSeats2 = utf8ToGbk(" 人，座位只有 ");
const Text kTooFewSeats3 = utf8ToGbk(" 个，还差 ");
const Text kTooFewSeats4 = utf8ToGbk(" 个座位，请增加考场或减少留空");
const Text kDigitsOutOfRange = utf8ToGbk("考号中考场位数须在0到3之间，座号位数须在1到4之间");
const Text kRoomDigits1 = utf8ToGbk("共有 ");
const Text kRoomDigits2 = utf8ToGbk(" 个考场，考号中的考场只有 ");
const Text kRoomDigits3 = utf8ToGbk(" 位，请增加考场位数");
const Text kSeatDigits1 = utf8ToGbk("座号只有 ");
const Text kSeatDigits2 = utf8ToGbk(" 位，写不下第 ");
const Text kSeatDigits3 = utf8ToGbk(" 号，请增加座号位数");
const Text kPrefixTooLong = utf8ToGbk("考号前缀最多20个字节（10个汉字或20个字母数字）");

constexpr std::size_t kMaxPrefixBytes = 20;

Text trimmed(std::string_view text) {
    Text rest = deleteLeadingBlanks(text);
    while (!rest.empty()) {
        if (rest.back() == ' ' || rest.back() == '\t') {
            rest.pop_back();
        } else if (rest.size() >= 2 &&
                   std::string_view(rest).substr(rest.size() - 2) == kWideBlank) {
            rest.resize(rest.size() - 2);
        } else {
            break;
        }
    }
    return rest;
}

// text with every occurrence (at character starts) of from turned into to.
Text replaced(std::string_view text, std::string_view from, std::string_view to) {
    Text out;
    const std::vector<Text> parts = splitText(text, from);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        out += i == 0 ? "" : Text(to);
        out += parts[i];
    }
    // splitText drops an empty rest after a trailing separator.
    if (text.size() >= from.size() && text.substr(text.size() - from.size()) == from) {
        out += to;
    }
    return out;
}

// A whole number of only ASCII digits (1 to 4 of them), or -1.
int smallNumber(std::string_view text) {
    if (text.empty() || text.size() > 4 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    return static_cast<int>(toInteger(text));
}

Text padded(std::int64_t number, int digits) {
    Text text = toText(number);
    if (static_cast<int>(text.size()) < digits) {
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    }
    return text;
}

std::int64_t limitOf(int digits) {
    std::int64_t limit = 1;
    for (int i = 0; i < digits; ++i) {
        limit *= 10;
    }
    return limit;
}

struct Candidate {
    int classIndex;
    int student;
};

// Which class sits on each of the first n usable seats of a room, so that as few seats next to
// each other hold one class as the search finds: a checkerboard fill, the largest class first,
// then swaps that add no pair (towards none, and to vary the places from draw to draw).
std::vector<int> mixSeats(const std::vector<std::pair<int, int>>& seats,
                          const std::vector<int>& classOfMember, SeatingChart::Generator& generator,
                          int& pairs) {
    const int n = static_cast<int>(classOfMember.size());
    const auto random = [&generator](int lo, int hi) {
        return SeatingChart::randomInRange(generator, lo, hi);
    };
    std::map<std::pair<int, int>, int> at;
    for (int k = 0; k < n; ++k) {
        at[seats[k]] = k;
    }
    std::vector<std::vector<int>> neighbours(n);
    for (int k = 0; k < n; ++k) {
        const auto [row, column] = seats[k];
        for (const auto& [dr, dc] : {std::pair{0, 1}, std::pair{1, 0}}) {
            const auto other = at.find({row + dr, column + dc});
            if (other != at.end()) {
                neighbours[k].push_back(other->second);
                neighbours[other->second].push_back(k);
            }
        }
    }
    std::vector<int> byColour;
    int even = 0;
    for (int k = 0; k < n; ++k) {
        even += (seats[k].first + seats[k].second) % 2 == 0;
    }
    const int first = even * 2 >= n ? 0 : 1;
    for (int colour : {first, 1 - first}) {
        for (int k = 0; k < n; ++k) {
            if ((seats[k].first + seats[k].second) % 2 == colour) {
                byColour.push_back(k);
            }
        }
    }
    std::map<int, int> sizeOf;
    for (int c : classOfMember) {
        ++sizeOf[c];
    }
    std::vector<int> classes;
    for (const auto& [c, size] : sizeOf) {
        classes.push_back(c);
    }
    for (int i = static_cast<int>(classes.size()) - 1; i > 0; --i) {
        std::swap(classes[i], classes[random(0, i)]);
    }
    std::stable_sort(classes.begin(), classes.end(),
                     [&](int a, int b) { return sizeOf[a] > sizeOf[b]; });
    std::vector<int> seatClass(n);
    std::size_t next = 0;
    for (int c : classes) {
        for (int i = 0; i < sizeOf[c]; ++i) {
            seatClass[byColour[next++]] = c;
        }
    }
    const auto clashes = [&](int k, int asClass) {
        int count = 0;
        for (int other : neighbours[k]) {
            count += seatClass[other] == asClass;
        }
        return count;
    };
    pairs = 0;
    for (int k = 0; k < n; ++k) {
        for (int other : neighbours[k]) {
            pairs += other > k && seatClass[other] == seatClass[k];
        }
    }
    if (n < 2 || classes.size() < 2) {
        return seatClass;
    }
    // A short walk mixes every room; a room left with pairs searches longer.
    const long long mixing = 20LL * n + 500;
    const long long longest = 200LL * n + 20000;
    std::vector<int> best = seatClass;
    int bestPairs = pairs;
    for (long long attempt = 0; attempt < longest && (attempt < mixing || bestPairs > 0);
         ++attempt) {
        int a = random(0, n - 1);
        if (pairs > 0 && attempt % 2 == 0) {
            for (int tries = 0; tries < 8 && clashes(a, seatClass[a]) == 0; ++tries) {
                a = random(0, n - 1);
            }
        }
        const int b = random(0, n - 1);
        const int ca = seatClass[a];
        const int cb = seatClass[b];
        if (ca == cb) {
            continue;
        }
        const int before = clashes(a, ca) + clashes(b, cb);
        std::swap(seatClass[a], seatClass[b]);
        // a and b next to each other count each other before and after alike.
        const int after = clashes(a, cb) + clashes(b, ca);
        const int delta = after - before;
        if (delta <= 0) {
            pairs += delta;
            if (pairs < bestPairs) {
                bestPairs = pairs;
                best = seatClass;
            }
        } else {
            std::swap(seatClass[a], seatClass[b]);
        }
    }
    pairs = bestPairs;
    return best;
}

}  // namespace

bool RoomSpec::usable(int row, int column) const {
    if (row < 1 || row > rows || column < 1 || column > columns) {
        return false;
    }
    if (spacing == Spacing::OtherColumn && column % 2 == 0) {
        return false;
    }
    if (spacing == Spacing::OtherSeat && (row + column) % 2 == 1) {
        return false;
    }
    return std::find(closed.begin(), closed.end(), std::pair{row, column}) == closed.end();
}

std::vector<std::pair<int, int>> RoomSpec::seats() const {
    std::vector<std::pair<int, int>> result;
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= columns; ++column) {
            if (usable(row, column)) {
                result.emplace_back(row, column);
            }
        }
    }
    return result;
}

Text spacingName(Spacing spacing) {
    switch (spacing) {
        case Spacing::OtherColumn:
            return kOtherColumn;
        case Spacing::OtherSeat:
            return kOtherSeat;
        case Spacing::None:
            break;
    }
    return kNoSpacing;
}

Text RoomSpec::line() const {
    Text text = name + "," + toText(rows) + "," + toText(columns);
    if (spacing != Spacing::None || !closed.empty()) {
        text += "," + spacingName(spacing);
    }
    if (!closed.empty()) {
        text += ",";
        for (std::size_t i = 0; i < closed.size(); ++i) {
            text += (i == 0 ? "" : " ") + toText(closed[i].first) + "-" + toText(closed[i].second);
        }
    }
    return text;
}

std::optional<RoomSpec> RoomSpec::parse(std::string_view line, Text& problem) {
    Text text = replaced(replaced(line, kWideComma, ","), "\t", ",");
    std::vector<Text> fields;
    for (const Text& part : splitText(text, ",")) {
        fields.push_back(trimmed(part));
    }
    RoomSpec room;
    if (fields.empty() || fields[0].empty()) {
        problem = kNameMissing;
        return std::nullopt;
    }
    room.name = fields[0];
    std::size_t next = 1;
    if (fields.size() > 1) {
        // "8x5" or "8×5" in one field.
        Text size = replaced(replaced(fields[1], kTimes, "x"), "X", "x");
        const std::vector<Text> both = splitText(size, "x");
        if (both.size() == 2) {
            room.rows = smallNumber(trimmed(both[0]));
            room.columns = smallNumber(trimmed(both[1]));
            next = 2;
        } else if (fields.size() > 2) {
            room.rows = smallNumber(fields[1]);
            room.columns = smallNumber(fields[2]);
            next = 3;
        }
    }
    if (room.rows < 1 || room.rows > 99 || room.columns < 1 || room.columns > 99) {
        problem = kSizeOutOfRange;
        return std::nullopt;
    }
    if (next < fields.size()) {
        Text spacing = fields[next++];
        if (spacing.size() > kLeaveSuffix.size() &&
            spacing.substr(spacing.size() - kLeaveSuffix.size()) == kLeaveSuffix &&
            spacing != kNoSpacing) {
            spacing.resize(spacing.size() - kLeaveSuffix.size());
        }
        if (spacing == kOtherColumn) {
            room.spacing = Spacing::OtherColumn;
        } else if (spacing == kOtherSeat) {
            room.spacing = Spacing::OtherSeat;
        } else if (!spacing.empty() && spacing != kNoSpacing) {
            problem = kBadSpacing;
            return std::nullopt;
        }
    }
    // Anything after the spacing lists the closed seats, whatever separates them.
    Text rest;
    for (; next < fields.size(); ++next) {
        rest += " " + fields[next];
    }
    for (const std::string_view separator :
         {std::string_view(kEnumComma), std::string_view(kWideSemicolon), std::string_view(";"),
          std::string_view(kWideBlank)}) {
        rest = replaced(rest, separator, " ");
    }
    rest = replaced(rest, kWideHyphen, "-");
    for (const Text& token : splitText(rest, " ")) {
        if (token.empty()) {
            continue;
        }
        const std::vector<Text> parts = splitText(token, "-");
        const int row = parts.size() == 2 ? smallNumber(parts[0]) : -1;
        const int column = parts.size() == 2 ? smallNumber(parts[1]) : -1;
        if (row < 1 || row > room.rows || column < 1 || column > room.columns) {
            problem = kBadClosedSeat + token;
            return std::nullopt;
        }
        if (std::find(room.closed.begin(), room.closed.end(), std::pair{row, column}) ==
            room.closed.end()) {
            room.closed.emplace_back(row, column);
        }
    }
    return room;
}

Text NumberFormat::number(int room, int seat, int running) const {
    if (roomDigits <= 0) {
        return prefix + padded(running, seatDigits);
    }
    return prefix + padded(room, roomDigits) + padded(seat, seatDigits);
}

Text RoomPlan::check(const ArrangementRequest& request) {
    if (request.rooms.empty()) {
        return kNoRooms;
    }
    std::int64_t seats = 0;
    std::int64_t largestRoom = 0;
    for (std::size_t r = 0; r < request.rooms.size(); ++r) {
        const RoomSpec& room = request.rooms[r];
        for (std::size_t s = 0; s < r; ++s) {
            if (request.rooms[s].name == room.name) {
                return kDuplicateRoom + room.name;
            }
        }
        const auto size = static_cast<std::int64_t>(room.seats().size());
        if (size == 0) {
            return kRoomWithoutSeatsPrefix + room.name + kRoomWithoutSeatsSuffix;
        }
        seats += size;
        largestRoom = std::max(largestRoom, size);
    }
    if (request.classes.empty()) {
        return kNoClasses;
    }
    std::int64_t candidates = 0;
    for (const GradeClass& grade : request.classes) {
        if (grade.names.empty()) {
            return kEmptyClassPrefix + grade.name + kEmptyClassSuffix;
        }
        candidates += static_cast<std::int64_t>(grade.names.size());
    }
    if (candidates > seats) {
        return kTooFewSeats1 + toText(candidates) + kTooFewSeats2 + toText(seats) + kTooFewSeats3 +
               toText(candidates - seats) + kTooFewSeats4;
    }
    const NumberFormat& format = request.format;
    if (format.roomDigits < 0 || format.roomDigits > 3 || format.seatDigits < 1 ||
        format.seatDigits > 4) {
        return kDigitsOutOfRange;
    }
    if (format.prefix.size() > kMaxPrefixBytes) {
        return kPrefixTooLong;
    }
    const auto roomCount = static_cast<std::int64_t>(request.rooms.size());
    if (format.roomDigits > 0 && roomCount >= limitOf(format.roomDigits)) {
        return kRoomDigits1 + toText(roomCount) + kRoomDigits2 + toText(format.roomDigits) +
               kRoomDigits3;
    }
    const std::int64_t highest = format.roomDigits > 0 ? largestRoom : candidates;
    if (highest >= limitOf(format.seatDigits)) {
        return kSeatDigits1 + toText(format.seatDigits) + kSeatDigits2 + toText(highest) +
               kSeatDigits3;
    }
    return Text();
}

int RoomPlan::sameClassPairs(const std::vector<SeatedCandidate>& seated) {
    std::map<std::pair<int, int>, int> classAt;
    for (const SeatedCandidate& s : seated) {
        classAt[{s.row, s.column}] = s.classIndex;
    }
    int pairs = 0;
    for (const auto& [seat, classIndex] : classAt) {
        for (const auto& [dr, dc] : {std::pair{0, 1}, std::pair{1, 0}}) {
            const auto other = classAt.find({seat.first + dr, seat.second + dc});
            pairs += other != classAt.end() && other->second == classIndex;
        }
    }
    return pairs;
}

Text RoomPlan::fingerprint(const std::vector<GradeClass>& classes) {
    std::vector<Text> all;
    int count = 0;
    for (const GradeClass& grade : classes) {
        all.push_back(grade.name);
        all.insert(all.end(), grade.names.begin(), grade.names.end());
        count += static_cast<int>(grade.names.size());
    }
    return DrawCode::fingerprint(count, all);
}

ArrangementOutcome RoomPlan::arrange(const ArrangementRequest& request, std::uint64_t seed) {
    ArrangementOutcome outcome;
    outcome.problem = check(request);
    if (!outcome.problem.empty()) {
        return outcome;
    }
    SeatingChart::Generator generator(seed);

    // The candidates in the order asked for.
    std::vector<Candidate> sequence;
    switch (request.order) {
        case CandidateOrder::Random: {
            std::vector<Candidate> all;
            for (int c = 0; c < static_cast<int>(request.classes.size()); ++c) {
                for (int s = 0; s < static_cast<int>(request.classes[c].names.size()); ++s) {
                    all.push_back({c, s});
                }
            }
            for (int k : SeatingChart::drawOrder(generator, static_cast<int>(all.size()))) {
                sequence.push_back(all[k - 1]);
            }
            break;
        }
        case CandidateOrder::RandomWithinClass:
            for (int c = 0; c < static_cast<int>(request.classes.size()); ++c) {
                const int size = static_cast<int>(request.classes[c].names.size());
                for (int k : SeatingChart::drawOrder(generator, size)) {
                    sequence.push_back({c, k - 1});
                }
            }
            break;
        case CandidateOrder::ByClassThenName:
            for (int c = 0; c < static_cast<int>(request.classes.size()); ++c) {
                const std::vector<Text>& names = request.classes[c].names;
                std::vector<int> students(names.size());
                std::iota(students.begin(), students.end(), 0);
                // GBK byte order puts the common characters in pinyin order.
                std::stable_sort(students.begin(), students.end(),
                                 [&](int a, int b) { return names[a] < names[b]; });
                for (int s : students) {
                    sequence.push_back({c, s});
                }
            }
            break;
    }
    const int total = static_cast<int>(sequence.size());

    // Rooms fill in their order; the last ones may stay partly or wholly empty.
    std::vector<std::vector<std::pair<int, int>>> seats;
    std::vector<int> quota;
    int left = total;
    for (const RoomSpec& room : request.rooms) {
        seats.push_back(room.seats());
        quota.push_back(std::min(left, static_cast<int>(seats.back().size())));
        left -= quota.back();
    }
    const int roomCount = static_cast<int>(request.rooms.size());

    // Who goes into which room: in sequence, or, when classes are mixed, every class spread
    // evenly over the rooms (the k-th of a room's q places lies at (k + 1/2) / q of the way).
    std::vector<std::vector<Candidate>> members(roomCount);
    if (!request.mixed) {
        int next = 0;
        for (int r = 0; r < roomCount; ++r) {
            for (int i = 0; i < quota[r]; ++i) {
                members[r].push_back(sequence[next++]);
            }
        }
    } else {
        std::vector<int> classOrder;
        std::vector<std::vector<Candidate>> byClass(request.classes.size());
        for (const Candidate& candidate : sequence) {
            if (byClass[candidate.classIndex].empty()) {
                classOrder.push_back(candidate.classIndex);
            }
            byClass[candidate.classIndex].push_back(candidate);
        }
        struct Slot {
            double at;
            int room;
        };
        std::vector<Slot> slots;
        for (int r = 0; r < roomCount; ++r) {
            for (int i = 0; i < quota[r]; ++i) {
                slots.push_back({(i + 0.5) / quota[r], r});
            }
        }
        std::stable_sort(slots.begin(), slots.end(), [](const Slot& a, const Slot& b) {
            return a.at < b.at || (a.at == b.at && a.room < b.room);
        });
        std::size_t next = 0;
        for (int c : classOrder) {
            for (const Candidate& candidate : byClass[c]) {
                members[slots[next++].room].push_back(candidate);
            }
        }
    }

    Arrangement arrangement;
    arrangement.candidates = total;
    int running = 0;
    for (int r = 0; r < roomCount; ++r) {
        RoomResult result;
        result.room = r;
        const int n = quota[r];
        std::vector<int> seatMember(n);
        std::iota(seatMember.begin(), seatMember.end(), 0);
        if (request.mixed && n > 0) {
            std::vector<int> classOfMember;
            for (const Candidate& candidate : members[r]) {
                classOfMember.push_back(candidate.classIndex);
            }
            int pairs = 0;
            const std::vector<int> seatClass = mixSeats(seats[r], classOfMember, generator, pairs);
            // Each class's members, in their order, onto its seats in seat order.
            std::map<int, std::vector<int>> queue;
            for (int m = n - 1; m >= 0; --m) {
                queue[classOfMember[m]].push_back(m);
            }
            for (int k = 0; k < n; ++k) {
                std::vector<int>& waiting = queue[seatClass[k]];
                seatMember[k] = waiting.back();
                waiting.pop_back();
            }
        }
        for (int k = 0; k < n; ++k) {
            const Candidate& candidate = members[r][seatMember[k]];
            SeatedCandidate seated;
            seated.classIndex = candidate.classIndex;
            seated.student = candidate.student;
            seated.row = seats[r][k].first;
            seated.column = seats[r][k].second;
            seated.seat = k + 1;
            seated.examNumber = request.format.number(r + 1, k + 1, running + k + 1);
            result.seated.push_back(std::move(seated));
        }
        running += n;
        arrangement.sameClassPairs += sameClassPairs(result.seated);
        arrangement.rooms.push_back(std::move(result));
    }
    outcome.arrangement = std::move(arrangement);
    return outcome;
}

}  // namespace exambell
