// Extra-time groups on the driven clock: each kind of group moves the end, the last 15 minutes
// and the room's end cues, with a late start and across midnight, while the start and the cues
// before it stay the school's.
#include <gtest/gtest.h>

#include <limits>

#include "display/ExtraTime.h"
#include "tests/support/FakeClock.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

using test::FakeClock;

ExtraTimeGroup group(const char* name) {
    std::optional<ExtraTimeGroup> g = parseExtraTimeGroup(utf8ToGbk(name));
    EXPECT_TRUE(g.has_value()) << name;
    return g.value_or(ExtraTimeGroup{});
}

DisplayExam exam(const char* subject, const char* start, int minutes, int shift = 0) {
    return DisplayExam{utf8ToGbk(subject), start, minutes, shift};
}

std::int64_t at(int day, int hour, int minute) {
    return (daysFromCivil(2026, 1, day) * 86400 + hour * 3600 + minute * 60) * 1000;
}

RoomCueSwitches all() {
    RoomCueSwitches on{};
    on.fill(true);
    return on;
}

TEST(ExtraTimeGroups, NamesGiveTheirKindAndAmount) {
    EXPECT_EQ(group("延时30%").kind, ExtraTimeGroup::Kind::Percent);
    EXPECT_EQ(group("延时50％").amount, 50);
    EXPECT_EQ(group(" 延时20分钟 ").kind, ExtraTimeGroup::Kind::Minutes);
    EXPECT_EQ(group("延时20分钟").name, utf8ToGbk("延时20分钟"));
    for (const char* bad : {"延时", "延时0%", "延时201%", "延时601分钟", "延时30", "30%", "延时-5%",
                            "延时3.5%", "延时30%%", "延时99999分钟", "加时30%"}) {
        EXPECT_FALSE(parseExtraTimeGroup(utf8ToGbk(bad))) << bad;
    }

    std::vector<ExtraTimeGroup> groups;
    Text bad;
    ASSERT_TRUE(
        parseExtraTimeGroups(utf8ToGbk("延时30%、延时50%，延时20分钟 延时30％"), groups, bad));
    // The same extra time twice is one group.
    ASSERT_EQ(groups.size(), 3U);
    EXPECT_EQ(gbkToUtf8(extraTimeGroupsText(groups)), "延时30%、延时50%、延时20分钟");
    EXPECT_FALSE(parseExtraTimeGroups(utf8ToGbk("延时30%,延时一刻"), groups, bad));
    EXPECT_EQ(gbkToUtf8(bad), "延时一刻");
    EXPECT_TRUE(groups.empty());
    EXPECT_FALSE(parseExtraTimeGroups(
        utf8ToGbk("延时1%,延时2%,延时3%,延时4%,延时5%,延时6%,延时7%,延时8%,延时9%"), groups, bad));
    EXPECT_EQ(gbkToUtf8(bad), "延时9%");
}

TEST(ExtraTimeGroups, AShareIsRoundedUpToTheMinute) {
    EXPECT_EQ(extraMinutes(group("延时30%"), 120), 36);
    EXPECT_EQ(extraMinutes(group("延时50%"), 45), 23);  // 22.5
    EXPECT_EQ(extraMinutes(group("延时30%"), 1), 1);
    EXPECT_EQ(extraMinutes(group("延时20分钟"), 90), 20);
    EXPECT_EQ(extraMinutes(group("延时20分钟"), 0), 0);
    // Any number typed as a duration: no overflow, at most a day's share.
    EXPECT_EQ(extraMinutes(group("延时200%"), std::numeric_limits<std::int64_t>::max()), 2880);
    EXPECT_EQ(withExtraTime({exam("数学", "09:00", 0)}, group("延时50%"))[0].duration, 0);
    DisplayExam huge = exam("数学", "09:00", 0);
    huge.duration = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(withExtraTime({huge}, group("延时20分钟"))[0].duration, 24 * 60 + 20);
}

TEST(ExtraTimeGroups, EachKindHasItsOwnEndAndLastStretch) {
    FakeClock clock;
    clock.setTime(11, 30, 0);
    const std::vector<DisplayExam> exams = {exam("数学", "09:00", 120)};
    const DisplayState ordinary = computeDisplayState(exams, clock.now());
    EXPECT_EQ(ordinary.phase, DisplayPhase::Ended);

    struct Case {
        const char* group;
        const char* end;
        std::int64_t left;  // seconds at 11:30
        bool lastStretch;
    };
    for (const Case& c :
         {Case{"延时30%", "11:36", 6 * 60, true}, Case{"延时50%", "12:00", 30 * 60, false},
          Case{"延时20分钟", "11:20", 0, false}}) {
        const DisplayState s =
            computeDisplayState(withExtraTime(exams, group(c.group)), clock.now());
        EXPECT_EQ(s.start, "09:00") << c.group;
        EXPECT_EQ(s.end, c.end) << c.group;
        EXPECT_EQ(s.remainingSeconds, c.left) << c.group;
        EXPECT_EQ(s.lastStretch, c.lastStretch) << c.group;
        EXPECT_EQ(s.phase, c.left > 0 ? DisplayPhase::InProgress : DisplayPhase::Ended) << c.group;
    }
}

