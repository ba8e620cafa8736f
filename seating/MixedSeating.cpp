#include "seating/MixedSeating.h"

#include <algorithm>
#include <functional>
#include <numeric>

namespace exambell {

namespace {

constexpr int kEmpty = -1;

struct Seats {
    int columns;
    int count;
    // The neighbours (left, right, front, back) of seat k.
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
        if (asClass == kEmpty) {
            return 0;
        }
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
        if (seatClass[k] == kEmpty) {
            continue;
        }
        seats.forNeighbours(
            k, [&](int other) { pairs += other > k && seatClass[other] == seatClass[k]; });
    }
    return pairs;
}

int MixedSeating::unavoidablePairs(int rows, int columns, const std::vector<int>& classSizes) {
    if (rows < 1 || columns < 1) {
        return 0;
    }
    // A class of s leaves t = seats - s other seats; the pairs inside the class are at least
    // the pairs minus those the t seats can touch. t seats touch the sum of their degrees less
    // the pairs among them, and among the seats of one degree, t_d of them hold at least
    // t_d - (c_d - m_d) pairs when those c_d seats have a matching of m_d pairs (at most one of
    // each matched pair can be taken without a pair). So each seat of degree d is worth d up to
    // c_d - m_d of them and d - 1 beyond; the t best values bound what t seats touch.
    const Seats seats{columns, rows * columns};
    std::vector<int> degree(seats.count, 0);
    int edges = 0;
    for (int k = 0; k < seats.count; ++k) {
        seats.forNeighbours(k, [&](int) { ++degree[k]; });
        edges += degree[k];
    }
    edges /= 2;
    std::vector<bool> matched(seats.count, false);
    std::vector<int> worth;
    for (int k = 0; k < seats.count; ++k) {
        if (matched[k]) {
            continue;
        }
        // A greedy matching among seats of the same degree: right neighbour, else the one behind.
        int partner = -1;
        for (int other : {k % columns + 1 < columns ? k + 1 : -1, k + columns}) {
            if (partner < 0 && other >= 0 && other < seats.count && !matched[other] &&
                degree[other] == degree[k]) {
                partner = other;
            }
        }
        matched[k] = true;
        worth.push_back(degree[k]);
        if (partner >= 0) {
            matched[partner] = true;
            worth.push_back(degree[k] - 1);
        }
    }
    std::sort(worth.begin(), worth.end(), std::greater<>());
    std::vector<int> mostTouched(worth.size() + 1, 0);  // what the t best seats can touch
    for (std::size_t t = 0; t < worth.size(); ++t) {
        mostTouched[t + 1] = mostTouched[t] + worth[t];
    }
    int pairs = 0;
    for (int size : classSizes) {
        const int others = std::clamp(seats.count - size, 0, seats.count);
        pairs += std::max(0, edges - mostTouched[others]);
    }
    return pairs;
}

MixedArrangement MixedSeating::arrange(int rows, int columns, const std::vector<int>& classSizes,
                                       SeatingChart::Generator& generator) {
    const int n = std::accumulate(classSizes.begin(), classSizes.end(), 0);
    const int seatCount = std::max(rows, 0) * std::max(columns, 1);
    const Seats seats{std::max(columns, 1), seatCount};
    const auto random = [&generator](int lo, int hi) {
        return SeatingChart::randomInRange(generator, lo, hi);
    };

    // Start from the checkerboard over the whole room: the largest class on the seats of the
    // larger colour (the top-left seat's), the other classes on the other colour, and what does
    // not fit there on the larger colour's remaining seats. Two classes that fit the room never
    // sit together this way, and no class but the one that crosses over has a neighbour of its
    // own.
    std::vector<int> light;
    std::vector<int> dark;
    for (int k = 0; k < seatCount; ++k) {
        ((k / seats.columns + k % seats.columns) % 2 == 0 ? light : dark).push_back(k);
    }
    std::vector<int> classes(classSizes.size());
    std::iota(classes.begin(), classes.end(), 0);
    for (int i = static_cast<int>(classes.size()) - 1; i > 0; --i) {
        std::swap(classes[i], classes[random(0, i)]);
    }
    std::stable_sort(classes.begin(), classes.end(),
                     [&](int a, int b) { return classSizes[a] > classSizes[b]; });
    std::vector<int> seatClass(seatCount, kEmpty);
    std::vector<int> order;  // the seats in the order they are given out
    if (!classes.empty()) {
        const auto first = static_cast<std::size_t>(
            std::min<int>(classSizes[classes.front()], static_cast<int>(light.size())));
        order.assign(light.begin(), light.begin() + static_cast<std::ptrdiff_t>(first));
        order.insert(order.end(), dark.begin(), dark.end());
        order.insert(order.end(), light.begin() + static_cast<std::ptrdiff_t>(first), light.end());
    }
    std::size_t next = 0;
    for (int c : classes) {
        for (int i = 0; i < classSizes[c] && next < order.size(); ++i) {
            seatClass[order[next++]] = c;
        }
    }

    // Then swaps of two seats of different classes (or a class and an empty seat) that add no
    // same-class pair: towards none where some are left (moves that keep the count let the
    // search cross plateaus), and to mix the layout, so that the classes' places and the spare
    // seats differ from draw to draw.
    int pairs = sameClassNeighbours(seats.columns, seatClass);
    const long long attempts = 60LL * std::max(seatCount, 1) + 20000;
    if (n >= 2 || (n >= 1 && seatCount > n)) {
        // No move adds a pair, so the count only falls and the last arrangement is the best.
        for (long long attempt = 0; attempt < attempts; ++attempt) {
            int a = random(0, seatCount - 1);
            if (pairs > 0 && attempt % 2 == 0) {
                // Aim at a seat with a same-class neighbour when there is one to be found quickly.
                for (int tries = 0; tries < 8 && seats.clashes(seatClass, a, seatClass[a]) == 0;
                     ++tries) {
                    a = random(0, seatCount - 1);
                }
            }
            const int b = random(0, seatCount - 1);
            if (seatClass[a] == seatClass[b]) {
                continue;
            }
            const int delta = swapDelta(seats, seatClass, a, b);
            if (delta <= 0) {
                std::swap(seatClass[a], seatClass[b]);
                pairs += delta;
            }
        }
    }

    // Each class's students in a random order over its seats, row by row.
    std::vector<int> firstOfClass(classSizes.size() + 1, 0);
    for (std::size_t c = 0; c < classSizes.size(); ++c) {
        firstOfClass[c + 1] = firstOfClass[c] + classSizes[c];
    }
    std::vector<std::vector<int>> studentOrder(classSizes.size());
    for (std::size_t c = 0; c < classSizes.size(); ++c) {
        studentOrder[c] = SeatingChart::drawOrder(generator, classSizes[c]);
    }
    std::vector<std::size_t> taken(classSizes.size(), 0);
    MixedArrangement result;
    result.seatStudent.assign(seatCount, kEmpty);
    for (int k = 0; k < seatCount; ++k) {
        const int c = seatClass[k];
        if (c != kEmpty) {
            result.seatStudent[k] = firstOfClass[c] + studentOrder[c][taken[c]++] - 1;
        }
    }
    result.sameClassNeighbours = pairs;
    result.unavoidable = unavoidablePairs(rows, columns, classSizes);
    return result;
}

}  // namespace exambell
