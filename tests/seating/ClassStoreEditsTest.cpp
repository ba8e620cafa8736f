#include <gtest/gtest.h>

#include "seating/ClassStore.h"

namespace exambell {
namespace {

TEST(ClassStoreEditsTest, RemovingKeepsTheOthersInOrder) {
    const Text store = "%class%A,x,y%class%B,z%class%%class%C,w";
    // Values as the class box carries them: A 2, B 3, C 5.
    EXPECT_EQ(ClassStore::withoutClass(store, 3), Text("A,x,y%class%C,w"));
    EXPECT_EQ(ClassStore::withoutClass(store, 2), Text("B,z%class%C,w"));
    EXPECT_EQ(ClassStore::withoutClass(store, 5), Text("A,x,y%class%B,z"));
    EXPECT_EQ(ClassStore::withoutClass("%class%A,x", 2), Text(""));
    EXPECT_FALSE(ClassStore::withoutClass(store, 1));  // the empty one before the marker
    EXPECT_FALSE(ClassStore::withoutClass(store, 4));
    EXPECT_FALSE(ClassStore::withoutClass(store, 6));
    EXPECT_FALSE(ClassStore::withoutClass(store, 0));
}

TEST(ClassStoreEditsTest, RenamingKeepsNamesAndPlace) {
    const Text store = "%class%A,x,y%class%B,z%class%C,";
    EXPECT_EQ(ClassStore::withClassRenamed(store, 3, "Bee"), Text("A,x,y%class%Bee,z%class%C,"));
    EXPECT_EQ(ClassStore::withClassRenamed(store, 4, "D"), Text("A,x,y%class%B,z%class%D,"));
    EXPECT_EQ(ClassStore::withClassRenamed("%class%noComma", 2, "E"), Text("E,"));
    EXPECT_FALSE(ClassStore::withClassRenamed(store, 1, "X"));
    EXPECT_FALSE(ClassStore::withClassRenamed(store, 9, "X"));
    // The entries after a rename point at the same classes.
    const Text renamed = *ClassStore::withClassRenamed(store, 3, "Bee");
    EXPECT_EQ(ClassStore::entries(renamed),
              (std::vector<ClassEntry>{{"A", 1}, {"Bee", 2}, {"C", 3}}));
}

TEST(ClassStoreEditsTest, OtherClassNames) {
    const Text store = "%class%A,x%class%B,z";
    EXPECT_TRUE(ClassStore::hasOtherClassNamed(store, 3, "A"));
    EXPECT_FALSE(ClassStore::hasOtherClassNamed(store, 2, "A"));
    EXPECT_FALSE(ClassStore::hasOtherClassNamed(store, 2, "x"));
}

}  // namespace
}  // namespace exambell
