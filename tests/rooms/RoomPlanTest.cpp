// The arrangement of a grade into rooms: who sits where, the numbers, the checks before a draw.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "rooms/RoomPlan.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

std::vector<GradeClass> grade(int classes, int size) {
    std::vector<GradeClass> result;
    for (int c = 1; c <= classes; ++c) {
        GradeClass one{g("高一") + toText(c) + g("班"), {}};
        for (int s = 1; s <= size; ++s) {
            one.names.push_back(g("学生") + toText(c) + "-" + toText(s));
        }
        result.push_back(std::move(one));
    }
    return result;
}

std::vector<RoomSpec> rooms(int count, int rows, int columns, Spacing spacing = Spacing::None) {
    std::vector<RoomSpec> result;
    for (int r = 1; r <= count; ++r) {
        result.push_back({g("第") + toText(r) + g("考场"), rows, columns, spacing, {}});
    }
    return result;
}

ArrangementRequest request(std::vector<GradeClass> classes, std::vector<RoomSpec> list) {
    ArrangementRequest r;
    r.classes = std::move(classes);
    r.rooms = std::move(list);
    r.format = {"202601", 2, 2};
    return r;
}

// Every candidate exactly once, on a usable seat, no seat twice; numbers unique and rising.
void expectWhole(const ArrangementRequest& req, const Arrangement& a) {
    std::set<std::pair<int, int>> seen;
    Text lastNumber;
    int total = 0;
    for (const RoomResult& room : a.rooms) {
        std::set<std::pair<int, int>> seats;
        int lastSeat = 0;
        for (const SeatedCandidate& s : room.seated) {
            EXPECT_TRUE(seen.insert({s.classIndex, s.student}).second);
            EXPECT_TRUE(seats.insert({s.row, s.column}).second);
            EXPECT_TRUE(req.rooms[room.room].usable(s.row, s.column));
            EXPECT_GT(s.seat, lastSeat);
            lastSeat = s.seat;
            EXPECT_GT(s.examNumber, lastNumber);
            lastNumber = s.examNumber;
            ++total;
        }
    }
    int expected = 0;
    for (const GradeClass& c : req.classes) {
        expected += static_cast<int>(c.names.size());
    }
    EXPECT_EQ(total, expected);
    EXPECT_EQ(a.candidates, expected);
}

TEST(RoomPlan, GradeOf1200In30RoomsIsWholeMixedAndReproducible) {
    const ArrangementRequest req = request(grade(24, 50), rooms(30, 8, 5));
    const ArrangementOutcome first = RoomPlan::arrange(req, 20261208);
    ASSERT_TRUE(first.arrangement) << gbkToUtf8(first.problem);
    expectWhole(req, *first.arrangement);
    // 24 classes spread over rooms of 40: no class needs two seats next to each other.
    EXPECT_EQ(first.arrangement->sameClassPairs, 0);
    int recount = 0;
    for (const RoomResult& room : first.arrangement->rooms) {
        EXPECT_EQ(room.seated.size(), 40u);
        recount += RoomPlan::sameClassPairs(room.seated);
    }
    EXPECT_EQ(recount, 0);
    const SeatedCandidate& firstSeat = first.arrangement->rooms[0].seated[0];
    EXPECT_EQ(firstSeat.examNumber, "2026010101");
    EXPECT_EQ(first.arrangement->rooms[29].seated[39].examNumber, "2026013040");

    EXPECT_EQ(RoomPlan::arrange(req, 20261208).arrangement, first.arrangement);
    EXPECT_NE(RoomPlan::arrange(req, 20261209).arrangement, first.arrangement);
}

TEST(RoomPlan, FewClassesReachTheBoundOrReportWhatIsLeft) {
    // Two classes of 20 in one room of 40 fit a checkerboard: no pair at all.
    ArrangementRequest even = request(grade(2, 20), rooms(1, 8, 5));
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        const ArrangementOutcome outcome = RoomPlan::arrange(even, seed);
        ASSERT_TRUE(outcome.arrangement);
        EXPECT_EQ(outcome.arrangement->sameClassPairs, 0) << seed;
    }
    // One class of 30 and one of 10: pairs cannot be avoided, and the count told is the count.
    ArrangementRequest uneven = request(grade(2, 30), rooms(1, 8, 5));
    uneven.classes[1].names.resize(10);
    const ArrangementOutcome outcome = RoomPlan::arrange(uneven, 7);
    ASSERT_TRUE(outcome.arrangement);
    expectWhole(uneven, *outcome.arrangement);
    EXPECT_GT(outcome.arrangement->sameClassPairs, 0);
    EXPECT_EQ(outcome.arrangement->sameClassPairs,
              RoomPlan::sameClassPairs(outcome.arrangement->rooms[0].seated));
    // The 30 cannot have fewer than 67 grid edges minus 4 for each of the 10 others.
    EXPECT_GE(outcome.arrangement->sameClassPairs, 27);
    EXPECT_LE(outcome.arrangement->sameClassPairs, 33);
}

