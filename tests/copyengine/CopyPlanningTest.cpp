// What planning decides before anything is written: which names the sources stand for, where each
// copy goes, and what is refused outright.
#include "CopyFixture.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

// An update folder that an earlier, killed copy wrote into carries its temporary files: they are
// no part of the update.
TEST(CopyPlanning, TemporariesOfAKilledRunAreNoPartOfTheUpdate)
{
    TempDir t;
    writeFile(t / "u" / "a.dll", "a");
    writeFile(t / "u" / ".wincompat-copy-99999999-3.part", "half a file");
    writeFile(t / "u" / "sub" / "b.dll", "b");
    writeFile(t / "u" / "sub" / ".wincompat-copy-99999999-4.part", "half another");
    ASSERT_EQ(copyAll(t / "u", t / "p"), 0);
    EXPECT_EQ(readFile(t / "p" / "a.dll"), "a");
    EXPECT_EQ(readFile(t / "p" / "sub" / "b.dll"), "b");
    EXPECT_TRUE(stagingLeftovers(t / "p").empty());
}

TEST(CopyPlanning, ADestinationThatIsAFileIsRefused)
{
    TempDir t;
    writeFile(t / "u" / "a.dll", "a");
    writeFile(t / "p", "a file where the folder should be");
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(readFile(t / "p"), "a file where the folder should be");
}

// A source named through "." or ".." stands for the folder it resolves to, under that folder's name.
TEST(CopyPlanning, DotAndDotDotSourcesNameTheirFolder)
{
    TempDir t;
    writeFile(t / "u" / "a", "a");
    fs::create_directories(t / "u" / "sub");
    ShellRequest r;
    r.from = {(t / "u" / "sub" / "..").string()};
    r.to = {(t / "p").string()};
    ASSERT_EQ(runShell(r), 0);
    EXPECT_EQ(readFile(t / "p" / "u" / "a"), "a");
    EXPECT_EQ(fs::directory_iterator(t / "p")->path().filename(), "u");

    r.from = {(t / "u" / ".").string()};
    r.to = {(t / "q").string()};
    ASSERT_EQ(runShell(r), 0);
    EXPECT_EQ(readFile(t / "q" / "u" / "a"), "a");
}

// Two sources of one name that both meet an installed file each keep a copy of their own.
TEST(CopyPlanning, RenamedCopiesNeverShareAName)
{
    TempDir t;
    writeFile(t / "x" / "a.txt", "from x");
    writeFile(t / "y" / "a.txt", "from y");
    writeFile(t / "p" / "A.TXT", "installed");
    ShellRequest r;
    r.from = {(t / "x" / "a.txt").string(), (t / "y" / "a.txt").string()};
    r.to = {(t / "p").string()};
    r.flags |= FOF_RENAMEONCOLLISION;
    ASSERT_EQ(runShell(r), 0);
    EXPECT_EQ(readFile(t / "p" / "A.TXT"), "installed");
    EXPECT_EQ(readFile(t / "p" / "Copy of a.txt"), "from x");
    EXPECT_EQ(readFile(t / "p" / "Copy (2) of a.txt"), "from y");
}

// The longest full name the system takes is copied; one byte more is refused before anything changes.
TEST(CopyPlanning, AFullNameOneByteTooLongIsRefused)
{
    TempDir t;
    writeFile(t / "u" / "a.dll", "a");
    std::string deep = (t / "p").string();
    while (deep.size() + 101 <= PATH_MAX - 150)
        deep += "/" + std::string(100, 'd');
    fs::create_directories(deep);
    const std::size_t longest = PATH_MAX - 1 - deep.size() - 1;
    ASSERT_LE(longest, static_cast<std::size_t>(NAME_MAX));

    ShellRequest r;
    r.flags |= FOF_MULTIDESTFILES;
    r.from = {(t / "u" / "a.dll").string()};
    r.to = {deep + "/" + std::string(longest + 1, 'n')};
    EXPECT_EQ(runShell(r), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_TRUE(fs::is_empty(deep));
    r.to = {deep + "/" + std::string(longest, 'n')};
    EXPECT_EQ(runShell(r), 0);
    EXPECT_EQ(readFile(deep + "/" + std::string(longest, 'n')), "a");
}

} // namespace
