// Failures of the calls whose work a successful copy promises (syncs, modes, times, renames),
// injected into the engine's own calls on a healthy disk: each one fails the job with the
// system's error, and one that comes before the first rename leaves the program as it was.
#include "CopyFixture.h"

#include "platform/copyprogress.h"
#include "platform/fileop/copy_engine.h"
#include "support/CopyCallsFault.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using wincompat::fileop::CopySystemCalls;
using wincompat::fileop::realCopySystemCalls;

namespace {

// Counts the calls of one kind and fails those from the `failFrom`-th on (1-based) with `err`.
struct Injection {
    static inline std::atomic<int> calls{0};
    static inline int failFrom = 1;
    static inline int err = EIO;
    static bool hit() { return ++calls >= failFrom; }
};

class ScopedCalls {
public:
    explicit ScopedCalls(int failFrom = 1, int err = EIO)
    {
        Injection::calls = 0;
        Injection::failFrom = failFrom;
        Injection::err = err;
    }
    ~ScopedCalls() { fixtures::copyCalls() = realCopySystemCalls(); }
    CopySystemCalls& calls() { return fixtures::copyCalls(); }
};

int failingSyncfs(int fd)
{
    if (Injection::hit()) {
        errno = Injection::err;
        return -1;
    }
    return ::syncfs(fd);
}

int failingFutimens(int fd, const timespec times[2])
{
    if (Injection::hit()) {
        errno = Injection::err;
        return -1;
    }
    return ::futimens(fd, times);
}

int failingFchmodat(int dir, const char* name, mode_t mode, int flags)
{
    if (Injection::hit()) {
        errno = Injection::err;
        return -1;
    }
    return ::fchmodat(dir, name, mode, flags);
}

int failingRenameat(int fromDir, const char* from, int toDir, const char* to)
{
    if (Injection::hit()) {
        errno = Injection::err;
        return -1;
    }
    return ::renameat(fromDir, from, toDir, to);
}

void makeUpdate(const fs::path& u, const fs::path& p)
{
    writeFile(u / "Tallyrune.exe", "new program");
    writeFile(u / "data" / "prices.db", "new prices");
    writeFile(p / "Tallyrune.exe", "old program");
    writeFile(p / "data" / "prices.db", "old prices");
}

void expectOld(const fs::path& p)
{
    EXPECT_EQ(readFile(p / "Tallyrune.exe"), "old program");
    EXPECT_EQ(readFile(p / "data" / "prices.db"), "old prices");
    EXPECT_TRUE(stagingLeftovers(p).empty());
}

TEST(CopyInjectedFaults, SyncBeforeTheRenamesFailsTheJobAndReplacesNothing)
{
    TempDir t;
    makeUpdate(t / "u", t / "p");
    writeFile(t / "u" / "new" / "added.cfg", "x");
    ScopedCalls scope(1);
    scope.calls().syncfs = failingSyncfs;
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_GEN_FAILURE);
    expectOld(t / "p");
    EXPECT_FALSE(fs::exists(t / "p" / "new"));
}

TEST(CopyInjectedFaults, SyncAfterTheRenamesFailsTheJob)
{
    TempDir t;
    makeUpdate(t / "u", t / "p");
    ScopedCalls scope(2, EIO);
    scope.calls().syncfs = failingSyncfs;
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_GEN_FAILURE) << "whether the renames reached the disk is unknown";
    EXPECT_EQ(Injection::calls, 2);
    EXPECT_EQ(readFile(t / "p" / "Tallyrune.exe"), "new program");

    // Unchanged files are part of the job's sync too.
    ScopedCalls again(2, EIO);
    again.calls().syncfs = failingSyncfs;
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_GEN_FAILURE);
}

TEST(CopyInjectedFaults, TimesThatCannotBeSetFailTheJobBeforeAnythingChanges)
{
    TempDir t;
    makeUpdate(t / "u", t / "p");
    ScopedCalls scope(1, EPERM);
    scope.calls().futimens = failingFutimens;
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ACCESS_DENIED);
    expectOld(t / "p");
}

TEST(CopyInjectedFaults, AttributesOfAnUnchangedFileThatCannotBeSetFailTheJob)
{
    TempDir t;
    writeWithTime(t / "u" / "same.dll", "same bytes", 1500000000, 0755);
    writeWithTime(t / "p" / "same.dll", "same bytes", 1000000000, 0644);
    ScopedCalls scope(1, EPERM);
    scope.calls().fchmodat = failingFchmodat;
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Injection::calls, 1);
}

