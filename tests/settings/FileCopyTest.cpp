#include <gtest/gtest.h>

#include <filesystem>

#include "settings/FileCopy.h"
#include "tests/support/TempFolder.h"
#include "text/Paths.h"

namespace exambell {
namespace {

namespace fs = std::filesystem;

TEST(FileCopy, ReplacesTheTargetWholeAndLeavesNoTemporaryFile) {
    test::TempFolder from, to;
    auto source = from.write("config.ini", "[exam_1]\r\nsubject=new\r\n");
    to.write("config.ini", "[exam_1]\r\nsubject=old\r\n");
    ASSERT_TRUE(copyFileOver(pathText(source), pathText(to.path() / "config.ini")));
    EXPECT_EQ(to.read("config.ini"), "[exam_1]\r\nsubject=new\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(to.path()), fs::directory_iterator()), 1);
}

TEST(FileCopy, RefusesFoldersMissingFilesAndUnwritableTargets) {
    test::TempFolder from, to;
    to.write("config.ini", "old");
    const Text target = pathText(to.path() / "config.ini");
    EXPECT_FALSE(copyFileOver(from.text(), target));
    EXPECT_FALSE(copyFileOver(pathText(from.path() / "missing.ini"), target));
    EXPECT_FALSE(copyFileOver("", target));
    // A target whose folder is a file cannot be written, even by root.
    auto source = from.write("config.ini", "new");
    EXPECT_FALSE(copyFileOver(pathText(source), pathText(to.path() / "config.ini" / "x.ini")));
    EXPECT_EQ(to.read("config.ini"), "old");
}

}  // namespace
}  // namespace exambell
