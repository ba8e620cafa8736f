#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/FileCopy.h"
#include "settings/ProfileStore.h"
#include "tests/support/TempFolder.h"
#include "text/Paths.h"

namespace exambell {
namespace {

using test::TempFolder;

class ProfileStoreTest : public testing::Test {
  protected:
    void given(const std::string& bytes) { folder_.write("config.ini", bytes); }
    std::string content() const { return folder_.read("config.ini"); }
    Text read(std::string_view section, std::string_view key, std::string_view fallback = "?") {
        return ProfileStore::read(ini_, section, key, fallback);
    }
    bool write(std::string_view section, std::string_view key, std::string_view value) {
        return ProfileStore::write(ini_, section, key, value);
    }
    // Entries of the folder other than config.ini (a leftover temporary file would show here).
    int strayFiles() const {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
            count += entry.path().filename() != "config.ini" ? 1 : 0;
        }
        return count;
    }

    TempFolder folder_;
    Text ini_ = joinPath(folder_.text(), "config.ini");
};

TEST_F(ProfileStoreTest, WritesLikeTheWindowsServices) {
    given("[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
    EXPECT_TRUE(write("a", "z", "3"));
    EXPECT_TRUE(write("b", "y", "22"));
    EXPECT_TRUE(write("c", "w", "4"));
    EXPECT_TRUE(write("A", "X", "11"));
    EXPECT_EQ(content(), "[a]\r\nx=11\r\nz=3\r\n[b]\r\ny=22\r\n[c]\r\nw=4\r\n");
    EXPECT_EQ(strayFiles(), 0);
}

TEST_F(ProfileStoreTest, FirstSaveCreatesSectionsAndKeysInWritingOrder) {
    std::string expected;
    for (int n = 1; n <= 7; ++n) {
        Text section = "music_" + toText(n);
        ASSERT_TRUE(write(section, "src", "/p/" + toText(n) + ".mp3"));
        ASSERT_TRUE(write(section, "use_is", "1"));
        expected += "[" + section + "]\r\nsrc=/p/" + toText(n) + ".mp3\r\nuse_is=1\r\n";
    }
    for (int n = 1; n <= 4; ++n) {
        Text section = "exam_" + toText(n);
        ASSERT_TRUE(write(section, "subject", "\xCA\xFD\xD1\xA7"));  // 数学
        ASSERT_TRUE(write(section, "start_time", "09:00"));
        ASSERT_TRUE(write(section, "long_time", "120\xB7\xD6\xD6\xD3"));  // 120分钟
        ASSERT_TRUE(write(section, "use_is", "0"));
        expected += "[" + section +
                    "]\r\nsubject=\xCA\xFD\xD1\xA7\r\nstart_time=09:00\r\n"
                    "long_time=120\xB7\xD6\xD6\xD3\r\nuse_is=0\r\n";
    }
    EXPECT_EQ(content(), expected);
    EXPECT_EQ(read("exam_3", "long_time"), "120\xB7\xD6\xD6\xD3");
    EXPECT_EQ(read("music_7", "src"), "/p/7.mp3");
}

TEST_F(ProfileStoreTest, NamesMatchWithoutCaseAndBlanks) {
    given("  [ Exam_1 ]  \r\n  SUBJECT  =  a b  \r\n\tStart_Time\t=\t09:00\t\r\n");
    EXPECT_EQ(read("exam_1", "subject"), "a b");
    EXPECT_EQ(read("EXAM_1", "start_time"), "09:00");
    // Leading codes up to 32 and trailing blanks of the names are dropped before the lookup.
    EXPECT_EQ(read("\x01\t exam_1  ", "\n subject "), "a b");
    EXPECT_EQ(ProfileStore::read(" \t" + ini_, "exam_1", "subject", ""), "a b");
    // GBK names compare byte for byte: B0 41 and B0 61 differ although 41 and 61 are A and a.
    given("[\xB0\x41]\r\nk=1\r\n");
    EXPECT_EQ(read("\xB0\x41", "K"), "1");
    EXPECT_EQ(read("\xB0\x61", "k"), "?");
}

TEST_F(ProfileStoreTest, ValuesLoseMatchingQuotesOnly) {
    given(
        "[q]\r\n"
        "a=\"a b\"\r\n"
        "b='c'\r\n"
        "c=\"d'\r\n"
        "d=\"\r\n"
        "e=\"\"\r\n"
        "f=  \"  x  \"  \r\n"
        "g='\"'\r\n"
        "h=\"a\"b\"\r\n");
    EXPECT_EQ(read("q", "a"), "a b");
    EXPECT_EQ(read("q", "b"), "c");
    EXPECT_EQ(read("q", "c"), "\"d'");
    EXPECT_EQ(read("q", "d"), "\"");
    EXPECT_EQ(read("q", "e"), "");
    EXPECT_EQ(read("q", "f"), "  x  ");
    EXPECT_EQ(read("q", "g"), "\"");
    EXPECT_EQ(read("q", "h"), "a\"b");
}

TEST_F(ProfileStoreTest, FirstOccurrenceWins) {
    given("[a]\r\nx=1\r\nx=2\r\n[b]\r\nx=5\r\n[A]\r\nx=3\r\ny=4\r\n");
    EXPECT_EQ(read("a", "x"), "1");
    EXPECT_EQ(read("a", "y"), "?");  // only the first [a] is looked at
    EXPECT_TRUE(write("a", "x", "9"));
    EXPECT_TRUE(write("a", "y", "8"));
    EXPECT_EQ(content(), "[a]\r\nx=9\r\nx=2\r\ny=8\r\n[b]\r\nx=5\r\n[A]\r\nx=3\r\ny=4\r\n");
}

TEST_F(ProfileStoreTest, CommentsAndLinesThatAreNoKeys) {
    given(
        "x=0\r\n"
        "[a]\r\n"
        ";y=1\r\n"
        "  ; z=1\r\n"
        "just text\r\n"
        "w=1 ; not a comment\r\n"
        "[b\r\n"
        "v=2\r\n"
        "[\xB0\x5D\r\n"  // "]" as the trail byte of a character closes nothing
        "u=3\r\n"
        "[c] trailing\r\n"
        "t=4\r\n");
    EXPECT_EQ(read("a", "x"), "?");  // before the first section: in none
    EXPECT_EQ(read("a", "y"), "?");
    EXPECT_EQ(read("a", "z"), "?");
    EXPECT_EQ(read("a", "just text"), "?");
    EXPECT_EQ(read("a", "w"), "1 ; not a comment");
    EXPECT_EQ(read("a", "v"), "2");
    EXPECT_EQ(read("a", "u"), "3");
    EXPECT_EQ(read("c", "t"), "4");
    EXPECT_EQ(read("c] trailing", "t"), "?");
}

TEST_F(ProfileStoreTest, MissingAndEmptyValues) {
    EXPECT_EQ(read("a", "x", "d"), "d");  // no file
    given("[a]\r\nx=\r\ny=   \r\n");
    EXPECT_EQ(read("a", "x", "d"), "");
    EXPECT_EQ(read("a", "y", "d"), "");
    EXPECT_EQ(read("a", "z", "d"), "d");
    EXPECT_EQ(read("b", "x", "d"), "d");
    EXPECT_EQ(read("a", "z", "d  "), "d");  // the services drop a default's trailing blanks
    // An empty name reads "" whatever the default, and a write with one changes nothing.
    EXPECT_EQ(read(" \t", "x", "d"), "");
    EXPECT_EQ(read("a", "", "d"), "");
    EXPECT_EQ(ProfileStore::read("  ", "a", "x", "d"), "");
    EXPECT_FALSE(write("", "x", "1"));
    EXPECT_FALSE(write("a", "  ", "1"));
    EXPECT_EQ(content(), "[a]\r\nx=\r\ny=   \r\n");
}

TEST_F(ProfileStoreTest, NulCutsAValue) {
    const char bytes[] = "[a]\r\nx=ab\0cd\r\ny=ab \0cd\r\nz=\"q\0\"\r\n";
    given(std::string(bytes, sizeof bytes - 1));
    EXPECT_EQ(read("a", "x"), "ab");
    EXPECT_EQ(read("a", "y"), "ab ");
    EXPECT_EQ(read("a", "z"), "\"q");
}

TEST_F(ProfileStoreTest, AValueIsCutAfter10239Bytes) {
    const std::size_t max = ProfileStore::kMaxValueBytes;
    given("[a]\r\nlong=" + std::string(20000, 'a') + "\r\nexact=" + std::string(max, 'b') +
          "\r\nquoted=\"" + std::string(max, 'c') + "\"\r\n");
    EXPECT_EQ(read("a", "long"), std::string(max, 'a'));
    EXPECT_EQ(read("a", "exact"), std::string(max, 'b'));
    EXPECT_EQ(read("a", "quoted"), std::string(max, 'c'));
    // A cut inside a double-byte character drops its first half as well.
    Text chinese;
    for (int i = 0; i < 6000; ++i) {
        chinese += "\xB0\xA1";  // 啊
    }
    ASSERT_TRUE(write("a", "chinese", chinese));
    EXPECT_EQ(read("a", "chinese"), chinese.substr(0, max - 1));
    EXPECT_EQ(read("a", "missing", std::string(20000, 'd')), std::string(max, 'd'));
}

TEST_F(ProfileStoreTest, LfAndCrLfFilesReadAlike) {
    const std::string lines = "[a]|x = 1|[b]|y=\"2\"|;c|z=3|";
    std::string lf, crlf;
    for (char c : lines) {
        lf += c == '|' ? std::string("\n") : std::string(1, c);
        crlf += c == '|' ? std::string("\r\n") : std::string(1, c);
    }
    for (const std::string& file : {lf, crlf}) {
        given(file);
        EXPECT_EQ(read("a", "x"), "1");
        EXPECT_EQ(read("b", "y"), "2");
        EXPECT_EQ(read("b", "z"), "3");
    }
    // Writes into an LF file: every other line stays as it was, written lines end in CR LF.
    given("[a]\nx=1\n\n[b]\ny=2\n");
    EXPECT_TRUE(write("a", "x", "5"));
    EXPECT_TRUE(write("a", "w", "6"));
    EXPECT_EQ(content(), "[a]\nx=5\r\nw=6\r\n\n[b]\ny=2\n");
}

// Some editors and transfers leave a CR without its LF: the services end a line there, so a
// key after it is a key of its own and no value ever holds a CR.
TEST_F(ProfileStoreTest, ALoneCrEndsALine) {
    given("[exam_1]\rsubject=\xCA\xFD\xD1\xA7\ruse_is=1\r[exam_2]\r\nsubject= x \r");
    EXPECT_EQ(read("exam_1", "subject"), "\xCA\xFD\xD1\xA7");
    EXPECT_EQ(read("exam_1", "use_is"), "1");
    EXPECT_EQ(read("exam_2", "subject"), "x");
    EXPECT_EQ(read("exam_2", "use_is"), "?");
    EXPECT_TRUE(write("exam_1", "subject", "a"));
    EXPECT_TRUE(write("exam_1", "use_is", "1"));  // a written line ends in CR LF
    EXPECT_TRUE(write("exam_2", "long_time", "90"));
    EXPECT_TRUE(write("exam_3", "use_is", "0"));
    EXPECT_EQ(content(),
              "[exam_1]\rsubject=a\r\nuse_is=1\r\n[exam_2]\r\nsubject= x \rlong_time=90\r\n"
              "[exam_3]\r\nuse_is=0\r\n");
    given("[a]\rx=1\r");
    EXPECT_TRUE(write("b", "y", "2"));
    EXPECT_EQ(content(), "[a]\rx=1\r[b]\r\ny=2\r\n");
    given("[a]\r\r\rx=1\r;[b]\r[b]\ry=2");
    EXPECT_EQ(read("a", "x"), "1");
    EXPECT_EQ(read("b", "y"), "2");

    // A CR LF split between two reads of the file is one line end; a lone CR there is one too.
    const std::string comment = ";" + std::string(64 * 1024 - 2, 'c');
    given(comment + "\r\n[a]\r\nx=1\r\n");
    EXPECT_TRUE(write("a", "x", "2"));
    EXPECT_EQ(content(), comment + "\r\n[a]\r\nx=2\r\n");
    given(comment + "\r[a]\rx=1");
    EXPECT_EQ(read("a", "x"), "1");
    EXPECT_TRUE(write("a", "x", "3"));
    EXPECT_EQ(content(), comment + "\r[a]\rx=3\r\n");
}

// Notepad's "Unicode" (UTF-16 LE with a byte-order mark), "Unicode big endian" and "UTF-8"
// files are read and written in their own form, as the services do.
TEST_F(ProfileStoreTest, UnicodeFilesAreReadAndWrittenInTheirOwnForm) {
    const auto utf16 = [](std::u16string_view text, bool littleEndian) {
        std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
        for (char16_t unit : text) {
            const char low = static_cast<char>(unit & 0xFF);
            const char high = static_cast<char>(unit >> 8);
            bytes += littleEndian ? low : high;
            bytes += littleEndian ? high : low;
        }
        return bytes;
    };
    // U+1F600 and U+4DAE have no GBK code; they must survive every write.
    const std::u16string before =
        u"; 考铃 \U0001F600\r\n[exam_1]\r\nsubject=语文\r\nuse_is=1\r\n[Class_]\r\n"
        u"Student=高一1班:张三\u4DAE";
    for (bool littleEndian : {true, false}) {
        given(utf16(before, littleEndian));
        EXPECT_EQ(read("exam_1", "subject"), "\xD3\xEF\xCE\xC4");  // 语文
        EXPECT_EQ(read("EXAM_1", "use_is"), "1");
        EXPECT_EQ(read("Class_", "Student"),
                  "\xB8\xDF\xD2\xBB"
                  "1\xB0\xE0:\xD5\xC5\xC8\xFD?");
        EXPECT_TRUE(write("exam_1", "subject", "\xCA\xFD\xD1\xA7"));       // 数学
        EXPECT_TRUE(write("exam_1", "long_time", "120\xB7\xD6\xD6\xD3"));  // 120分钟
        EXPECT_TRUE(write("Class_", "x", "1"));
        EXPECT_TRUE(write("exam_2", "use_is", "0"));
        EXPECT_EQ(content(),
                  utf16(u"; 考铃 \U0001F600\r\n[exam_1]\r\nsubject=数学\r\nuse_is=1\r\n"
                        u"long_time=120分钟\r\n[Class_]\r\nStudent=高一1班:张三\u4DAE\r\nx=1\r\n"
                        u"[exam_2]\r\nuse_is=0\r\n",
                        littleEndian));
        EXPECT_EQ(read("exam_1", "subject"), "\xCA\xFD\xD1\xA7");
        EXPECT_EQ(strayFiles(), 0);
        // What would come back as another text is refused, and the file stays.
        const std::string whole = content();
        EXPECT_FALSE(write("exam_1", "subject", "\x81"));
        EXPECT_EQ(content(), whole);
    }
    // A lone CR ends a line here too; an odd last byte is no character and stays last.
    given(utf16(u"[a]\rx=1\r", true) + "\x41");
    EXPECT_EQ(read("a", "x"), "1");
    EXPECT_TRUE(write("a", "y", "2"));
    EXPECT_EQ(content(), utf16(u"[a]\rx=1\ry=2\r\n", true) + "\x41");
    given("\xFF\xFE");
    EXPECT_TRUE(write("a", "x", "1"));
    EXPECT_EQ(content(), utf16(u"[a]\r\nx=1\r\n", true));

    given("\xEF\xBB\xBF[exam_1]\r\nsubject=\xE8\xAF\xAD\xE6\x96\x87\r\n");  // 语文
    EXPECT_EQ(read("exam_1", "subject"), "\xD3\xEF\xCE\xC4");
    EXPECT_TRUE(write("exam_1", "subject", "\xCA\xFD\xD1\xA7"));
    EXPECT_EQ(content(), "\xEF\xBB\xBF[exam_1]\r\nsubject=\xE6\x95\xB0\xE5\xAD\xA6\r\n");  // 数学
}

TEST_F(ProfileStoreTest, WritesKeepTheRestOfTheFile) {
    given("; settings\r\n[a]\r\n; note\r\n  X  =  1  \r\n\r\n[b]\r\ny=2");
    EXPECT_TRUE(write("a", "x", "7"));
    EXPECT_TRUE(write("a", "z", "8"));
    EXPECT_TRUE(write("b", "w", "9"));  // after a last line without a line end
    EXPECT_TRUE(write("c", "v", ""));
    EXPECT_EQ(
        content(),
        "; settings\r\n[a]\r\n; note\r\nX=7\r\nz=8\r\n\r\n[b]\r\ny=2\r\nw=9\r\n[c]\r\nv=\r\n");
    given("[a]\r\nx=1");
    EXPECT_TRUE(write("b", "y", "2"));
    EXPECT_EQ(content(), "[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
    given("[a]");
    EXPECT_TRUE(write("a", "y", "2"));
    EXPECT_EQ(content(), "[a]\r\ny=2\r\n");
}

TEST_F(ProfileStoreTest, WritingTheSameValueLeavesTheFileAlone) {
    ASSERT_TRUE(write("a", "x", "1"));
    struct stat before {};
    ASSERT_EQ(::stat((folder_.path() / "config.ini").c_str(), &before), 0);
    ASSERT_TRUE(write("A", "X", "1"));
    struct stat after {};
    ASSERT_EQ(::stat((folder_.path() / "config.ini").c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);  // not replaced
}

TEST_F(ProfileStoreTest, RefusesWhatOneLineCannotHold) {
    given("[a]\r\nx=1\r\n");
    EXPECT_FALSE(write("a", "x", "1\r\ny=2"));
    EXPECT_FALSE(write("a", "x", "1\n[b]"));
    EXPECT_FALSE(write("a\r\n[b]", "x", "1"));
    EXPECT_FALSE(write("a", "x=y", "1"));
    EXPECT_FALSE(write("a", ";x", "1"));
    EXPECT_FALSE(write("a", "[x", "1"));
    EXPECT_EQ(content(), "[a]\r\nx=1\r\n");
    // A NUL ends a value as it ends a C string.
    EXPECT_TRUE(write("a", "x", std::string("2\0junk", 6)));
    EXPECT_EQ(content(), "[a]\r\nx=2\r\n");
    // A section name ending in a lone lead byte would take the "]" of its header as a trail
    // byte: the header would never end and every write would append it again.
    EXPECT_FALSE(write("abc\x81", "k", "v"));
    EXPECT_FALSE(write("\xD2\xBB\xB0", "k", "v"));  // 一 and a lone lead byte
    EXPECT_EQ(content(), "[a]\r\nx=2\r\n");
    EXPECT_TRUE(write("\xD2\xBB\xB0\xE0", "k", "v"));  // 一班
    EXPECT_EQ(read("\xD2\xBB\xB0\xE0", "k"), "v");
}

TEST_F(ProfileStoreTest, KeepsPermissionsOfTheOldFile) {
    given("[a]\r\nx=1\r\n");
    std::filesystem::permissions(folder_.path() / "config.ini",
                                 std::filesystem::perms::owner_read |
                                     std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_read);
    ASSERT_TRUE(write("a", "x", "2"));
    EXPECT_EQ(std::filesystem::status(folder_.path() / "config.ini").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

// Runs body in a child process and returns its exit code; the child may drop privileges or
// limit itself without touching the test process.
int inChild(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST_F(ProfileStoreTest, AFailedWriteSaysSoAndLeavesTheOldFileWhole) {
    const std::string old = "[a]\r\nx=1\r\n";
    given(old);
    // A read-only folder. Root writes anywhere, so the write runs as an ordinary user then.
    std::filesystem::permissions(folder_.path(), std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_exec |
                                                     std::filesystem::perms::others_read |
                                                     std::filesystem::perms::others_exec);
    // The file itself may be written by anyone: only the folder stands in the way.
    std::filesystem::permissions(
        folder_.path() / "config.ini",
        std::filesystem::perms::others_read | std::filesystem::perms::others_write,
        std::filesystem::perm_options::add);
    int result = inChild([&] {
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            if (nobody == nullptr || ::setgid(nobody->pw_gid) != 0 ||
                ::setuid(nobody->pw_uid) != 0) {
                return 99;
            }
        }
        return write("a", "x", "2") ? 1 : 0;
    });
    ASSERT_NE(result, 99) << "could not drop privileges";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(content(), old);
    EXPECT_EQ(strayFiles(), 0);
    std::filesystem::permissions(folder_.path(), std::filesystem::perms::owner_all);

    // A full disk: the file-size limit stops the new file half-way.
    std::string big = "[a]\r\nx=1\r\n" + std::string(100000, 'z') + "\r\n";
    given(big);
    result = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{50000, 50000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return write("a", "x", "2") ? 1 : 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(content(), big);
    EXPECT_EQ(strayFiles(), 0);

    // A read-only file in a writable folder: replacing it would work, but it is not to be written.
    given(old);
    std::filesystem::permissions(folder_.path() / "config.ini",
                                 std::filesystem::perms::owner_read |
                                     std::filesystem::perms::group_read |
                                     std::filesystem::perms::others_read);
    EXPECT_FALSE(write("a", "x", "2"));
    EXPECT_EQ(content(), old);
    EXPECT_EQ(strayFiles(), 0);
    std::filesystem::permissions(folder_.path() / "config.ini", std::filesystem::perms::owner_all);

    // A folder that is a file, and a config.ini that is a folder.
    EXPECT_FALSE(ProfileStore::write(joinPath(ini_, "config.ini"), "a", "x", "2"));
    TempFolder other;
    std::filesystem::create_directory(other.path() / "config.ini");
    EXPECT_FALSE(ProfileStore::write(joinPath(other.text(), "config.ini"), "a", "x", "2"));
    EXPECT_EQ(ProfileStore::read(joinPath(other.text(), "config.ini"), "a", "x", "d"), "d");
}

// Saves and imports killed at arbitrary moments (-9, nothing runs after it) never leave a torn
// config.ini, and their temporary files do not pile up: all of them use one fixed name, which
// the next write takes over.
TEST_F(ProfileStoreTest, KilledWritesLeaveAWholeFileAndNoPileOfTemporaries) {
    // Big enough that a kill often lands between writing the temporary file and renaming it.
    const std::string padding(256 * 1024, 'p');
    const std::string imported = "[a]\r\nx=imported\r\n[b]\r\ny=" + padding + "\r\n";
    TempFolder elsewhere;
    const Text source = pathText(elsewhere.write("config.ini", imported));
    given("[a]\r\nx=0\r\n[b]\r\ny=" + padding + "\r\n");
    for (int round = 0; round < 40; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            for (int n = 1;; ++n) {
                const bool done = n % 3 == 0 ? copyFileOver(source, ini_)
                                             : write("a", "x", toText(round * 1000 + n));
                const char mark = done ? 'y' : 'n';
                if (::write(ready[1], &mark, 1) != 1) {
                    ::_exit(1);
                }
            }
        }
        ::close(ready[1]);
        // Let a round-dependent number of saves finish, then kill the child inside the next.
        char mark = 0;
        for (int finished = 0; finished <= round % 4; ++finished) {
            ASSERT_EQ(::read(ready[0], &mark, 1), 1);
            ASSERT_EQ(mark, 'y');
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(ready[0]);
        ASSERT_LE(strayFiles(), 1) << "round " << round;
        const Text value = read("a", "x");
        EXPECT_TRUE(value == "imported" || toInteger(value) > 0) << value;
        EXPECT_EQ(read("b", "y").size(), ProfileStore::kMaxValueBytes);
        EXPECT_EQ(content().size() - content().find("\r\n[b]"), 11 + padding.size()) << round;
    }
    // The next write takes the leftover over and renames it away.
    EXPECT_TRUE(write("a", "x", "last"));
    EXPECT_EQ(strayFiles(), 0);
    EXPECT_EQ(read("a", "x"), "last");
}

TEST_F(ProfileStoreTest, GarbageFilesReadWithoutHarm) {
    // 50 MB of pseudo-random bytes (NULs, invalid GBK, stray brackets) with the sought section
    // after them, a line of 1 MB, and names padded with a megabyte of blanks.
    std::string garbage;
    garbage.reserve(52u << 20);
    std::uint64_t state = 88172645463325252u;
    while (garbage.size() < (50u << 20)) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        garbage.append(reinterpret_cast<const char*>(&state), sizeof state);
    }
    garbage += "\n[" + std::string(1 << 20, 'x') + "\n[exam_1]\r\nsubject=ok\r\n" + "[exam_2" +
               std::string(1 << 20, ' ') + "]\r\nstart" + std::string(1 << 20, ' ') + "= 10:30\r\n";
    given(garbage);
    EXPECT_EQ(read("exam_1", "subject"), "ok");
    EXPECT_EQ(read("exam_2", "start"), "10:30");
    EXPECT_EQ(read("exam_3", "start"), "?");
    EXPECT_TRUE(write("exam_2", "start", "11:00"));
    EXPECT_EQ(read("exam_2", "start"), "11:00");
    EXPECT_EQ(content().substr(0, 50u << 20), garbage.substr(0, 50u << 20));

    // A file of NULs only, and one single line of 1 MB.
    given(std::string(1 << 20, '\0'));
    EXPECT_EQ(read("a", "x"), "?");
    given(std::string(1 << 20, '='));
    EXPECT_EQ(read("a", "x"), "?");
    EXPECT_TRUE(write("a", "x", "1"));
    EXPECT_EQ(read("a", "x"), "1");
}

}  // namespace
}  // namespace exambell