// Files are put in place by several threads: a rename that fails part way through still fails the
// job, stops the others, and leaves every file whole (old or new) with no temporary file behind.
TEST(CopyInjectedFaults, RenameFailingAmongManyFoldersLeavesEveryFileOldOrNew)
{
    TempDir t;
    constexpr int kFolders = 24, kFiles = 300;
    for (int i = 0; i < kFiles; ++i) {
        std::string name = "d" + std::to_string(i % kFolders) + "/f" + std::to_string(i);
        writeFile(t / "u" / name, "new " + std::to_string(i));
        writeFile(t / "p" / name, "old " + std::to_string(i));
    }
    ScopedCalls scope(kFiles / 2, EIO);
    scope.calls().renameat = failingRenameat;
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_GEN_FAILURE);
    int fresh = 0, torn = 0;
    for (int i = 0; i < kFiles; ++i) {
        std::string got = readFile(t / "p" / ("d" + std::to_string(i % kFolders)) / ("f" + std::to_string(i)));
        fresh += got == "new " + std::to_string(i);
        torn += got != "new " + std::to_string(i) && got != "old " + std::to_string(i);
    }
    EXPECT_EQ(torn, 0);
    EXPECT_GE(fresh, kFiles / 2 - 1); // those before the failure are in place
    EXPECT_LT(fresh, kFiles);
    EXPECT_TRUE(stagingLeftovers(t / "p").empty());
}

TEST(CopyInjectedFaults, MoveWhoseRenameFailsKeepsItsSource)
{
    TempDir t;
    writeFile(t / "u" / "a.cfg", "new a");
    writeFile(t / "p" / "a.cfg", "old a"); // taken: the move copies, then places by renaming
    ShellRequest move;
    move.operation = FO_MOVE;
    move.from = {(t / "u" / "*.*").string()};
    move.to = {(t / "p").string()};
    ScopedCalls scope(1, EIO);
    scope.calls().renameat = failingRenameat;
    EXPECT_EQ(runShell(move), ERROR_GEN_FAILURE);
    EXPECT_EQ(readFile(t / "u" / "a.cfg"), "new a");
    EXPECT_EQ(readFile(t / "p" / "a.cfg"), "old a");
    EXPECT_TRUE(stagingLeftovers(t / "p").empty());
}

// Questions, failures and progress come from the planning thread and from every staging thread:
// the callbacks must never run at the same time. Under ThreadSanitizer the plain counters below
// are a data race unless the engine serialises the calls.
TEST(CopyInjectedFaults, EveryCallbackRunsAloneWhileThreadsStage)
{
    TempDir t;
    for (int i = 0; i < 200; ++i) {
        std::string name = "d" + std::to_string(i % 7) + "/f" + std::to_string(i);
        writeFile(t / "u" / name, std::string(i % 3 ? 300 : 150000, 'n'));
        if (i % 5 == 0)
            writeFile(t / "p" / name, "old");
    }
    ScopedCalls scope(1, EPERM);
    scope.calls().futimens = failingFutimens; // every file fails: a question from each thread

    std::atomic<int> inside{0};
    int overlaps = 0, questions = 0, failures = 0, reports = 0; // plain on purpose
    auto enter = [&] {
        if (++inside != 1)
            ++overlaps;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    };
    wincompat::fileop::JobCallbacks callbacks;
    callbacks.confirm = [&](const wincompat::fileop::Question&) {
        enter();
        ++questions;
        --inside;
        return wincompat::fileop::Answer::Yes;
    };
    callbacks.askOnError = [&](const wincompat::fileop::JobFailure& f) {
        enter();
        ++failures;
        EXPECT_EQ(f.code, ERROR_ACCESS_DENIED);
        --inside;
        return wincompat::fileop::ErrorDecision::Skip;
    };
    callbacks.progress = [&](const wincompat::CopyProgress&, const std::string&) {
        enter();
        ++reports;
        --inside;
    };
    wincompat::fileop::FileJob job;
    job.flags = FOF_NOCONFIRMMKDIR; // asks before replacing
    job.sources = {(t / "u" / "*.*").string()};
    job.destinations = {(t / "p").string()};
    std::atomic<bool> cancel{false};
    EXPECT_EQ(wincompat::fileop::executeFileJob(job, callbacks, cancel), ERROR_ACCESS_DENIED);
    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(questions, 40);
    EXPECT_EQ(failures, 207) << "each file, then each folder's times when the job commits";
    EXPECT_GT(reports, 0);
    EXPECT_TRUE(stagingLeftovers(t / "p").empty());
}

} // namespace
