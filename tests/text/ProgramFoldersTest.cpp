#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/TempFolder.h"
#include "text/ProgramFolders.h"

namespace exambell {
namespace {

namespace fs = std::filesystem;

const fs::path kVoices(u8"语音文件库");

class ProgramFoldersTest : public ::testing::Test {
  protected:
    test::TempFolder root;
    fs::path config() const { return root.path() / "config"; }
};

TEST_F(ProgramFoldersTest, WritablePortableFolderKeepsEverythingBesideTheProgram) {
    const fs::path bin = root.path() / "portable";
    fs::create_directories(bin / kVoices);
    const ProgramFolders folders =
        locateProgramFolders(bin, config().c_str(), "/home/x", "/home/x");
    EXPECT_EQ(folders.data, bin);
    EXPECT_EQ(folders.settings, bin);
    EXPECT_FALSE(fs::exists(config()));
}

TEST_F(ProgramFoldersTest, InstalledProgramKeepsSettingsPerUser) {
    const fs::path prefix = root.path() / "usr";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share/exambell" / kVoices);
    // Even where the user could write the program's folder (root), config.ini stays out of bin/.
    const ProgramFolders folders =
        locateProgramFolders(prefix / "bin", config().c_str(), nullptr, nullptr);
    EXPECT_EQ(folders.data, prefix / "share/exambell");
    EXPECT_EQ(folders.settings, config() / "exambell");
    EXPECT_TRUE(fs::is_directory(config() / "exambell"));
}

TEST_F(ProgramFoldersTest, WithoutXdgConfigHomeTheHomeConfigFolderIsUsed) {
    const fs::path prefix = root.path() / "opt";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share/exambell" / kVoices);
    const fs::path home = root.path() / "home";
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
    const ProgramFolders folders =
        locateProgramFolders(prefix / "bin", "relative", home.c_str(), "/nowhere");
    EXPECT_EQ(folders.settings, home / ".config/exambell");
    EXPECT_TRUE(fs::is_directory(home / ".config/exambell"));
}

TEST_F(ProgramFoldersTest, ReadOnlyPortableFolderKeepsDataButSettingsMove) {
    const fs::path bin = root.path() / "cd";
    fs::create_directories(bin / kVoices);
    fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    fs::create_directories(config());
    fs::permissions(root.path(), fs::perms::all);
    fs::permissions(config(), fs::perms::all);
    // Root writes anywhere: take an ordinary user's rights.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(seteuid(65534), 0);
    }
    const ProgramFolders folders = locateProgramFolders(bin, config().c_str(), nullptr, nullptr);
    if (asRoot) {
        ASSERT_EQ(seteuid(0), 0);
    }
    fs::permissions(bin, fs::perms::owner_all);
    EXPECT_EQ(folders.data, bin);
    EXPECT_EQ(folders.settings, config() / "exambell");
    EXPECT_TRUE(fs::is_directory(config() / "exambell"));
    // Its config.ini (a prepared file) is where the settings start.
    EXPECT_EQ(folders.prepared, bin);
}

// Root run by a service or cron has no HOME: an installed program must not write beside its
// executable, where config.ini would outlive the package.
TEST_F(ProgramFoldersTest, WithoutHomeTheAccountsHomeIsUsedAndNeverTheExecutablesFolder) {
    const fs::path prefix = root.path() / "usr";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share/exambell" / kVoices);
    const fs::path account = root.path() / "account";
    ProgramFolders folders =
        locateProgramFolders(prefix / "bin", nullptr, nullptr, account.c_str());
    EXPECT_EQ(folders.settings, account / ".config/exambell");
    EXPECT_TRUE(fs::is_directory(account / ".config/exambell"));
    EXPECT_TRUE(folders.prepared.empty());

    // No home at all: no settings folder, rather than the program's.
    folders = locateProgramFolders(prefix / "bin", nullptr, nullptr, nullptr);
    EXPECT_EQ(folders.data, prefix / "share/exambell");
    EXPECT_TRUE(folders.settings.empty());
    folders = locateProgramFolders(prefix / "bin", nullptr, "relative", "relative");
    EXPECT_TRUE(folders.settings.empty());

    // An executable under /usr is installed even without its data beside it (root may write
    // /usr/bin, and nothing there holds the recordings).
    folders = locateProgramFolders("/usr/bin", nullptr, nullptr, nullptr);
    EXPECT_TRUE(folders.settings.empty());
    EXPECT_EQ(folders.data, fs::path("/usr/bin"));
    folders = locateProgramFolders("/usr/local/bin/../bin", config().c_str(), nullptr, nullptr);
    EXPECT_EQ(folders.settings, config() / "exambell");
    EXPECT_TRUE(folders.prepared.empty());
}

TEST_F(ProgramFoldersTest, ReadOnlyPortableFolderWithoutAnyHomeKeepsReadingItsFile) {
    const fs::path bin = root.path() / "cd";
    fs::create_directories(bin / kVoices);
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec |
                               fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(bin, readOnly);
    fs::permissions(root.path(), fs::perms::all);
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(seteuid(65534), 0);
    }
    const ProgramFolders folders = locateProgramFolders(bin, nullptr, nullptr, nullptr);
    if (asRoot) {
        ASSERT_EQ(seteuid(0), 0);
    }
    fs::permissions(bin, fs::perms::owner_all);
    EXPECT_EQ(folders.settings, bin);
    EXPECT_TRUE(folders.prepared.empty());
}

}  // namespace
}  // namespace exambell
