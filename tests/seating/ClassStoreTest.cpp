#include "seating/ClassStore.h"

#include <gtest/gtest.h>

#include "settings/ProfileStore.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

const std::function<bool()> kYes = [] { return true; };
const std::function<bool()> kNo = [] { return false; };
const std::function<bool()> kNeverAsked = [] {
    ADD_FAILURE() << "asked to overwrite";
    return false;
};

TEST(ClassStoreTest, EntriesCarryTheirElementPositions) {
    EXPECT_EQ(ClassStore::entries(""), (std::vector<ClassEntry>{{"", 0}}));
    EXPECT_TRUE(ClassStore::entries("%class%").empty());
    EXPECT_EQ(ClassStore::entries(g("%class%18软件5班,张三,李四")),
              (std::vector<ClassEntry>{{g("18软件5班"), 2}}));
    // A rebuilt store has no leading marker; empty elements still count for the positions.
    EXPECT_EQ(ClassStore::entries("A,x%class%%class%B,y%class%noComma"),
              (std::vector<ClassEntry>{{"A", 1}, {"B", 3}, {"", 4}}));
}

TEST(ClassStoreTest, ElementLookupStaysInsideTheStore) {
    const Text store = "%class%A,x%class%B,y";
    EXPECT_EQ(ClassStore::element(store, 2), Text("A,x"));
    EXPECT_EQ(ClassStore::element(store, 3), Text("B,y"));
    EXPECT_FALSE(ClassStore::element(store, 1));  // the empty one before the marker
    EXPECT_FALSE(ClassStore::element(store, 4));
    EXPECT_FALSE(ClassStore::element(store, 0));
    EXPECT_FALSE(ClassStore::element("", 1));
}

TEST(ClassStoreTest, LoadingCountsEveryPartAndStopsAtALongName) {
    LoadedClass loaded = ClassStore::load("A,x,,y");
    EXPECT_EQ(loaded.count, 3);
    EXPECT_EQ(loaded.joined, "x,y");
    EXPECT_FALSE(loaded.tooLong);

    loaded = ClassStore::load(g("A,张三,七个字的名字啊,李四"));
    EXPECT_EQ(loaded.count, 3);
    EXPECT_EQ(loaded.joined, g("张三"));
    EXPECT_TRUE(loaded.tooLong);

    EXPECT_FALSE(ClassStore::load("").count);
    EXPECT_EQ(ClassStore::load("A,").count, 0);
}

TEST(ClassStoreTest, NameLimitCountsGbkBytes) {
    EXPECT_EQ(ClassStore::checkStudentName("ABCDEFGHIJKL"), NameProblem::None);
    EXPECT_EQ(ClassStore::checkStudentName(g("六个中文字符")), NameProblem::None);
    EXPECT_EQ(ClassStore::checkStudentName(g("张三A李四B王")), NameProblem::None);
    EXPECT_EQ(ClassStore::checkStudentName("ABCDEFGHIJKLM"), NameProblem::TooLong);
    EXPECT_EQ(ClassStore::checkStudentName(g("七个中文字符啊")), NameProblem::TooLong);
}

TEST(ClassStoreTest, NamesThatWouldBreakTheStoreAreRefused) {
    for (const Text& name :
         {Text("a,b"), Text("%class%"), Text("x\r\ny"), Text("x\ny"), Text("x\r")}) {
        EXPECT_TRUE(ClassStore::breaksFormat(name)) << name;
        EXPECT_EQ(ClassStore::checkStudentName(name), NameProblem::BreaksFormat) << name;
    }
    EXPECT_FALSE(ClassStore::breaksFormat(g("张三，李四")));  // a full-width comma is only text
    // Names that make a marker with the marker the store puts after or before them.
    for (const Text& name : {Text("a%class"), Text("%class"), Text("class%x"), Text("class%")}) {
        EXPECT_TRUE(ClassStore::breaksFormat(name)) << name;
    }
    for (const Text& name : {Text("%clas"), Text("lass%"), Text("%"), Text("class"), Text("")}) {
        EXPECT_FALSE(ClassStore::breaksFormat(name)) << name;
    }
    // 一班 with 张三,a%class then 二班 would have listed a class named "class%二班".
    const RosterCheck roster = ClassStore::checkRoster(g("张三,a%class"), ",");
    EXPECT_EQ(roster.problem, NameProblem::BreaksFormat);
    EXPECT_EQ(roster.offendingName, "a%class");
}

