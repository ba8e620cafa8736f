#include "seating/MixedSeating.h"

#include <algorithm>
#include <numeric>

namespace exambell {

namespace {

struct Seats {
    int columns;
    int count;
    // The neighbours (left, right, front, back) of seat k among the first count seats.
    template <typename F>
    void forNeighbours(int k, F f) const {
        const int column = k % columns;
        if (column > 0) {
            f(k - 1);
        }
        if (column + 1 < columns && k + 1 < count) {
            f(k + 1);
        }
        if (k >= columns) {
            f(k - columns);
        }
        if (k + columns < count) {
            f(k + columns);
        }
    }
    int clashes(const std::vector<int>& seatClass, int k, int asClass) const {
        int n = 0;
        forNeighbours(k, [&](int other) { n += seatClass[other] == asClass; });
        return n;
    }
};

// The change in same-class pairs if seats a and b swapped their classes.
int swapDelta(const Seats& seats, std::vector<int>& seatClass, int a, int b) {
    const int ca = seatClass[a];
    const int cb = seatClass[b];
    const int before = seats.clashes(seatClass, a, ca) + seats.clashes(seatClass, b, cb);
    std::swap(seatClass[a], seatClass[b]);
    const int after = seats.clashes(seatClass, a, cb) + seats.clashes(seatClass, b, ca);
    std::swap(seatClass[a], seatClass[b]);
    return after - before;
}

}  // namespace

int MixedSeating::sameClassNeighbours(int columns, const std::vector<int>& seatClass) {
    const Seats seats{columns, static_cast<int>(seatClass.size())};
    int pairs = 0;
    for (int k = 0; k < seats.count; ++k) {
        seats.forNeighbours(
            k, [&](int other) { pairs += other > k && seatClass[other] == seatClass[k]; });
    }
    return pairs;
}

MixedArrangement MixedSeating::arrange(int rows, int columns, const std::vector<int>& classSizes,
                                       SeatingChart::Generator& generator) {
    (void)rows;
    const int n = std::accumulate(classSizes.begin(), classSizes.end(), 0);
    const Seats seats{columns, n};
    const auto random = [&generator](int lo, int hi) {
        return SeatingChart::randomInRange(generator, lo, hi);
    };

    // Start from the checkerboard: the seats of the larger colour first, then the others, each
    // in row order, filled class after class, the largest first. A class that fits one colour
    // then has no same-class neighbour at all.
    std::vector<int> byColour;
    for (int colour : {0, 1}) {
        for (int k = 0; k < n; ++k) {
            if ((k / columns + k % columns) % 2 == colour) {
                byColour.push_back(k);
            }
        }
    }
    const auto firstColour = std::count_if(byColour.begin(), byColour.end(), [&](int k) {
        return (k / columns + k % columns) % 2 == 0;
    });
    if (firstColour * 2 < n) {
        std::rotate(byColour.begin(), byColour.begin() + firstColour, byColour.end());
    }
    std::vector<int> classes(classSizes.size());
    std::iota(classes.begin(), classes.end(), 0);
    for (int i = static_cast<int>(classes.size()) - 1; i > 0; --i) {
        std::swap(classes[i], classes[random(0, i)]);
    }
    std::stable_sort(classes.begin(), classes.end(),
                     [&](int a, int b) { return classSizes[a] > classSizes[b]; });
    std::vector<int> seatClass(n);
    std::size_t next = 0;
    for (int c : classes) {
        for (int i = 0; i < classSizes[c]; ++i) {
            seatClass[byColour[next++]] = c;
        }
    }

    // Then swaps of two seats of different classes that add no same-class pair: towards none
    // where some are left (moves that keep the count let the search cross plateaus), and to
    // mix the layout, so that the classes' places differ from draw to draw.
    int pairs = sameClassNeighbours(columns, seatClass);
    const long long attempts = 60LL * std::max(n, 1) + 20000;
    if (n >= 2) {
        std::vector<int> best = seatClass;
        int bestPairs = pairs;
        for (long long attempt = 0; attempt < attempts; ++attempt) {
            int a = random(0, n - 1);
            if (pairs > 0 && attempt % 2 == 0) {
                // Aim at a seat with a same-class neighbour when there is one to be found quickly.
                for (int tries = 0; tries < 8 && seats.clashes(seatClass, a, seatClass[a]) == 0;
                     ++tries) {
                    a = random(0, n - 1);
                }
            }
            const int b = random(0, n - 1);
            if (seatClass[a] == seatClass[b]) {
                continue;
            }
            const int delta = swapDelta(seats, seatClass, a, b);
            if (delta <= 0) {
                std::swap(seatClass[a], seatClass[b]);
                pairs += delta;
                if (pairs < bestPairs) {
                    bestPairs = pairs;
                    best = seatClass;
                }
            }
        }
        seatClass = std::move(best);
        pairs = bestPairs;
    }

    // Each class's students in a random order over its seats, row by row.
    std::vector<int> firstOfClass(classSizes.size() + 1, 0);
    for (std::size_t c = 0; c < classSizes.size(); ++c) {
        firstOfClass[c + 1] = firstOfClass[c] + classSizes[c];
    }
    std::vector<std::vector<int>> order(classSizes.size());
    for (std::size_t c = 0; c < classSizes.size(); ++c) {
        order[c] = SeatingChart::drawOrder(generator, classSizes[c]);
    }
    std::vector<std::size_t> taken(classSizes.size(), 0);
    MixedArrangement result;
    result.seatStudent.resize(n);
    for (int k = 0; k < n; ++k) {
        const int c = seatClass[k];
        result.seatStudent[k] = firstOfClass[c] + order[c][taken[c]++] - 1;
    }
    result.sameClassNeighbours = pairs;
    return result;
}

}  // namespace exambell
