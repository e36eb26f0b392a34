// What a copy does with real files: the update's request and the other operations and flags.
#include "CopyFixture.h"

#include "platform/fileop/phases/wildcard.h"
#include "platform/system.h"
#include "shell/TabfFileOperation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using wincompat::fileop::matchesWildcard;

namespace {
constexpr time_t kOld = 1000000000;    // 2001
constexpr time_t kSource = 1500000000; // 2017

TEST(CopySemantics, UpdateOverwritesRecursivelyAndKeepsTimesAndModes)
{
    TempDir t;
    fs::path src = t / "update", dst = t / "program";
    writeWithTime(src / "Tallyrune.exe", "new program", kSource, 0755);
    writeWithTime(src / "readme", "no extension", kSource, 0444);
    writeWithTime(src / "data" / "prices.db", "new prices", kSource, 0600);
    writeWithTime(src / "data" / "deep" / "x.cfg", "deep", kSource);
    writeWithTime(src / ".hidden", "dot file", kSource);
    writeFile(src / "empty", "");
    ::chmod((src / "data").c_str(), 0750);
    writeWithTime(dst / "Tallyrune.exe", "old program that was longer", kOld, 0755);
    writeWithTime(dst / "readme", "old readme", kOld, 0444); // read-only targets are replaced all the same
    writeWithTime(dst / "data" / "prices.db", "old", kOld);
    writeWithTime(dst / "keep.log", "not in the update", kOld);

    ASSERT_EQ(copyAll(src, dst), 0);

    EXPECT_EQ(readFile(dst / "Tallyrune.exe"), "new program");
    EXPECT_EQ(readFile(dst / "readme"), "no extension");
    EXPECT_EQ(readFile(dst / "data" / "prices.db"), "new prices");
    EXPECT_EQ(readFile(dst / "data" / "deep" / "x.cfg"), "deep");
    EXPECT_EQ(readFile(dst / ".hidden"), "dot file");
    EXPECT_TRUE(fs::is_regular_file(dst / "empty"));
    EXPECT_EQ(readFile(dst / "keep.log"), "not in the update");
    for (const char* name : {"Tallyrune.exe", "readme", "data/prices.db", "data/deep/x.cfg"}) {
        struct stat s = lstatOf(src / name), d = lstatOf(dst / name);
        EXPECT_EQ(d.st_mode, s.st_mode) << name;
        EXPECT_EQ(d.st_mtim.tv_sec, kSource) << name;
        EXPECT_EQ(d.st_mtim.tv_nsec, 123456789) << name;
    }
    EXPECT_EQ(lstatOf(dst / "data").st_mode & 07777, 0750u);
    EXPECT_EQ(lstatOf(dst / "data").st_mtim.tv_sec, lstatOf(src / "data").st_mtim.tv_sec);
    EXPECT_TRUE(stagingLeftovers(t.path()).empty());
}

// The work is split into tasks by folder, by count and by size: every file arrives whole at its
// own name, also in a folder too full for one task and with large files among the small ones.
TEST(CopySemantics, EveryFileArrivesWhateverTaskItFallsIn)
{
    TempDir t;
    fs::path src = t / "update", dst = t / "program";
    constexpr int kSmall = 2048 + 1; // one more than a task takes
    for (int i = 0; i < kSmall; ++i)
        writeFile(src / "full" / ("f" + std::to_string(i)), "file " + std::to_string(i));
    const std::size_t sizes[] = {(4u << 20) - 1, 4u << 20, (4u << 20) + 1};
    for (std::size_t i = 0; i < 3; ++i) {
        writeFile(src / "full" / ("big" + std::to_string(i)), patterned(sizes[i], static_cast<char>('a' + i)));
        writeFile(src / "other" / ("big" + std::to_string(i)), patterned(sizes[i], static_cast<char>('x' + i)));
        writeFile(dst / "other" / ("big" + std::to_string(i)), patterned(sizes[i], 'o'));
    }
    writeFile(src / "other" / "small", "small");

    ASSERT_EQ(copyAll(src, dst), 0);

    int wrong = 0;
    for (int i = 0; i < kSmall; ++i)
        wrong += readFile(dst / "full" / ("f" + std::to_string(i))) != "file " + std::to_string(i);
    EXPECT_EQ(wrong, 0);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(readFile(dst / "full" / ("big" + std::to_string(i))),
                  patterned(sizes[i], static_cast<char>('a' + i)));
        EXPECT_EQ(readFile(dst / "other" / ("big" + std::to_string(i))),
                  patterned(sizes[i], static_cast<char>('x' + i)));
    }
    EXPECT_EQ(readFile(dst / "other" / "small"), "small");
    EXPECT_EQ(std::distance(fs::directory_iterator(dst / "full"), fs::directory_iterator{}), kSmall + 3);
    EXPECT_TRUE(stagingLeftovers(t.path()).empty());
}

