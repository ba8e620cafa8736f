#pragma once
// Several classes in one room: which class sits on each seat, so that no two seats side by side
// or one behind the other hold the same class wherever the sizes allow, and as few such pairs
// as the search finds otherwise. Seats are the first n of a rows x columns grid, row-major.

#include <vector>

#include "seating/SeatingChart.h"

namespace exambell {

struct MixedArrangement {
    // seatStudent[k]: the 0-based index, in all classes' names joined in class order, of the
    // student on seat ordinal k + 1.
    std::vector<int> seatStudent;
    // Pairs of neighbouring seats (side by side or front/back) holding the same class.
    int sameClassNeighbours = 0;
};

class MixedSeating {
  public:
    // classSizes: the students of each class, in order. Requires columns >= 1 and the sum of
    // the sizes at most rows * columns. Each class's students are in random order on its seats.
    static MixedArrangement arrange(int rows, int columns, const std::vector<int>& classSizes,
                                    SeatingChart::Generator& generator);
    // Which class sits on each seat ordinal (0-based), and the same-class neighbour pairs.
    static int sameClassNeighbours(int columns, const std::vector<int>& seatClass);
};

}  // namespace exambell
