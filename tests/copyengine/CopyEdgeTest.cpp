// The edges an administrator meets: moves that cannot be placed, folder links in the program
// folder, names that differ by letter case, clashes found before anything changes, no window to ask.
#include "CopyFixture.h"
#include "support/Prerequisite.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

// The request as a console tool or a background thread makes it: no window can answer anything.
int runShellWithoutWindow(const ShellRequest& r)
{
    int rc = -1;
    std::thread worker([&] { rc = runShell(r); });
    worker.join();
    return rc;
}

TEST(CopyEdges, MoveWhosePlacingFailsKeepsItsSource)
{
    TempDir t;
    writeFile(t / "u" / "a.cfg", "moved");
    writeFile(t / "u" / "settings", "cannot be placed");
    fs::create_directories(t / "p" / "settings"); // a folder where the file should go
    ShellRequest move;
    move.operation = FO_MOVE;
    move.from = {(t / "u" / "*.*").string()};
    move.to = {(t / "p").string()};
    EXPECT_NE(runShellWithoutWindow(move), 0);
    EXPECT_EQ(readFile(t / "u" / "settings"), "cannot be placed");
    EXPECT_EQ(readFile(t / "u" / "a.cfg"), "moved") << "the job stopped before anything changed";
    EXPECT_FALSE(fs::exists(t / "p" / "a.cfg"));
    EXPECT_TRUE(fs::is_directory(t / "p" / "settings"));
}

// Items whose name is free are moved by renaming them, the others copied: both leave the source.
TEST(CopyEdges, MoveMixesRenamedAndCopiedItems)
{
    TempDir t;
    writeFile(t / "u" / "a.free", "a");
    writeFile(t / "u" / "b.taken", "b");
    writeFile(t / "u" / "c" / "inner", "c");
    writeFile(t / "p" / "B.TAKEN", "old b");
    ShellRequest move;
    move.operation = FO_MOVE;
    move.from = {(t / "u" / "*.*").string()};
    move.to = {(t / "p").string()};
    ASSERT_EQ(runShellWithoutWindow(move), 0);
    EXPECT_EQ(readFile(t / "p" / "a.free"), "a");
    EXPECT_EQ(readFile(t / "p" / "B.TAKEN"), "b");
    EXPECT_EQ(readFile(t / "p" / "c" / "inner"), "c");
    EXPECT_TRUE(fs::is_empty(t / "u"));
}

// The program folder itself may be reached through a link (an administrator's choice).
TEST(CopyEdges, DestinationNamedThroughALinkIsUsed)
{
    TempDir t;
    writeFile(t / "real" / "Tallyrune.exe", "old");
    fs::create_symlink(t / "real", t / "program");
    writeFile(t / "u" / "Tallyrune.exe", "new");
    writeFile(t / "u" / "sub" / "x", "x");
    ASSERT_EQ(copyAll(t / "u", t / "program"), 0);
    EXPECT_EQ(readFile(t / "real" / "Tallyrune.exe"), "new");
    EXPECT_EQ(readFile(t / "real" / "sub" / "x"), "x");
    EXPECT_TRUE(fs::is_symlink(t / "program"));
}

TEST(CopyEdges, FolderLinkInTheProgramFolderIsFollowedAndKept)
{
    TempDir t;
    fs::path data = t / "srv" / "pos-data";
    writeFile(data / "prices.db", "old prices");
    writeFile(data / "till.log", "not in the update");
    fs::create_directories(t / "p");
    fs::create_symlink(data, t / "p" / "data");
    writeFile(t / "u" / "data" / "prices.db", "new prices");
    writeFile(t / "u" / "data" / "sub" / "x", "x");

    ASSERT_EQ(copyAll(t / "u", t / "p"), 0);
    EXPECT_TRUE(fs::is_symlink(t / "p" / "data"));
    EXPECT_EQ(readFile(data / "prices.db"), "new prices");
    EXPECT_EQ(readFile(data / "till.log"), "not in the update");
    EXPECT_EQ(readFile(data / "sub" / "x"), "x");

    // A failing copy leaves the link and what it points to as they were.
    writeFile(t / "u" / "data" / "prices.db", "newer prices");
    ASSERT_EQ(::mkfifo((t / "u" / "data" / "zz.pipe").c_str(), 0644), 0);
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_CANT_ACCESS_FILE);
    EXPECT_TRUE(fs::is_symlink(t / "p" / "data"));
    EXPECT_EQ(readFile(data / "prices.db"), "new prices");
    EXPECT_TRUE(stagingLeftovers(data).empty());
}

