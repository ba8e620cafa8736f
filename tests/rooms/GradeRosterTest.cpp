// The grade's rosters and the arrangement's settings in config.ini.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "rooms/ArrangementSettings.h"
#include "rooms/GradeRoster.h"
#include "settings/ProfileStore.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

class GradeRosterTest : public ::testing::Test {
  protected:
    Text config() const { return joinPath(pathText(folder.path()), "config.ini"); }
    test::TempFolder folder;
};

TEST_F(GradeRosterTest, AGradeOf2000NamesReadsBackWholeBesideTheClassStore) {
    ASSERT_TRUE(ProfileStore::write(config(), "Class_", "Student", g("%class%一班,张三")));
    const GradeRoster roster(config());
    std::vector<GradeClass> grade;
    for (int c = 1; c <= 20; ++c) {
        GradeClass one{g("高二") + toText(c) + g("班"), {}};
        // One class far beyond what one value can hold: 1,100 names of 12 bytes.
        const int size = c == 1 ? 1100 : 47;
        for (int s = 1; s <= size; ++s) {
            Text name = g("欧阳") + toText(c) + "-" + toText(s);
            name.resize(12, 'x');
            one.names.push_back(name);
        }
        ASSERT_TRUE(roster.save(one));
        grade.push_back(std::move(one));
    }
    // Blanks around a name, which the profile format would drop, are kept.
    grade[2].names[0] = g(" 李四 ");
    ASSERT_TRUE(roster.save(grade[2]));
    EXPECT_EQ(roster.classes(), grade);
    EXPECT_EQ(ProfileStore::read(config(), "Class_", "Student", ""), g("%class%一班,张三"));
}

TEST_F(GradeRosterTest, ReplacingKeepsThePlaceAndRemovingMovesTheOthersUp) {
    const GradeRoster roster(config());
    const GradeClass a{g("一班"), {g("甲"), g("乙"), g("丙")}};
    const GradeClass b{g("二班"), {g("丁")}};
    const GradeClass c{g("三班"), {g("戊"), g("己")}};
    for (const GradeClass& one : {a, b, c}) {
        ASSERT_TRUE(roster.save(one));
    }
    const GradeClass shorter{g("一班"), {g("庚")}};
    ASSERT_TRUE(roster.save(shorter));
    EXPECT_EQ(roster.classes(), (std::vector<GradeClass>{shorter, b, c}));
    ASSERT_TRUE(roster.remove(g("二班")));
    EXPECT_EQ(roster.classes(), (std::vector<GradeClass>{shorter, c}));
    EXPECT_FALSE(roster.remove(g("四班")));
    const GradeClass empty{g("五班"), {}};
    ASSERT_TRUE(roster.save(empty));
    EXPECT_EQ(roster.classes(), (std::vector<GradeClass>{shorter, c, empty}));
}

TEST_F(GradeRosterTest, ArrangementSettingsReadBackAndShrinkingTheRoomListEmptiesTheRest) {
    EXPECT_EQ(ArrangementSettings::load(config()), ArrangementSettings{});
    ArrangementSettings settings;
    settings.code = "7K2QX-M9RTC";
    settings.fingerprint = "ABCDEF";
    settings.order = CandidateOrder::ByClassThenName;
    settings.mixed = false;
    settings.format = {g("高一"), 3, 2};
    settings.exam = g("期末考试");
    settings.rooms = {g("第01考场,8,5"), g("第02考场,8,5,隔列,3-2"), g(" 第03考场 ")};
    ASSERT_TRUE(settings.save(config()));
    EXPECT_EQ(ArrangementSettings::load(config()), settings);
    settings.rooms.resize(1);
    ASSERT_TRUE(settings.save(config()));
    EXPECT_EQ(ArrangementSettings::load(config()), settings);
    EXPECT_EQ(ProfileStore::read(config(), "room_list", "room_2", "-"), "");
}

TEST_F(GradeRosterTest, AFailedWriteSaysSo) {
    const GradeRoster roster(joinPath(pathText(folder.path() / "missing"), "config.ini"));
    EXPECT_FALSE(roster.save({g("一班"), {g("甲")}}));
    EXPECT_TRUE(roster.classes().empty());
}

}  // namespace
}  // namespace exambell