TEST(ExtraTimeGroups, ALateStartMovesTheGroupsEndWithIt) {
    FakeClock clock;
    clock.setTime(11, 40, 0);
    // Moved 10 minutes later by a late start: 09:10 .. 11:10, with 30 %: .. 11:46.
    const std::vector<DisplayExam> exams = {exam("数学", "09:00", 120, 10)};
    const DisplayState s = computeDisplayState(withExtraTime(exams, group("延时30%")), clock.now());
    EXPECT_EQ(s.start, "09:10");
    EXPECT_EQ(s.end, "11:46");
    EXPECT_EQ(s.remainingSeconds, 6 * 60);
    EXPECT_TRUE(s.lastStretch);

    RoomCueSwitches ends{};
    ends[4] = true;
    ends[5] = true;
    const std::vector<RoomCue> cues =
        roomCues(withExtraTime(exams, group("延时30%")), {ends}, clock.now(), at(2, 11, 0));
    ASSERT_EQ(cues.size(), 2U);
    EXPECT_EQ(cues[0].cue, 5);
    EXPECT_EQ(cues[0].atMs, at(2, 11, 31));
    EXPECT_EQ(cues[1].cue, 6);
    EXPECT_EQ(cues[1].atMs, at(2, 11, 46));
}

TEST(ExtraTimeGroups, AnExamPastMidnightEndsTheNextDay) {
    FakeClock clock;
    clock.set(2026, 1, 2, 22, 0, 0);
    // 23:00 for 90 minutes, with 50 %: until 01:15.
    const std::vector<DisplayExam> exams = {exam("英语", "23:00", 90)};
    const std::vector<DisplayExam> longer = withExtraTime(exams, group("延时50%"));
    std::vector<RoomCue> cues = roomCues(longer, {all()}, clock.now(), at(2, 22, 0));
    std::vector<std::pair<int, std::int64_t>> got;
    for (const RoomCue& c : cues) {
        got.emplace_back(c.cue, c.atMs);
    }
    const std::vector<std::pair<int, std::int64_t>> want = {
        {1, at(2, 22, 45)},
        {2, at(2, 22, 52)},
        {3, at(2, 22, 55)},
        {4, at(2, 23, 0)},
        // A bell every 15 minutes counted back from the group's end, none where cue 5 or 6 sounds.
        {7, at(2, 23, 15)},
        {7, at(2, 23, 30)},
        {7, at(2, 23, 45)},
        {7, at(3, 0, 0)},
        {7, at(3, 0, 15)},
        {7, at(3, 0, 30)},
        {7, at(3, 0, 45)},
        {5, at(3, 1, 0)},
        {6, at(3, 1, 15)}};
    EXPECT_EQ(got, want);

    // Past midnight the same sitting is still the one under way, for the group only.
    clock.set(2026, 1, 3, 0, 50, 0);
    EXPECT_EQ(computeDisplayState(exams, clock.now()).phase, DisplayPhase::BeforeStart);
    const DisplayState s = computeDisplayState(longer, clock.now());
    EXPECT_EQ(s.phase, DisplayPhase::InProgress);
    EXPECT_EQ(s.end, "01:15");
    EXPECT_EQ(s.remainingSeconds, 25 * 60);
    cues = roomCues(longer, {all()}, clock.now(), at(3, 0, 50));
    ASSERT_EQ(cues.size(), 2U);
    EXPECT_EQ(cues[0].atMs, at(3, 1, 0));
    EXPECT_EQ(cues[1].atMs, at(3, 1, 15));
}

TEST(ExtraTimeGroups, CuesFollowEachExamsSwitchesAndSkipBadStarts) {
    FakeClock clock;
    clock.setTime(7, 0, 0);
    RoomCueSwitches onlyEnd{};
    onlyEnd[5] = true;
    RoomCueSwitches startAndWarning{};
    startAndWarning[3] = true;
    startAndWarning[4] = true;
    const std::vector<DisplayExam> exams = {exam("数学", "08:00", 60), exam("坏", "8点", 60),
                                            exam("英语", "10:00", 60)};
    const std::vector<RoomCue> cues =
        roomCues(withExtraTime(exams, group("延时20分钟")), {onlyEnd, all(), startAndWarning},
                 clock.now(), at(2, 7, 0));
    ASSERT_EQ(cues.size(), 3U);
    EXPECT_EQ(cues[0].cue, 6);
    EXPECT_EQ(cues[0].atMs, at(2, 9, 20));
    EXPECT_EQ(gbkToUtf8(cues[0].subject), "数学");
    EXPECT_EQ(cues[1].cue, 4);
    EXPECT_EQ(cues[1].atMs, at(2, 10, 0));
    EXPECT_EQ(cues[2].cue, 5);
    EXPECT_EQ(cues[2].atMs, at(2, 11, 5));
}

}  // namespace
}  // namespace exambell