TEST(RoomPlan, SpacingAndClosedSeatsStayEmpty) {
    std::vector<RoomSpec> list = rooms(3, 8, 5, Spacing::OtherColumn);  // 24 seats each
    list[1].spacing = Spacing::OtherSeat;                               // 20 seats
    list[2].closed = {{1, 1}, {8, 5}, {4, 3}};                          // 21 seats
    EXPECT_EQ(list[0].seats().size(), 24u);
    EXPECT_EQ(list[1].seats().size(), 20u);
    EXPECT_EQ(list[2].seats().size(), 21u);
    const ArrangementRequest req = request(grade(5, 13), list);  // 65 of 65 seats
    const ArrangementOutcome outcome = RoomPlan::arrange(req, 3);
    ASSERT_TRUE(outcome.arrangement) << gbkToUtf8(outcome.problem);
    expectWhole(req, *outcome.arrangement);
    for (const SeatedCandidate& s : outcome.arrangement->rooms[0].seated) {
        EXPECT_EQ(s.column % 2, 1);
    }
    for (const SeatedCandidate& s : outcome.arrangement->rooms[1].seated) {
        EXPECT_EQ((s.row + s.column) % 2, 0);
    }
    // Side by side across an empty column is no neighbour: every other column leaves only the
    // seats one behind the other.
    EXPECT_EQ(outcome.arrangement->sameClassPairs, 0);
}

TEST(RoomPlan, FewerCandidatesThanSeatsFillTheRoomsInOrder) {
    const ArrangementRequest req = request(grade(3, 30), rooms(4, 6, 5));  // 90 in 120
    const ArrangementOutcome outcome = RoomPlan::arrange(req, 11);
    ASSERT_TRUE(outcome.arrangement);
    expectWhole(req, *outcome.arrangement);
    EXPECT_EQ(outcome.arrangement->rooms[2].seated.size(), 30u);
    EXPECT_TRUE(outcome.arrangement->rooms[3].seated.empty());
    EXPECT_EQ(outcome.arrangement->sameClassPairs, 0);
}

TEST(RoomPlan, ByClassThenNameUnmixedFillsRoomsClassAfterClass) {
    std::vector<GradeClass> classes = {{g("一班"), {g("王五"), g("张三"), g("李四"), g("张三")}},
                                       {g("二班"), {g("赵六"), g("阿七")}}};
    ArrangementRequest req = request(classes, rooms(2, 2, 2));
    req.order = CandidateOrder::ByClassThenName;
    req.mixed = false;
    const ArrangementOutcome outcome = RoomPlan::arrange(req, 1);
    ASSERT_TRUE(outcome.arrangement);
    std::vector<std::string> names;
    std::vector<Text> numbers;
    for (const RoomResult& room : outcome.arrangement->rooms) {
        for (const SeatedCandidate& s : room.seated) {
            names.push_back(gbkToUtf8(req.classes[s.classIndex].names[s.student]));
            numbers.push_back(s.examNumber);
        }
    }
    // GBK order is pinyin order here (李 < 王 < 张); the two 张三 keep their roster order and
    // are told apart by their numbers.
    EXPECT_EQ(names, (std::vector<std::string>{"李四", "王五", "张三", "张三", "阿七", "赵六"}));
    EXPECT_EQ(numbers, (std::vector<Text>{"2026010101", "2026010102", "2026010103", "2026010104",
                                          "2026010201", "2026010202"}));
    EXPECT_EQ(outcome.arrangement->rooms[0].seated[2].student, 1);
    EXPECT_EQ(outcome.arrangement->rooms[0].seated[3].student, 3);
}

