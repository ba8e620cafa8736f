#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

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

// A save killed between writing its temporary file and renaming it leaves config.ini.tmp; start-up
// removes it, but never the one a running copy of the program is writing.
TEST(FileCopy, RemovesALeftoverTemporaryFileButNotOneBeingWritten) {
    test::TempFolder folder;
    const fs::path target = folder.path() / "config.ini";
    folder.write("config.ini", "[a]\r\nx=1\r\n");
    folder.write("config.ini.tmp", "[a]\r\nx=");
    EXPECT_TRUE(removeLeftoverTemporary(target));
    EXPECT_FALSE(fs::exists(folder.path() / "config.ini.tmp"));
    EXPECT_EQ(folder.read("config.ini"), "[a]\r\nx=1\r\n");
    EXPECT_TRUE(removeLeftoverTemporary(target));  // none: nothing to do

    {
        std::FILE* old = std::fopen(target.c_str(), "rb");
        ASSERT_NE(old, nullptr);
        FileReplacement writing(target);
        ASSERT_TRUE(writing.open(old));
        ASSERT_TRUE(writing.append("[a]\r\nx=2\r\n"));
        EXPECT_FALSE(removeLeftoverTemporary(target));
        EXPECT_TRUE(fs::exists(folder.path() / "config.ini.tmp"));
        EXPECT_TRUE(writing.commit());
        std::fclose(old);
    }
    EXPECT_EQ(folder.read("config.ini"), "[a]\r\nx=2\r\n");

    // A link in its place goes, not the file it leads to.
    fs::create_symlink(target, folder.path() / "config.ini.tmp");
    EXPECT_TRUE(removeLeftoverTemporary(target));
    EXPECT_FALSE(fs::is_symlink(folder.path() / "config.ini.tmp"));
    EXPECT_EQ(folder.read("config.ini"), "[a]\r\nx=2\r\n");
}

TEST(FileCopy, KeepsThePermissionsOfTheReplacedFile) {
    test::TempFolder from, to;
    auto source = from.write("config.ini", "new");
    const fs::path target = to.write("config.ini", "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(copyFileOver(pathText(source), pathText(target)));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(temporaryFor(target)));
    // A temporary name taken by a link elsewhere: the link goes, the file it names stays.
    const fs::path bait = from.write("bait", "bait");
    fs::create_symlink(bait, temporaryFor(target));
    ASSERT_TRUE(copyFileOver(pathText(source), pathText(target)));
    EXPECT_EQ(from.read("bait"), "bait");
    EXPECT_EQ(to.read("config.ini"), "new");
    EXPECT_FALSE(fs::exists(fs::symlink_status(temporaryFor(target))));
}

// Runs body in a child process as the ordinary user 65534 and returns its exit code (99 when
// the rights cannot be changed). Root writes and deletes anything: only an ordinary user shows
// that a read-only file is refused by our own check, not by the system.
int asOrdinaryUser(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(99);
        }
        ::_exit(body() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// Import and reset leave a read-only config.ini alone, as the save does, even where the folder
// would let them replace or delete it.
TEST(FileCopy, ImportAndResetRefuseAReadOnlyFile) {
    test::TempFolder from, to;
    const fs::path source = from.write("config.ini", "new");
    const fs::path target = to.write("config.ini", "old");
    const Text targetText = pathText(target);
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_TRUE(isReadOnlyFile(target));
    // As whoever runs the test (root too).
    EXPECT_FALSE(copyFileOver(pathText(source), targetText));
    EXPECT_FALSE(removeFile(targetText));
    EXPECT_EQ(to.read("config.ini"), "old");

    // As an ordinary user in a folder everybody may write to.
    fs::permissions(to.path(), fs::perms::all);
    fs::permissions(from.path(), fs::perms::all);
    fs::permissions(source, fs::perms::others_read, fs::perm_options::add);
    const int imported = asOrdinaryUser([&] { return copyFileOver(pathText(source), targetText); });
    ASSERT_NE(imported, 99) << "could not drop privileges";
    EXPECT_EQ(imported, 0);
    EXPECT_EQ(asOrdinaryUser([&] { return removeFile(targetText); }), 0);
    EXPECT_EQ(to.read("config.ini"), "old");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(to.path()), fs::directory_iterator()), 1);

    // Writable again: both work, and a missing file counts as reset.
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(copyFileOver(pathText(source), targetText));
    EXPECT_EQ(to.read("config.ini"), "new");
    EXPECT_TRUE(removeFile(targetText));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(removeFile(targetText));
}

}  // namespace
}  // namespace exambell
