#pragma once
// Several classes in one room: which class sits on each seat, so that no two seats side by side
// or one behind the other hold the same class wherever the sizes allow, and as few such pairs
// as the search finds otherwise. Every seat of the rows x columns room may be used: spare seats
// are spread between the classes.

#include <vector>

#include "seating/SeatingChart.h"

namespace exambell {

struct MixedArrangement {
    // seatStudent[k]: the 0-based index, in all classes' names joined in class order, of the
    // student on seat ordinal k + 1 (row-major from the top left), or -1 for an empty seat.
    // One entry per seat of the room.
    std::vector<int> seatStudent;
    // Pairs of neighbouring seats (side by side or front/back) holding the same class.
    int sameClassNeighbours = 0;
    // Pairs that no arrangement of these class sizes in this room can avoid (a proven lower
    // bound: when it equals sameClassNeighbours, no arrangement has fewer).
    int unavoidable = 0;
};

class MixedSeating {
  public:
    // classSizes: the students of each class, in order. Requires rows, columns >= 1 and the sum
    // of the sizes at most rows * columns. Each class's students are in random order on its seats.
    static MixedArrangement arrange(int rows, int columns, const std::vector<int>& classSizes,
                                    SeatingChart::Generator& generator);
    // The same-class neighbour pairs of a room columns wide, given the class on each seat ordinal
    // (0-based, -1 for an empty seat).
    static int sameClassNeighbours(int columns, const std::vector<int>& seatClass);
    // The least number of same-class pairs any arrangement must have: a class of s students
    // leaves rows * columns - s other seats, which can break at most the neighbour pairs they
    // touch; the pairs they cannot touch lie inside the class.
    static int unavoidablePairs(int rows, int columns, const std::vector<int>& classSizes);
};

}  // namespace exambell