TEST(CopySemantics, MissingDestinationFoldersAreCreated)
{
    TempDir t;
    writeFile(t / "u" / "a.txt", "a");
    ASSERT_EQ(copyAll(t / "u", t / "not" / "yet" / "there"), 0);
    EXPECT_EQ(readFile(t / "not" / "yet" / "there" / "a.txt"), "a");
}

TEST(CopySemantics, LinksAreCopiedAsLinksFileLinksReplacedAndFolderLinksFollowed)
{
    TempDir t;
    fs::path src = t / "u", dst = t / "p", outside = t / "outside";
    writeFile(outside / "victim", "must stay");
    writeFile(outside / "dir" / "inner", "must stay too");
    writeFile(src / "f", "regular in the update");
    writeFile(src / "sub" / "g", "inside a folder");
    fs::create_symlink("/etc/passwd", src / "abs");
    fs::create_symlink("../f", src / "sub" / "rel");
    fs::create_directories(dst);
    fs::create_symlink(outside / "victim", dst / "f");
    fs::create_symlink(outside / "dir", dst / "sub");

    ASSERT_EQ(copyAll(src, dst), 0);

    EXPECT_TRUE(fs::is_symlink(dst / "abs"));
    EXPECT_EQ(fs::read_symlink(dst / "abs"), "/etc/passwd");
    EXPECT_EQ(fs::read_symlink(dst / "sub" / "rel"), "../f");
    EXPECT_FALSE(fs::is_symlink(dst / "f"));
    EXPECT_EQ(readFile(dst / "f"), "regular in the update");
    EXPECT_EQ(readFile(outside / "victim"), "must stay");
    // A folder link is followed as a junction is, and stays.
    EXPECT_TRUE(fs::is_symlink(dst / "sub"));
    EXPECT_EQ(readFile(outside / "dir" / "g"), "inside a folder");
    EXPECT_EQ(readFile(outside / "dir" / "inner"), "must stay too");
}

