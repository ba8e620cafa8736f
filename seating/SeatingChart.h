#pragma once
// The seat grid: a random order of the students, laid out row by row under numbered row and
// column labels.

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "seating/DrawnChart.h"
#include "seating/SeatTable.h"
#include "seating/SeatingView.h"
#include "text/Text.h"

namespace exambell {

class ClassRoster;
class Dialogs;
class SeatingView;

class SeatingChart {
  public:
    // The student count field's range; larger counts are refused before any drawing.
    static constexpr int kMaxStudents = 999;
    // The row and column fields' range.
    static constexpr int kMaxRowsOrColumns = 99;

    using Generator = std::mt19937_64;

    // The grid of view, with the names of the class last chosen in roster.
    SeatingChart(SeatingView& view, Dialogs& dialogs, const ClassRoster& roster);

    // When the rows field changes and when the window is created: the grid gets rows + 1 rows.
    void resizeRows();
    // When the columns field changes and when the window is created: columns + 1 columns.
    void resizeColumns();
    // When the generate button is clicked: checks the fields, draws a new order from a fresh
    // draw code and fills the grid with numbers, or with the chosen class's names when the class
    // box shows a stored class (whose size the count must then be); the code and the roster's
    // fingerprint are shown with the chart.
    void generate();
    // When the reproduce button is clicked: as generate, with the code the operator typed.
    void generateFromCode();

    // The chart of the last draw that filled the grid; nothing before the first.
    const std::optional<DrawnChart>& drawn() const { return drawn_; }

    // A generator seeded from std::random_device and the processor's cycle counter.
    static Generator seededGenerator();
    // The order a draw code's seed gives, the same on every machine.
    static std::vector<int> drawOrder(std::uint64_t seed, int n);
    // A number from lo to hi (lo <= hi), every one equally likely.
    static int randomInRange(Generator& generator, int lo, int hi);
    // A random permutation of 1..n, every order equally likely (n <= 0 gives an empty one).
    static std::vector<int> drawOrder(Generator& generator, int n);

    // The grid after a generation with rows seat rows and columns seat columns, the seats
    // given in order (order[k - 1] is the student on seat ordinal k, seats numbered row-major
    // from the top left; 0 leaves the seat empty; seats past the end of order are empty):
    // rows + 2 grid rows, columns + 1 grid columns, row 0 empty, the column labels "第N列" in
    // row 1 counted from the right, the row label "第N行" in column 0 of every seat row i with
    // (i - 1) * columns <= order.size(). A seat shows its student's number, or with names given,
    // name number p (1-based) when the list has one. Requires rows * columns >= order.size()
    // and non-negative sizes.
    static SeatTable layout(int rows, int columns, const std::vector<int>& order,
                            const std::vector<Text>* names);

    // Puts exam numbers (考号) above the texts of the occupied seats of a layout() table, on a
    // line of their own: prefix and a running number of at least two digits. Number 1 is the
    // first row's seat under "第1列" and the numbers follow the column labels along each row,
    // or serpentine (every second row back the other way).
    static void numberSeats(SeatTable& table, const Text& prefix, ExamNumbering numbering);

  private:
    struct MixedRoster;
    void generateWithSeed(std::uint64_t seed);
    // The stored classes named in the mixed-classes field, or nothing after a message.
    std::optional<MixedRoster> mixedRoster(const Text& field);

    SeatingView* view_ = nullptr;
    Dialogs* dialogs_ = nullptr;
    const ClassRoster* roster_ = nullptr;
    std::optional<DrawnChart> drawn_;
};

}  // namespace exambell