// The store goes through config.ini as one value, whose blanks at the ends and one pair of
// matching quotes the profile format drops: such a store is protected by quotes of its own.
TEST(ClassStoreTest, TheStoreComesBackFromConfigIniIntact) {
    test::TempFolder folder;
    const Text ini = joinPath(folder.text(), "config.ini");
    for (const Text& store :
         {g("%class%一班,张三,李四 "), Text("\"A,p\""), Text("'A,p'"), Text(" A,p%class%B,q"),
          Text("\tA,p\t"), Text("\"A,p"), Text("\"\""), Text("'"), g("%class%一班,张三"), Text()}) {
        ASSERT_TRUE(ProfileStore::write(ini, "Class_", "Student", ClassStore::profileValue(store)));
        EXPECT_EQ(ProfileStore::read(ini, "Class_", "Student", ""), store) << store;
    }
    // An ordinary store is written as it always was, so older files and this one read alike.
    EXPECT_EQ(ClassStore::profileValue(g("%class%一班,张三")), g("%class%一班,张三"));
    EXPECT_EQ(ClassStore::profileValue(g("一班,李四 ")), g("\"一班,李四 \""));
    // The longest store the window accepts still fits the read buffer with its quotes.
    const Text longest = "A," + std::string(ProfileStore::kMaxValueBytes - 3, 'x') + " ";
    ASSERT_TRUE(ProfileStore::write(ini, "Class_", "Student", ClassStore::profileValue(longest)));
    EXPECT_EQ(ProfileStore::read(ini, "Class_", "Student", ""), longest);
}

TEST(ClassStoreTest, RosterSplitsAtTheSeparatorAndSkipsEmptyParts) {
    RosterCheck check = ClassStore::checkRoster(g(",,张三,,李四,"), ",");
    EXPECT_EQ(check.problem, NameProblem::None);
    EXPECT_EQ(check.count, 2);
    EXPECT_EQ(check.joined, g("张三,李四"));

    check = ClassStore::checkRoster("", ",");
    EXPECT_EQ(check.count, 0);
    EXPECT_EQ(check.joined, "");

    check = ClassStore::checkRoster(" a , b", ",");  // blanks stay part of a name
    EXPECT_EQ(check.joined, " a , b");
}

TEST(ClassStoreTest, LineBreakWordSplitsAtCrLfOnly) {
    const Text separator = ClassStore::separatorFor(g("换行"));
    EXPECT_EQ(separator, "\r\n");
    EXPECT_EQ(ClassStore::separatorFor(g("，")), g("，"));
    EXPECT_EQ(ClassStore::separatorFor(g("自定义")), g("自定义"));

    RosterCheck check = ClassStore::checkRoster(g("张三\r\n李四\r\n\r\n王五\r\n"), separator);
    EXPECT_EQ(check.problem, NameProblem::None);
    EXPECT_EQ(check.count, 3);
    EXPECT_EQ(check.joined, g("张三,李四,王五"));

    // A bare LF does not split; the line break left inside the name is refused.
    check = ClassStore::checkRoster(g("张三\n李四"), separator);
    EXPECT_EQ(check.problem, NameProblem::BreaksFormat);
    EXPECT_EQ(check.offendingName, g("张三\n李四"));
}

TEST(ClassStoreTest, RosterStopsAtTheFirstRefusedName) {
    RosterCheck check = ClassStore::checkRoster(g("张三，李四,王五，赵六"), g("，"));
    EXPECT_EQ(check.problem, NameProblem::BreaksFormat);
    EXPECT_EQ(check.offendingName, g("李四,王五"));

    check = ClassStore::checkRoster("ab,ABCDEFGHIJKLM,c", ",");
    EXPECT_EQ(check.problem, NameProblem::TooLong);
    EXPECT_EQ(check.offendingName, "ABCDEFGHIJKLM");
    EXPECT_EQ(check.count, 1);
}

TEST(ClassStoreTest, NewClassIsAppendedWithTheMarker) {
    EXPECT_EQ(ClassStore::withClass("", g("18软件5班"), g("张三,李四"), kNeverAsked),
              g("%class%18软件5班,张三,李四"));
    const Text two = *ClassStore::withClass(g("%class%18软件5班,张三,李四"), g("二班"),
                                            g("王五,赵六"), kNeverAsked);
    EXPECT_EQ(two, g("%class%18软件5班,张三,李四%class%二班,王五,赵六"));
    EXPECT_EQ(ClassStore::withClass("", "A", "", kNeverAsked), "%class%A,");
}

TEST(ClassStoreTest, NameInsideAnotherClassIsAddedAtTheEnd) {
    EXPECT_EQ(ClassStore::withClass(g("%class%18软件5班,x"), g("5班"), "p,q", kNeverAsked),
              g("18软件5班,x%class%5班,p,q"));
    // The rebuild drops empty elements and elements that are only ",".
    EXPECT_EQ(ClassStore::withClass("%class%%class%,%class%xA,1", "A", "2", kNeverAsked),
              "xA,1%class%A,2");
}

}  // namespace
}  // namespace exambell