TEST(CopySemantics, WildcardsHaveWindowsMeaning)
{
    struct Row {
        const char* pattern;
        const char* name;
        bool match;
    } rows[] = {
        {"*.*", "noext", true},     {"*.*", ".hidden", true},           {"*", "a.b.c", true},
        {"*.txt", "A.TXT", true},   {"*.txt", "a.txt.bak", false},      {"a?.txt", "ab.txt", true},
        {"a?.txt", "a.txt", true},  {"a?.txt", "abc.txt", false},       {"foo.*", "foo", true},
        {"foo.*", "foo.bar", true}, {"foo.*", "foobar", false},         {"*.", "noext", true},
        {"*.", "has.ext", false},   {"T*e.exe", "Tallyrune.exe", true}, {"*a*b*", "xxaxxbxx", true},
        {"*a*b", "xxaxxbx", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(matchesWildcard(r.pattern, r.name), r.match) << r.pattern << " vs " << r.name;

    TempDir t;
    writeFile(t / "u" / "a.TXT", "1");
    writeFile(t / "u" / "b.dat", "2");
    writeFile(t / "u" / "sub.txt" / "c", "3");
    ShellRequest r;
    r.from = {(t / "u" / "*.txt").string()};
    r.to = {(t / "p").string()};
    r.flags |= FOF_FILESONLY; // the folder "sub.txt" matches the pattern but is not a file
    ASSERT_EQ(runShell(r), 0);
    EXPECT_TRUE(fs::exists(t / "p" / "a.TXT"));
    EXPECT_FALSE(fs::exists(t / "p" / "b.dat"));
    EXPECT_FALSE(fs::exists(t / "p" / "sub.txt"));
    r.flags &= static_cast<FILEOP_FLAGS>(~FOF_FILESONLY);
    ASSERT_EQ(runShell(r), 0);
    EXPECT_EQ(readFile(t / "p" / "sub.txt" / "c"), "3");
}

TEST(CopySemantics, PairModeCopiesEachSourceToItsOwnTarget)
{
    TempDir t;
    writeFile(t / "u" / "a.txt", "a");
    writeFile(t / "u" / "b.txt", "b");
    writeFile(t / "u" / "dir" / "c", "c");
    ShellRequest r;
    r.from = {(t / "u" / "a.txt").string(), (t / "u" / "b.txt").string(), (t / "u" / "dir").string()};
    r.to = {(t / "p" / "one" / "a.bak").string(), (t / "p" / "b.txt").string(), (t / "p" / "renamed").string()};
    r.flags |= FOF_MULTIDESTFILES;
    ASSERT_EQ(runShell(r), 0);
    EXPECT_EQ(readFile(t / "p" / "one" / "a.bak"), "a");
    EXPECT_EQ(readFile(t / "p" / "b.txt"), "b");
    EXPECT_EQ(readFile(t / "p" / "renamed" / "c"), "c");

    // One target too few would pair later sources with the wrong targets: nothing is done.
    r.to.pop_back();
    fs::remove_all(t / "p");
    EXPECT_EQ(runShell(r), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(fs::exists(t / "p"));
}

TEST(CopySemantics, NothingToDoAndMissingSources)
{
    TempDir t;
    fs::create_directories(t / "empty");
    writeFile(t / "p" / "old", "old");
    ShellRequest r;
    r.to = {(t / "p").string()};
    EXPECT_EQ(runShell(r), 0) << "an empty source list is nothing to do";

    r.from = {(t / "empty" / "*.*").string()};
    EXPECT_EQ(runShell(r), 0) << "a pattern matching nothing in an existing folder, as on Windows";

    r.from = {(t / "missing" / "*.*").string()};
    EXPECT_EQ(runShell(r), ERROR_PATH_NOT_FOUND);
    r.from = {(t / "missing.txt").string()};
    EXPECT_EQ(runShell(r), ERROR_FILE_NOT_FOUND);

    writeFile(t / "u" / "a", "new");
    r.from = {(t / "u" / "a").string()};
    r.to = {""};
    EXPECT_EQ(runShell(r), ERROR_INVALID_PARAMETER) << "no destination must not mean the current folder";
    EXPECT_EQ(readFile(t / "p" / "old"), "old");
    EXPECT_EQ(fs::directory_iterator(t / "p")->path().filename(), "old");
}

TEST(CopySemantics, FolderIntoItselfIsRefusedNotLooped)
{
    TempDir t;
    writeFile(t / "u" / "a", "a");
    ShellRequest r;
    r.from = {(t / "u").string()};
    r.to = {(t / "u" / "inner").string()};
    EXPECT_EQ(runShell(r), ERROR_BAD_PATHNAME);
    EXPECT_FALSE(fs::exists(t / "u" / "inner"));

    r.from = {(t / "u" / "*.*").string()};
    r.to = {(t / "u").string()};
    EXPECT_EQ(runShell(r), ERROR_FILE_EXISTS) << "a file onto itself";
    EXPECT_EQ(readFile(t / "u" / "a"), "a");
}

TEST(CopySemantics, RenameOnCollisionKeepsBoth)
{
    TempDir t;
    writeFile(t / "u" / "a.txt", "new");
    writeFile(t / "p" / "a.txt", "old");
    writeFile(t / "p" / "Copy of a.txt", "older copy");
    ASSERT_EQ(copyAll(t / "u", t / "p", FOF_RENAMEONCOLLISION), 0);
    EXPECT_EQ(readFile(t / "p" / "a.txt"), "old");
    EXPECT_EQ(readFile(t / "p" / "Copy of a.txt"), "older copy");
    EXPECT_EQ(readFile(t / "p" / "Copy (2) of a.txt"), "new");
}

// A rename onto a taken name picks its new name as a copy does, also against names differing in case.
TEST(CopySemantics, RenameOnCollisionNamesItAsACopy)
{
    TempDir t;
    writeFile(t / "p" / "a.txt", "renamed");
    writeFile(t / "p" / "b.txt", "b");
    writeFile(t / "p" / "COPY OF b.txt", "copy");
    ShellRequest rename;
    rename.operation = FO_RENAME;
    rename.from = {(t / "p" / "a.txt").string()};
    rename.to = {"b.txt"};
    rename.flags |= FOF_RENAMEONCOLLISION;
    ASSERT_EQ(runShell(rename), 0);
    EXPECT_EQ(readFile(t / "p" / "Copy (2) of b.txt"), "renamed");
    EXPECT_EQ(readFile(t / "p" / "b.txt"), "b");
    EXPECT_EQ(readFile(t / "p" / "COPY OF b.txt"), "copy");
    EXPECT_FALSE(fs::exists(t / "p" / "a.txt"));
}

TEST(CopySemantics, MoveDeleteAndRename)
{
    TempDir t;
    writeFile(t / "u" / "a", "a");
    writeFile(t / "u" / "d" / "b", "b");
    writeFile(t / "p" / "d" / "old", "merged into");
    ShellRequest move;
    move.operation = FO_MOVE;
    move.from = {(t / "u" / "*.*").string()};
    move.to = {(t / "p").string()};
    ASSERT_EQ(runShell(move), 0);
    EXPECT_EQ(readFile(t / "p" / "a"), "a");
    EXPECT_EQ(readFile(t / "p" / "d" / "b"), "b");
    EXPECT_EQ(readFile(t / "p" / "d" / "old"), "merged into");
    EXPECT_TRUE(fs::is_empty(t / "u"));

    ShellRequest rename;
    rename.operation = FO_RENAME;
    rename.from = {(t / "p" / "a").string()};
    rename.to = {"z"};
    ASSERT_EQ(runShell(rename), 0);
    EXPECT_EQ(readFile(t / "p" / "z"), "a");
    rename.from = {(t / "p" / "z").string()};
    rename.to = {(t / "p" / "d").string()};
    EXPECT_EQ(runShell(rename), ERROR_ALREADY_EXISTS) << "a rename never replaces";

    fs::create_symlink(t / "p" / "d", t / "p" / "link");
    ShellRequest del;
    del.operation = FO_DELETE;
    del.from = {(t / "p" / "link").string(), (t / "p" / "z").string()};
    ASSERT_EQ(runShell(del), 0);
    EXPECT_FALSE(fs::exists(t / "p" / "z"));
    EXPECT_FALSE(fs::is_symlink(t / "p" / "link"));
    EXPECT_EQ(readFile(t / "p" / "d" / "b"), "b") << "deleting a link leaves what it points to";
}

TEST(CopySemantics, EveryReturnedCodeHasASystemText)
{
    for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_FILE_EXISTS,
                       ERROR_INVALID_PARAMETER, ERROR_DISK_FULL, ERROR_BAD_PATHNAME, ERROR_CANCELLED,
                       ERROR_CANT_ACCESS_FILE, ERROR_ALREADY_EXISTS, ERROR_GEN_FAILURE, ERROR_DIRECTORY,
                       ERROR_DISK_QUOTA_EXCEEDED, ERROR_TOO_MANY_OPEN_FILES, ERROR_FILENAME_EXCED_RANGE}) {
        char text[1024] = {};
        EXPECT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, text, sizeof text, nullptr), 0u) << code;
    }
}

// The component over the real operation: true only for a complete copy, the error event otherwise.
TEST(CopySemantics, ComponentReportsTheOutcome)
{
    TempDir t;
    writeFile(t / "u" / "a", "a");
    TabfFileOperation job(nullptr);
    job.FileList().Add((t / "u" / "*.*").string());
    job.SetDestFolder((t / "p").string());
    job.SetOptions({fofNoConfirmation, fofNoConfirmMkDir, fofSimpleProgress, fofNoErrorUI});
    std::string error;
    job.SetOnError([&](TabfFileOperation*, const std::string& s, bool&) { error = s; });
    EXPECT_TRUE(job.Copy());
    EXPECT_EQ(readFile(t / "p" / "a"), "a");
    EXPECT_TRUE(error.empty());

    job.FileList().Clear();
    job.FileList().Add((t / "nowhere" / "*.*").string());
    EXPECT_FALSE(job.Copy());
    EXPECT_EQ(error, "The system cannot find the path specified.\r\n");
}
} // namespace