TEST(RoomPlan, RunningNumbersWithoutTheRoom) {
    ArrangementRequest req = request(grade(2, 5), rooms(2, 2, 3));
    req.format = {"A", 0, 3};
    const ArrangementOutcome outcome = RoomPlan::arrange(req, 5);
    ASSERT_TRUE(outcome.arrangement);
    EXPECT_EQ(outcome.arrangement->rooms[0].seated[0].examNumber, "A001");
    EXPECT_EQ(outcome.arrangement->rooms[1].seated[3].examNumber, "A010");
}

TEST(RoomPlan, BadRequestsAreRefusedWithTheirReason) {
    const auto problem = [](const ArrangementRequest& req) {
        const ArrangementOutcome outcome = RoomPlan::arrange(req, 1);
        EXPECT_FALSE(outcome.arrangement);
        return gbkToUtf8(outcome.problem);
    };
    EXPECT_EQ(problem(request(grade(3, 50), rooms(3, 8, 5))),
              "考生 150 人，座位只有 120 个，还差 30 个座位，请增加考场或减少留空");
    std::vector<RoomSpec> closedRoom = rooms(2, 1, 2);
    closedRoom[1].closed = {{1, 1}, {1, 2}};
    EXPECT_EQ(problem(request(grade(1, 1), closedRoom)),
              "考场 第2考场 没有可用的座位，请检查排数、列数、留空和停用座位");
    std::vector<GradeClass> withEmpty = grade(2, 3);
    withEmpty[1].names.clear();
    EXPECT_EQ(problem(request(withEmpty, rooms(1, 8, 5))),
              "班级 高一2班 没有学生：请导入它的名单，或把它删除");
    EXPECT_EQ(problem(request({}, rooms(1, 8, 5))), "没有考生：请先导入年级的班级名单");
    EXPECT_EQ(problem(request(grade(1, 1), {})), "请先填写考场：每行一个，如 第01考场,8,5");
    std::vector<RoomSpec> twice = rooms(2, 2, 2);
    twice[1].name = twice[0].name;
    EXPECT_EQ(problem(request(grade(1, 1), twice)), "考场名称重复：第1考场");
    ArrangementRequest manyRooms = request(grade(1, 1), rooms(100, 1, 1));
    EXPECT_EQ(problem(manyRooms), "共有 100 个考场，考号中的考场只有 2 位，请增加考场位数");
    ArrangementRequest bigRoom = request(grade(1, 1), rooms(1, 20, 5));
    EXPECT_EQ(problem(bigRoom), "座号只有 2 位，写不下第 100 号，请增加座号位数");
}

TEST(RoomPlan, RoomLinesParseAndRoundTrip) {
    Text problem;
    const std::optional<RoomSpec> room = RoomSpec::parse(g("第01考场,8,5,隔列,3-2 4-1"), problem);
    ASSERT_TRUE(room) << gbkToUtf8(problem);
    EXPECT_EQ(room->rows, 8);
    EXPECT_EQ(room->columns, 5);
    EXPECT_EQ(room->spacing, Spacing::OtherColumn);
    EXPECT_EQ(room->closed, (std::vector<std::pair<int, int>>{{3, 2}, {4, 1}}));
    EXPECT_EQ(RoomSpec::parse(room->line(), problem), room);

    const std::optional<RoomSpec> typed =
        RoomSpec::parse(g(" 实验楼201 ， 6×7 ，隔座留空，2－2、3-3"), problem);
    ASSERT_TRUE(typed) << gbkToUtf8(problem);
    EXPECT_EQ(typed->name, g("实验楼201"));
    EXPECT_EQ(typed->rows, 6);
    EXPECT_EQ(typed->columns, 7);
    EXPECT_EQ(typed->spacing, Spacing::OtherSeat);
    EXPECT_EQ(typed->closed.size(), 2u);

    EXPECT_FALSE(RoomSpec::parse(g("第1考场,8"), problem));
    EXPECT_EQ(gbkToUtf8(problem), "排数和列数须在1到99之间");
    EXPECT_FALSE(RoomSpec::parse(g("第1考场,8,5,隔两座"), problem));
    EXPECT_EQ(gbkToUtf8(problem), "留空方式只能是 不留空、隔列 或 隔座");
    EXPECT_FALSE(RoomSpec::parse(g("第1考场,8,5,,9-1"), problem));
    EXPECT_EQ(gbkToUtf8(problem), "停用座位应写成 排-列（如 3-2），且在考场之内：9-1");
    EXPECT_FALSE(RoomSpec::parse(g(",8,5"), problem));
    EXPECT_EQ(gbkToUtf8(problem), "考场名称不能为空");
}

}  // namespace
}  // namespace exambell
