#include "seating/MixedSeating.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace exambell {
namespace {

std::vector<int> classesOf(const MixedArrangement& a, const std::vector<int>& sizes) {
    std::vector<int> seatClass;
    for (int student : a.seatStudent) {
        if (student < 0) {
            seatClass.push_back(-1);
            continue;
        }
        int c = 0;
        for (int first = sizes[0]; student >= first; first += sizes[++c]) {
        }
        seatClass.push_back(c);
    }
    return seatClass;
}

void expectEveryStudentOnce(const MixedArrangement& a, int n) {
    std::vector<int> students = a.seatStudent;
    students.erase(std::remove(students.begin(), students.end(), -1), students.end());
    std::sort(students.begin(), students.end());
    ASSERT_EQ(students.size(), static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(students[i], i);
    }
}

TEST(MixedSeatingTest, TwoEqualClassesNeverSitTogether) {
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        SeatingChart::Generator generator(seed);
        const std::vector<int> sizes = {20, 20};
        const MixedArrangement a = MixedSeating::arrange(8, 5, sizes, generator);
        expectEveryStudentOnce(a, 40);
        EXPECT_EQ(a.sameClassNeighbours, 0);
        EXPECT_EQ(MixedSeating::sameClassNeighbours(5, classesOf(a, sizes)), 0);
    }
}

TEST(MixedSeatingTest, UnevenClassesGetTheFewestPairsPossible) {
    // 30 of 40 seats in one class: 8 x 5 has 67 neighbour pairs and the 10 others can break at
    // most 39 of them (9 inner seats apart from each other and one on the edge), so 28 is least.
    const std::vector<int> sizes = {30, 5, 5};
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        SeatingChart::Generator generator(seed);
        const MixedArrangement a = MixedSeating::arrange(8, 5, sizes, generator);
        expectEveryStudentOnce(a, 40);
        EXPECT_EQ(a.sameClassNeighbours, 28) << seed;
        EXPECT_EQ(MixedSeating::sameClassNeighbours(5, classesOf(a, sizes)), a.sameClassNeighbours);
    }
}

TEST(MixedSeatingTest, LayoutAndOrderVaryAndSeedsRepeat) {
    const std::vector<int> sizes = {12, 10, 9};
    std::set<std::vector<int>> layouts;
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        SeatingChart::Generator generator(seed);
        const MixedArrangement a = MixedSeating::arrange(6, 6, sizes, generator);
        expectEveryStudentOnce(a, 31);
        EXPECT_EQ(a.sameClassNeighbours, 0);
        layouts.insert(a.seatStudent);
        SeatingChart::Generator again(seed);
        EXPECT_EQ(MixedSeating::arrange(6, 6, sizes, again).seatStudent, a.seatStudent);
    }
    EXPECT_EQ(layouts.size(), 10u);
}

TEST(MixedSeatingTest, OneClassAndNoStudents) {
    SeatingChart::Generator generator(3);
    const MixedArrangement one = MixedSeating::arrange(2, 2, {3}, generator);
    expectEveryStudentOnce(one, 3);
    EXPECT_EQ(one.sameClassNeighbours, 2);
    EXPECT_EQ(MixedSeating::arrange(2, 2, {0, 0}, generator).seatStudent, std::vector<int>(4, -1));
}

}  // namespace
}  // namespace exambell
