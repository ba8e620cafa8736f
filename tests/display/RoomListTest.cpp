// The room list on a driven clock: its bounds against hostile pages, the rate limit per address,
// and the 10 s silence rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "display/RoomList.h"
#include "text/Encoding.h"

namespace exambell {
namespace {

constexpr std::int64_t kT0 = 1'000'000'000;

RoomReport report(const char* room, const std::string& address = "10.0.0.1") {
    RoomReport r;
    r.room = utf8ToGbk(room);
    r.address = address;
    r.offsetMs = 3;
    r.roundTripMs = 4;
    r.sound = RoomSound::On;
    return r;
}

std::string addressOf(int n) {
    return "10.1." + std::to_string(n / 256) + "." + std::to_string(n % 256);
}

TEST(RoomNames, OnlyShortPrintableGbkNamesAreTaken) {
    EXPECT_EQ(roomNameFromUtf8("  12 "), Text("12"));
    EXPECT_EQ(roomNameFromUtf8("第一考场"), utf8ToGbk("第一考场"));
    EXPECT_EQ(roomNameFromUtf8(std::string(32, 'x')), Text(32, 'x'));
    std::string longest;
    for (int i = 0; i < 32; ++i) {
        longest += "考";
    }
    EXPECT_EQ(roomNameFromUtf8(longest), utf8ToGbk(longest));
    EXPECT_FALSE(roomNameFromUtf8(longest + "x"));
    for (const std::string& bad :
         {std::string(), std::string("   "), std::string(33, 'x'), std::string("12\n13"),
          std::string("<b>12</b>"),
          std::string("\xE2\x80\xAE"
                      "21"),                                 // right-to-left override
          std::string("\xFF\xFE"), std::string("\xC0\xAF"),  // not UTF-8, overlong "/"
          std::string("\xED\xA0\x80"),                       // a lone surrogate
          std::string("\xF0\x9F\x98\x80"),                   // an emoji: not in GBK
          std::string("\xE4\xB6\xAE"),                       // U+4DAE: not in GBK
          std::string(100000, 'a')}) {
        EXPECT_FALSE(roomNameFromUtf8(bad)) << bad;
    }
}

TEST(RoomList, KeepsWhatEachPageSentLast) {
    RoomList list;
    EXPECT_EQ(list.report(report("12"), kT0), RoomList::Outcome::Taken);
    RoomReport later = report("12", "10.0.0.9");
    later.offsetMs = -250;
    later.sound = RoomSound::Failed;
    EXPECT_EQ(list.report(later, kT0 + 5000), RoomList::Outcome::Taken);
    RoomReport wild = report("13");
    wild.offsetMs = std::numeric_limits<double>::quiet_NaN();
    wild.roundTripMs = 1e300;
    EXPECT_EQ(list.report(wild, kT0 + 5000), RoomList::Outcome::Taken);

    const std::vector<RoomEntry> rooms = list.snapshot(kT0 + 5000);
    ASSERT_EQ(rooms.size(), 2U);
    EXPECT_EQ(rooms[0].room, "12");
    EXPECT_EQ(rooms[0].address, "10.0.0.9");
    EXPECT_EQ(rooms[0].firstMs, kT0);
    EXPECT_EQ(rooms[0].lastMs, kT0 + 5000);
    EXPECT_EQ(rooms[0].offsetMs, -250);
    EXPECT_EQ(rooms[0].sound, RoomSound::Failed);
    EXPECT_EQ(rooms[0].reports, 2);
    EXPECT_EQ(rooms[1].offsetMs, 0);
    EXPECT_EQ(rooms[1].roundTripMs, 864e5);
}

TEST(RoomList, ARoomIsSilentAfterTenSecondsWithoutAReport) {
    RoomList list;
    list.report(report("12", "10.0.0.1"), kT0);
    list.report(report("13", "10.0.0.2"), kT0);
    // Room 12 keeps reporting every 5 s; room 13's page was closed.
    for (std::int64_t t = kT0 + 5000; t <= kT0 + 30000; t += 5000) {
        list.report(report("12", "10.0.0.1"), t);
        const std::vector<RoomEntry> rooms = list.snapshot(t);
        EXPECT_FALSE(rooms[0].silent) << t - kT0;
        // Exactly 10 s is still in time; a millisecond more is not.
        EXPECT_EQ(rooms[1].silent, t - kT0 > 10000) << t - kT0;
    }
    EXPECT_FALSE(list.snapshot(kT0 + 10000)[1].silent);
    EXPECT_TRUE(list.snapshot(kT0 + 10001)[1].silent);
    EXPECT_EQ(silentRooms(list.snapshot(kT0 + 30000)), std::vector<Text>{"13"});
    // It comes back with its next report.
    list.report(report("13", "10.0.0.2"), kT0 + 31000);
    EXPECT_TRUE(silentRooms(list.snapshot(kT0 + 31000)).empty());
}

TEST(RoomList, ReportsAreRateLimitedPerAddress) {
    RoomList list;
    int taken = 0;
    // A flood from one address within one millisecond: a burst, then nothing.
    for (int i = 0; i < 100; ++i) {
        taken += list.report(report(std::to_string(i).c_str(), "10.0.0.66"), kT0) ==
                 RoomList::Outcome::Taken;
    }
    EXPECT_EQ(taken, static_cast<int>(RoomList::kBurst));
    // Other addresses are not held back by it.
    EXPECT_EQ(list.report(report("a", "10.0.0.67"), kT0), RoomList::Outcome::Taken);
    // The bucket refills at its rate.
    EXPECT_EQ(list.report(report("b", "10.0.0.66"), kT0 + 400), RoomList::Outcome::RateLimited);
    EXPECT_EQ(list.report(report("b", "10.0.0.66"), kT0 + 600), RoomList::Outcome::Taken);
    // A page reporting every few seconds is never limited.
    for (std::int64_t t = kT0 + 10000; t < kT0 + 100000; t += 2000) {
        EXPECT_EQ(list.report(report("c", "10.0.0.68"), t), RoomList::Outcome::Taken);
    }
    // A clock set back takes nothing away and gives nothing.
    EXPECT_EQ(list.report(report("c", "10.0.0.68"), kT0), RoomList::Outcome::Taken);
}

TEST(RoomList, HoldsAtMostFiveHundredRooms) {
    RoomList list;
    for (int i = 0; i < 600; ++i) {
        const RoomList::Outcome o =
            list.report(report(std::to_string(i).c_str(), addressOf(i)), kT0);
        EXPECT_EQ(o, i < 500 ? RoomList::Outcome::Taken : RoomList::Outcome::Full) << i;
    }
    EXPECT_EQ(list.size(), RoomList::kMaxRooms);
    // Rooms already listed keep reporting.
    EXPECT_EQ(list.report(report("7", addressOf(7)), kT0 + 1000), RoomList::Outcome::Taken);
    // A room silent for ten minutes makes way for a new one; the list stays bounded.
    for (int i = 0; i < 500; ++i) {
        if (i != 9) {
            list.report(report(std::to_string(i).c_str(), addressOf(i)),
                        kT0 + RoomList::kForgetAfterMs);
        }
    }
    EXPECT_EQ(list.report(report("new", addressOf(1000)), kT0 + RoomList::kForgetAfterMs + 1),
              RoomList::Outcome::Taken);
    EXPECT_EQ(list.size(), RoomList::kMaxRooms);
    const std::vector<RoomEntry> rooms = list.snapshot(kT0 + RoomList::kForgetAfterMs + 1);
    EXPECT_TRUE(
        std::none_of(rooms.begin(), rooms.end(), [](const RoomEntry& r) { return r.room == "9"; }));
    // Another new room waits: every room left was heard from just now.
    EXPECT_EQ(list.report(report("newer", addressOf(1001)), kT0 + RoomList::kForgetAfterMs + 2),
              RoomList::Outcome::Full);
}

TEST(RoomList, TracksABoundedNumberOfAddresses) {
    RoomList list;
    // Every address spends its whole burst at once, so none can be forgotten.
    for (int i = 0; i < static_cast<int>(RoomList::kMaxAddresses); ++i) {
        for (int k = 0; k < static_cast<int>(RoomList::kBurst); ++k) {
            list.report(report("x", addressOf(i)), kT0);
        }
    }
    EXPECT_EQ(list.report(report("y", "10.9.9.9"), kT0), RoomList::Outcome::RateLimited);
    // Once their buckets have filled again, the old addresses are forgotten.
    EXPECT_EQ(list.report(report("y", "10.9.9.9"), kT0 + 10000), RoomList::Outcome::Taken);
}

}  // namespace
}  // namespace exambell