// A link that another user placed in the program folder must not send the update elsewhere.
TEST(CopyEdges, FolderLinkOfAnotherUserIsNotFollowed)
{
    REQUIRE_PREREQUISITE(isRoot(), "needs root to own a link as another user");
    TempDir t;
    fs::create_directories(t / "elsewhere");
    fs::create_directories(t / "p");
    fs::create_symlink(t / "elsewhere", t / "p" / "data");
    ASSERT_EQ(::lchown((t / "p" / "data").c_str(), 65534, 65534), 0);
    writeFile(t / "u" / "data" / "x", "x");
    writeFile(t / "u" / "a", "a");
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::is_empty(t / "elsewhere"));
    EXPECT_FALSE(fs::exists(t / "p" / "a"));

    ASSERT_EQ(::lchown((t / "p" / "data").c_str(), 0, 0), 0);
    EXPECT_EQ(copyAll(t / "u", t / "p"), 0);
    EXPECT_EQ(readFile(t / "elsewhere" / "x"), "x");

    // In a folder that user holds, their own link and root's are followed.
    ASSERT_EQ(::chown((t / "p").c_str(), 65534, 65534), 0);
    ASSERT_EQ(::lchown((t / "p" / "data").c_str(), 65534, 65534), 0);
    writeFile(t / "u" / "data" / "x", "by the folder's owner");
    EXPECT_EQ(copyAll(t / "u", t / "p"), 0);
    EXPECT_EQ(readFile(t / "elsewhere" / "x"), "by the folder's owner");
    ASSERT_EQ(::lchown((t / "p" / "data").c_str(), 0, 0), 0);
    writeFile(t / "u" / "data" / "x", "by root");
    EXPECT_EQ(copyAll(t / "u", t / "p"), 0);
    EXPECT_EQ(readFile(t / "elsewhere" / "x"), "by root");
}

// A link is never written through to put a file where a folder is, or a folder where a file is.
TEST(CopyEdges, LinksOfTheOtherKindAreInTheWay)
{
    TempDir t;
    writeFile(t / "p" / "a.dll", "old a");
    writeFile(t / "elsewhere" / "inside", "x");
    writeFile(t / "elsewhere.cfg", "linked file");
    fs::create_symlink(t / "elsewhere", t / "p" / "data");
    fs::create_symlink(t / "elsewhere.cfg", t / "p" / "conf");
    writeFile(t / "u" / "a.dll", "new a");
    writeFile(t / "u" / "data", "a file where a folder link is");
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(fs::is_symlink(t / "p" / "data"));
    EXPECT_EQ(readFile(t / "p" / "a.dll"), "old a");

    fs::remove(t / "u" / "data");
    writeFile(t / "u" / "conf" / "x", "a folder where a file link is");
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(fs::is_symlink(t / "p" / "conf"));
    EXPECT_EQ(readFile(t / "elsewhere.cfg"), "linked file");
    EXPECT_EQ(readFile(t / "p" / "a.dll"), "old a");
}

TEST(CopyEdges, NamesMatchWithoutRegardToCaseAndKeepTheInstalledName)
{
    TempDir t;
    writeFile(t / "p" / "Tallyrune.exe", "old program");
    writeFile(t / "p" / "Data" / "Prices.db", "old prices");
    writeFile(t / "u" / "TALLYRUNE.EXE", "new program");
    writeFile(t / "u" / "DATA" / "prices.DB", "new prices");
    writeFile(t / "u" / "DATA" / "Ünïcode.txt", "new");
    writeFile(t / "p" / "Data" / "üNÏCODE.txt", "old");

    ASSERT_EQ(copyAll(t / "u", t / "p"), 0);
    EXPECT_EQ(readFile(t / "p" / "Tallyrune.exe"), "new program");
    EXPECT_FALSE(fs::exists(t / "p" / "TALLYRUNE.EXE"));
    EXPECT_EQ(readFile(t / "p" / "Data" / "Prices.db"), "new prices");
    EXPECT_EQ(readFile(t / "p" / "Data" / "üNÏCODE.txt"), "new");
    EXPECT_FALSE(fs::exists(t / "p" / "DATA"));
    std::size_t entries = 0;
    for ([[maybe_unused]] auto& e : fs::recursive_directory_iterator(t / "p"))
        ++entries;
    EXPECT_EQ(entries, 4u) << "nothing landed beside the installed files";
}

