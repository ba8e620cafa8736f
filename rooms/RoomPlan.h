#pragma once
// The arrangement of a whole grade into exam rooms (考场编排) as plain values: the rooms with
// their usable seats, the order the candidates are taken in, whether classes are mixed, the exam
// number format, and the arrangement a draw code gives. Everything here is deterministic for a
// given seed; no file, window or clock is touched.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "text/Text.h"

namespace exambell {

// A class of the grade: its name and its students in roster order. Two students may share a
// name; they are told apart by their exam numbers.
struct GradeClass {
    Text name;
    std::vector<Text> names;
    bool operator==(const GradeClass&) const = default;
};

// Which seats of a room stay empty to space the candidates out.
enum class Spacing {
    None,         // 不留空: every seat
    OtherColumn,  // 隔列: columns 1, 3, 5, ... (from the left of the grid)
    OtherSeat,    // 隔座: a checkerboard, the seat of row 1 column 1 used
};

struct RoomSpec {
    Text name;
    int rows = 0;
    int columns = 0;
    Spacing spacing = Spacing::None;
    // Seats out of use (broken desk, pillar): 1-based (row, column) of the grid.
    std::vector<std::pair<int, int>> closed;

    bool operator==(const RoomSpec&) const = default;

    // Whether the seat at 1-based (row, column) takes a candidate.
    bool usable(int row, int column) const;
    // The usable seats, row by row from the front, each row from the left: (row, column).
    std::vector<std::pair<int, int>> seats() const;

    // One line of the rooms box: "第01考场,8,5,隔列,3-2 4-1" (name, rows, columns, spacing,
    // the closed seats as row-column separated by blanks). The last two may be left off.
    Text line() const;
    // The room of such a line; "，" and tabs separate as "," does, "×"/"x" may join rows and
    // columns ("8x5"). Nothing, with the reason in problem, when the line cannot be read.
    static std::optional<RoomSpec> parse(std::string_view line, Text& problem);
};

Text spacingName(Spacing spacing);

enum class CandidateOrder {
    Random,             // 全年级随机
    RandomWithinClass,  // 按班级，班内随机
    ByClassThenName,    // 按班级和姓名
};

// An exam number: prefix, the room's position in the list in roomDigits digits, the seat's number
// in its room in seatDigits digits ("202601" + "01" + "07"). roomDigits 0 leaves the room out and
// numbers the candidates through the grade in seatDigits digits.
struct NumberFormat {
    Text prefix;
    int roomDigits = 2;
    int seatDigits = 2;
    bool operator==(const NumberFormat&) const = default;
    Text number(int room, int seat, int running) const;
};

struct ArrangementRequest {
    std::vector<GradeClass> classes;
    std::vector<RoomSpec> rooms;
    CandidateOrder order = CandidateOrder::Random;
    bool mixed = true;  // 同班不相邻
    NumberFormat format;
    Text exam;  // the exam's name on the printed pages, "" when none
};

struct SeatedCandidate {
    int classIndex = 0;  // into the request's classes
    int student = 0;     // into that class's names
    int row = 0;         // 1-based grid row and column of the seat
    int column = 0;
    int seat = 0;  // 1-based number among the room's usable seats
    Text examNumber;
    bool operator==(const SeatedCandidate&) const = default;
};

struct RoomResult {
    int room = 0;                         // into the request's rooms
    std::vector<SeatedCandidate> seated;  // in seat order
    bool operator==(const RoomResult&) const = default;
};

struct Arrangement {
    std::vector<RoomResult> rooms;  // every room of the request, in order (some may be empty)
    // Pairs of candidates of one class side by side or one behind the other, over all rooms.
    int sameClassPairs = 0;
    int candidates = 0;
    bool operator==(const Arrangement&) const = default;
};

struct ArrangementOutcome {
    std::optional<Arrangement> arrangement;
    Text problem;  // why there is none, as the operator is told
};

class RoomPlan {
  public:
    // The arrangement seed gives for request, or the first problem of the request.
    static ArrangementOutcome arrange(const ArrangementRequest& request, std::uint64_t seed);
    // What is wrong with request before any draw ("" when nothing).
    static Text check(const ArrangementRequest& request);
    // Same-class pairs among the seats of one room (neighbours: the seats next to each other in
    // a row or a column of the grid, both taken).
    static int sameClassPairs(const std::vector<SeatedCandidate>& seated);
    // The fingerprint of the classes (names and order), as a seat draw's roster fingerprint.
    static Text fingerprint(const std::vector<GradeClass>& classes);
};

}  // namespace exambell
