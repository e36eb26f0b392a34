// Files of the update that are already installed byte for byte are left alone: not rewritten,
// only given the update's mode and times, and counted apart from the files copied.
#include "CopyFixture.h"

#include "platform/copyprogress.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

constexpr time_t kOld = 1000000000, kNew = 1500000000;

class Totals : public wincompat::CopyProgressSink {
public:
    Totals() { previous_ = wincompat::setCopyProgressSink(this); }
    ~Totals() override { wincompat::setCopyProgressSink(previous_); }
    void progressed(const wincompat::CopyProgress&, const char*) override {}
    void finished(const wincompat::CopyProgress& p, DWORD) override { last = p; }
    wincompat::CopyProgress last;

private:
    wincompat::CopyProgressSink* previous_;
};

TEST(CopyUnchanged, SameContentsAreLeftInPlaceWithTheUpdatesModeAndTimes)
{
    TempDir t;
    const std::string big = patterned(3u << 20, 'S'); // more than one piece of the comparison
    writeWithTime(t / "u" / "same.bin", big, kNew, 0755);
    writeWithTime(t / "p" / "same.bin", big, kOld, 0644);
    std::string lastByte = big;
    lastByte.back() = 'x';
    std::string firstByte = big;
    firstByte.front() = 'x';
    writeWithTime(t / "u" / "last.bin", lastByte, kNew);
    writeWithTime(t / "p" / "last.bin", big, kOld);
    writeWithTime(t / "u" / "first.bin", firstByte, kNew);
    writeWithTime(t / "p" / "first.bin", big, kOld);
    writeWithTime(t / "u" / "small.cfg", "abc", kNew);
    writeWithTime(t / "p" / "small.cfg", "abd", kOld);
    writeWithTime(t / "u" / "empty", "", kNew);
    writeWithTime(t / "p" / "empty", "", kOld);
    writeWithTime(t / "u" / "longer.cfg", "abc", kNew);
    writeWithTime(t / "p" / "longer.cfg", "abcd", kOld);
    fs::create_symlink("same.bin", t / "u" / "link");
    fs::create_symlink("same.bin", t / "p" / "link");
    const ino_t sameInode = lstatOf(t / "p" / "same.bin").st_ino, emptyInode = lstatOf(t / "p" / "empty").st_ino;
    const ino_t linkInode = lstatOf(t / "p" / "link").st_ino;

    Totals totals;
    ASSERT_EQ(copyAll(t / "u", t / "p"), 0);

    EXPECT_EQ(lstatOf(t / "p" / "same.bin").st_ino, sameInode) << "rewritten although unchanged";
    EXPECT_EQ(lstatOf(t / "p" / "empty").st_ino, emptyInode);
    EXPECT_EQ(lstatOf(t / "p" / "link").st_ino, linkInode);
    for (const char* name : {"same.bin", "empty"}) {
        struct stat st = lstatOf(t / "p" / name);
        EXPECT_EQ(st.st_mtim.tv_sec, kNew) << name;
        EXPECT_EQ(st.st_mtim.tv_nsec, 123456789) << name;
    }
    EXPECT_EQ(lstatOf(t / "p" / "same.bin").st_mode & 07777, 0755u);
    EXPECT_EQ(readFile(t / "p" / "last.bin"), lastByte);
    EXPECT_EQ(readFile(t / "p" / "first.bin"), firstByte);
    EXPECT_EQ(readFile(t / "p" / "small.cfg"), "abc");
    EXPECT_EQ(readFile(t / "p" / "longer.cfg"), "abc");
    EXPECT_EQ(totals.last.filesUnchanged, 3u);
    EXPECT_EQ(totals.last.filesCopied, 4u);
    EXPECT_EQ(totals.last.bytesDone, totals.last.bytesTotal) << "unchanged files move the progress too";
    EXPECT_TRUE(stagingLeftovers(t / "p").empty());
}

TEST(CopyUnchanged, TheSameUpdateTwiceRewritesNothing)
{
    TempDir t;
    for (int i = 0; i < 40; ++i)
        writeWithTime(t / "u" / ("d" + std::to_string(i % 4)) / ("f" + std::to_string(i)), patterned(5000 * i, 'a'),
                      kNew);
    ASSERT_EQ(copyAll(t / "u", t / "p"), 0);
    std::vector<ino_t> inodes;
    for (int i = 0; i < 40; ++i)
        inodes.push_back(lstatOf(t / "p" / ("d" + std::to_string(i % 4)) / ("f" + std::to_string(i))).st_ino);
    Totals totals;
    ASSERT_EQ(copyAll(t / "u", t / "p"), 0);
    EXPECT_EQ(totals.last.filesUnchanged, 40u);
    EXPECT_EQ(totals.last.filesCopied, 0u);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(lstatOf(t / "p" / ("d" + std::to_string(i % 4)) / ("f" + std::to_string(i))).st_ino, inodes[i]);
}

// A collision-renamed copy never counts as the same file: "keep both" means a second file.
TEST(CopyUnchanged, RenameOnCollisionStillCopies)
{
    TempDir t;
    writeFile(t / "u" / "a.txt", "same");
    writeFile(t / "p" / "a.txt", "same");
    ASSERT_EQ(copyAll(t / "u", t / "p", FOF_RENAMEONCOLLISION), 0);
    EXPECT_EQ(readFile(t / "p" / "Copy of a.txt"), "same");
}

} // namespace