TEST(CopyEdges, SourceNamesThatDifferOnlyByCaseAreAnErrorBeforeAnythingChanges)
{
    TempDir t;
    writeFile(t / "p" / "a.dll", "old a");
    writeFile(t / "u" / "a.dll", "new a");
    writeFile(t / "u" / "sub" / "Readme.txt", "one");
    writeFile(t / "u" / "sub" / "README.TXT", "two");
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(readFile(t / "p" / "a.dll"), "old a");
    EXPECT_FALSE(fs::exists(t / "p" / "sub"));
}

// A file against a folder, or a name the file system cannot hold: found while planning, so the
// files that would have been renamed before the clash stay old.
TEST(CopyEdges, ClashesKnownBeforeTheFirstRenameChangeNothing)
{
    TempDir t;
    writeFile(t / "p" / "a.dll", "old a");
    writeFile(t / "p" / "z.dll" / "inside", "a folder in the way");
    writeFile(t / "u" / "a.dll", "new a");
    writeFile(t / "u" / "z.dll", "new z");
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(readFile(t / "p" / "a.dll"), "old a");
    EXPECT_EQ(readFile(t / "p" / "z.dll" / "inside"), "a folder in the way");

    // A folder against a file.
    fs::remove_all(t / "p" / "z.dll");
    fs::remove(t / "u" / "z.dll");
    writeFile(t / "p" / "zz", "a file in the way");
    writeFile(t / "u" / "zz" / "inner", "x");
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(readFile(t / "p" / "a.dll"), "old a");
    EXPECT_EQ(readFile(t / "p" / "zz"), "a file in the way");

    // A target name one byte too long for the file system (the longest one is fine).
    fs::remove_all(t / "u" / "zz");
    ShellRequest pairs;
    pairs.flags |= FOF_MULTIDESTFILES;
    pairs.from = {(t / "u" / "a.dll").string(), (t / "u" / "a.dll").string()};
    pairs.to = {(t / "p" / std::string(255, 'n')).string(), (t / "p" / std::string(256, 'n')).string()};
    EXPECT_EQ(runShell(pairs), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_FALSE(fs::exists(t / "p" / std::string(255, 'n')));
    pairs.from.pop_back();
    pairs.to.pop_back();
    EXPECT_EQ(runShell(pairs), 0);
    EXPECT_EQ(readFile(t / "p" / std::string(255, 'n')), "new a");
    EXPECT_TRUE(stagingLeftovers(t / "p").empty());
}

TEST(CopyEdges, WithoutAWindowEveryConfirmationIsAnsweredNo)
{
    TempDir t;
    writeFile(t / "p" / "keep.db", "kept");
    ShellRequest del;
    del.operation = FO_DELETE;
    del.from = {(t / "p" / "keep.db").string()};
    del.flags = FOF_NOERRORUI; // asks before deleting
    EXPECT_EQ(runShellWithoutWindow(del), ERROR_CANCELLED);
    EXPECT_EQ(readFile(t / "p" / "keep.db"), "kept");

    writeFile(t / "u" / "keep.db", "replacement");
    writeFile(t / "u" / "new.db", "added");
    ShellRequest copy;
    copy.from = {(t / "u" / "*.*").string()};
    copy.to = {(t / "p").string()};
    copy.flags = FOF_NOCONFIRMMKDIR | FOF_NOERRORUI; // asks before replacing
    EXPECT_EQ(runShellWithoutWindow(copy), 0);
    EXPECT_EQ(readFile(t / "p" / "keep.db"), "kept");
    EXPECT_EQ(readFile(t / "p" / "new.db"), "added");

    copy.to = {(t / "missing").string()};
    copy.flags = FOF_NOCONFIRMATION | FOF_NOERRORUI; // asks before creating the folder
    EXPECT_EQ(runShellWithoutWindow(copy), ERROR_CANCELLED);
    EXPECT_FALSE(fs::exists(t / "missing"));

    // A move keeps each source whose replacement was answered No: it went nowhere.
    writeFile(t / "u" / "more.db", "moved");
    ShellRequest move = copy;
    move.operation = FO_MOVE;
    move.to = {(t / "p").string()};
    move.flags = FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    EXPECT_EQ(runShellWithoutWindow(move), 0);
    EXPECT_EQ(readFile(t / "p" / "keep.db"), "kept");
    EXPECT_EQ(readFile(t / "u" / "keep.db"), "replacement");
    EXPECT_EQ(readFile(t / "u" / "new.db"), "added");
    EXPECT_EQ(readFile(t / "p" / "more.db"), "moved");
    EXPECT_FALSE(fs::exists(t / "u" / "more.db"));
}

} // namespace
