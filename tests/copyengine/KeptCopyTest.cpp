// The kept copy an update runs: whatever fails, and wherever the process is killed, the program
// folder ends wholly old (byte for byte, mode for mode, time for time) or wholly new; and the last
// completed copy can be taken back.
#include "CopyFixture.h"

#include "platform/keptcopy.h"
#include "support/CopyCallsFault.h"
#include "support/Prerequisite.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

using wincompat::KeptCopyOutcome;
using wincompat::fileop::realCopySystemCalls;

namespace {

// The n-th call (1-based) of the one kind under test fails with `err`, or kills the process.
struct Fault {
    static inline std::atomic<int> calls{0};
    static inline int at = 1;
    static inline int err = EIO;
    static inline bool kill = false;
    static bool hit()
    {
        if (++calls != at)
            return false;
        if (kill)
            ::raise(SIGKILL);
        errno = err;
        return true;
    }
};

int syncfsFault(int fd) { return Fault::hit() ? -1 : ::syncfs(fd); }
int futimensFault(int fd, const timespec t[2]) { return Fault::hit() ? -1 : ::futimens(fd, t); }
int fchmodatFault(int d, const char* n, mode_t m, int f) { return Fault::hit() ? -1 : ::fchmodat(d, n, m, f); }
int renameatFault(int a, const char* f, int b, const char* t) { return Fault::hit() ? -1 : ::renameat(a, f, b, t); }
int linkatFault(int a, const char* f, int b, const char* t, int fl)
{
    return Fault::hit() ? -1 : ::linkat(a, f, b, t, fl);
}

enum class Call { Syncfs, Futimens, Fchmodat, Renameat, Linkat };

struct ScopedFault {
    ScopedFault(Call call, int at, bool kill = false, int err = EIO)
    {
        Fault::calls = 0;
        Fault::at = at;
        Fault::err = err;
        Fault::kill = kill;
        auto& c = fixtures::copyCalls();
        switch (call) {
        case Call::Syncfs: c.syncfs = syncfsFault; break;
        case Call::Futimens: c.futimens = futimensFault; break;
        case Call::Fchmodat: c.fchmodat = fchmodatFault; break;
        case Call::Renameat: c.renameat = renameatFault; break;
        case Call::Linkat: c.linkat = linkatFault; break;
        }
    }
    ~ScopedFault() { fixtures::copyCalls() = realCopySystemCalls(); }
};

int runKept(const fs::path& from, const fs::path& dest, KeptCopyOutcome* outcome = nullptr)
{
    const std::string source = (from / "*.*").string() + std::string(2, '\0');
    const std::string target = dest.string() + std::string(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_COPY;
    op.pFrom = source.c_str();
    op.pTo = target.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS;
    return wincompat::SHFileOperationKeepingA(&op, (dest / ".keep").string(), outcome);
}

// Everything a user could tell apart: kind, mode, size, contents or link target, modification time.
std::map<std::string, std::string> snapshot(const fs::path& root)
{
    std::map<std::string, std::string> out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const struct stat st = lstatOf(it->path());
        std::string what = std::to_string(st.st_mode) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                           std::to_string(st.st_mtim.tv_nsec) + " ";
        if (S_ISREG(st.st_mode))
            what += readFile(it->path());
        else if (S_ISLNK(st.st_mode))
            what += fs::read_symlink(it->path()).string();
        out[fs::relative(it->path(), root).string()] = what;
    }
    const struct stat st = lstatOf(root);
    out["."] = std::to_string(st.st_mode) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
               std::to_string(st.st_mtim.tv_nsec);
    return out;
}

// An installed program and its update: files replaced, added (also in a new folder), one the same
// already but with another mode, a link replaced, and shop data the update never touches.
void makeInstall(const fs::path& u, const fs::path& p, int libraries = 6)
{
    writeWithTime(p / "Tallyrune.exe", "old program", 1000000000);
    writeWithTime(u / "Tallyrune.exe", "new program", 1500000000, 0755);
    for (int i = 0; i < libraries; ++i) {
        writeWithTime(p / "lib" / ("m" + std::to_string(i) + ".so"), "old " + std::to_string(i), 1000000000);
        writeWithTime(u / "lib" / ("m" + std::to_string(i) + ".so"), "new " + std::to_string(i), 1500000000);
    }
    writeWithTime(u / "lib" / "added.so", "added", 1500000000);
    writeWithTime(u / "plugins" / "extra.dll", "extra", 1500000000);
    writeWithTime(p / "same.cfg", "same bytes", 1000000000, 0644);
    writeWithTime(u / "same.cfg", "same bytes", 1500000000, 0600);
    fs::create_symlink("lib/m0.so", p / "current.so");
    fs::create_symlink("lib/m1.so", u / "current.so");
    writeWithTime(p / "shop.db", "the shop's own", 1200000000);
    timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, (p / "lib").c_str(), old, 0);
    ::utimensat(AT_FDCWD, p.c_str(), old, 0);
}

void expectNew(const fs::path& u, const fs::path& p)
{
    EXPECT_EQ(readFile(p / "Tallyrune.exe"), "new program");
    EXPECT_EQ(readFile(p / "lib" / "m3.so"), "new 3");
    EXPECT_EQ(readFile(p / "plugins" / "extra.dll"), "extra");
    EXPECT_EQ(fs::read_symlink(p / "current.so"), "lib/m1.so");
    EXPECT_EQ(lstatOf(p / "same.cfg").st_mode & 07777, 0600u);
    EXPECT_EQ(readFile(p / "shop.db"), "the shop's own");
    EXPECT_TRUE(stagingLeftovers(p).empty());
    for (const auto& e : fs::recursive_directory_iterator(p))
        EXPECT_NE(e.path().filename().string().rfind(".wincompat-", 0), 0u) << e.path() << " lies about";
    (void)u;
}

struct FaultCase {
    const char* phase;
    Call call;
    int at;
    DWORD code;
};

} // namespace

TEST(KeptCopy, EveryFailureLeavesTheFolderExactlyAsItWas)
{
    // The calls in the order a copy makes them: staging sets each file's times, the data is synced,
    // each replaced file is linked to its kept name then renamed over, unchanged files and folders
    // take their attributes, and everything is synced again.
    const FaultCase cases[] = {
        {"staging a file's times", Call::Futimens, 3, ERROR_GEN_FAILURE},
        {"the first sync", Call::Syncfs, 1, ERROR_GEN_FAILURE},
        {"keeping the first replaced file", Call::Linkat, 1, ERROR_GEN_FAILURE},
        {"keeping a later replaced file", Call::Linkat, 4, ERROR_GEN_FAILURE},
        {"the first rename", Call::Renameat, 1, ERROR_GEN_FAILURE},
        {"a middle rename", Call::Renameat, 4, ERROR_GEN_FAILURE},
        {"the last rename", Call::Renameat, 8, ERROR_GEN_FAILURE},
        {"an unchanged file's mode", Call::Fchmodat, 1, ERROR_ACCESS_DENIED},
        {"the last sync", Call::Syncfs, 2, ERROR_GEN_FAILURE},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.phase);
        TempDir t;
        makeInstall(t / "u", t / "p");
        const auto before = snapshot(t / "p");
        KeptCopyOutcome outcome;
        {
            ScopedFault fault(c.call, c.at, false, c.code == ERROR_ACCESS_DENIED ? EPERM : EIO);
            EXPECT_EQ(runKept(t / "u", t / "p", &outcome), static_cast<int>(c.code));
        }
        EXPECT_EQ(snapshot(t / "p"), before);
        EXPECT_EQ(outcome.replaced + outcome.added, 0u);
        EXPECT_FALSE(outcome.failedPath.empty());
        EXPECT_FALSE(wincompat::hasKeptCopy((t / "p" / ".keep").string()));
    }
}

TEST(KeptCopy, AnUnreadableUpdateFileStopsItWithTheFileNamed)
{
    TempDir t;
    makeInstall(t / "u", t / "p");
    ASSERT_EQ(::mkfifo((t / "u" / "lib" / "pipe.so").c_str(), 0644), 0);
    const auto before = snapshot(t / "p");
    KeptCopyOutcome outcome;
    EXPECT_EQ(runKept(t / "u", t / "p", &outcome), ERROR_CANT_ACCESS_FILE);
    EXPECT_EQ(snapshot(t / "p"), before);
    EXPECT_EQ(outcome.failedPath, (t / "u" / "lib" / "pipe.so").string());
    EXPECT_EQ(outcome.failed, 1u);
}

TEST(KeptCopy, CompletedCopyCountsWhatItDidAndIsTakenBackExactly)
{
    TempDir t;
    makeInstall(t / "u", t / "p");
    const std::string root = (t / "p" / ".keep").string();
    const auto before = snapshot(t / "p");
    KeptCopyOutcome outcome;
    ASSERT_EQ(runKept(t / "u", t / "p", &outcome), 0);
    // Tallyrune.exe, six libraries and the link replaced; two files added; one the same already.
    EXPECT_EQ(outcome.replaced, 8u);
    EXPECT_EQ(outcome.added, 2u);
    EXPECT_EQ(outcome.unchanged, 1u);
    ASSERT_EQ(wincompat::completeKeptCopy(root), 0u);
    expectNew(t / "u", t / "p");
    writeFile(t / "p" / "shop.db", "written after the update");

    KeptCopyOutcome back;
    ASSERT_EQ(wincompat::rollBackKeptCopy(root, false, back), 0u);
    EXPECT_EQ(back.replaced, 8u);
    EXPECT_EQ(back.added, 2u);
    auto after = snapshot(t / "p");
    EXPECT_EQ(after["shop.db"].substr(after["shop.db"].find(' ', after["shop.db"].find(' ') + 1) + 1),
              "written after the update");
    after.erase("shop.db");
    auto expected = before;
    expected.erase("shop.db");
    EXPECT_EQ(after, expected);
    KeptCopyOutcome none;
    EXPECT_EQ(wincompat::rollBackKeptCopy(root, false, none), ERROR_FILE_NOT_FOUND) << "one generation only";
}

TEST(KeptCopy, RollbackRefusesAFileChangedSinceUnlessForced)
{
    TempDir t;
    makeInstall(t / "u", t / "p");
    const std::string root = (t / "p" / ".keep").string();
    ASSERT_EQ(runKept(t / "u", t / "p"), 0);
    ASSERT_EQ(wincompat::completeKeptCopy(root), 0u);
    writeFile(t / "p" / "lib" / "m2.so", "patched by hand");
    KeptCopyOutcome outcome;
    EXPECT_EQ(wincompat::rollBackKeptCopy(root, false, outcome), ERROR_INVALID_DATA);
    EXPECT_EQ(outcome.failedPath, (t / "p" / "lib" / "m2.so").string());
    EXPECT_EQ(readFile(t / "p" / "Tallyrune.exe"), "new program") << "refused: nothing taken back";

    ASSERT_EQ(wincompat::rollBackKeptCopy(root, true, outcome), 0u);
    EXPECT_EQ(readFile(t / "p" / "lib" / "m2.so"), "old 2");
    EXPECT_EQ(readFile(t / "p" / "Tallyrune.exe"), "old program");
}

TEST(KeptCopy, RollbackRefusesWhenAKeptFileIsGoneAndForcedKeepsItsNewFile)
{
    TempDir t;
    makeInstall(t / "u", t / "p");
    const std::string root = (t / "p" / ".keep").string();
    ASSERT_EQ(runKept(t / "u", t / "p"), 0);
    ASSERT_EQ(wincompat::completeKeptCopy(root), 0u);
    const fs::path lost = t / "p" / ".keep" / "previous" / "0"; // the first kept: Tallyrune.exe's
    ASSERT_TRUE(fs::remove(lost));
    KeptCopyOutcome outcome;
    EXPECT_EQ(wincompat::rollBackKeptCopy(root, false, outcome), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(outcome.failedPath, lost.string());
    EXPECT_EQ(readFile(t / "p" / "lib" / "m0.so"), "new 0") << "refused before anything moved";

    EXPECT_EQ(wincompat::rollBackKeptCopy(root, true, outcome), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(readFile(t / "p" / "Tallyrune.exe"), "new program") << "the only version there is stays";
    EXPECT_EQ(readFile(t / "p" / "lib" / "m0.so"), "old 0");
}

TEST(KeptCopy, TheNextCompletedCopyReplacesTheKeptOne)
{
    TempDir t;
    makeInstall(t / "u", t / "p");
    const std::string root = (t / "p" / ".keep").string();
    ASSERT_EQ(runKept(t / "u", t / "p"), 0);
    ASSERT_EQ(wincompat::completeKeptCopy(root), 0u);
    writeWithTime(t / "u" / "Tallyrune.exe", "newer program", 1600000000);
    ASSERT_EQ(runKept(t / "u", t / "p"), 0);
    ASSERT_EQ(wincompat::completeKeptCopy(root), 0u);
    KeptCopyOutcome outcome;
    ASSERT_EQ(wincompat::rollBackKeptCopy(root, false, outcome), 0u);
    EXPECT_EQ(readFile(t / "p" / "Tallyrune.exe"), "new program") << "back one update, not two";
    EXPECT_EQ(outcome.replaced, 1u);
}

TEST(KeptCopy, AKilledCopyIsTakenBackWhollyAndTheNextOneCompletes)
{
    struct KillPoint {
        const char* when;
        Call call;
        int at;
    };
    const KillPoint points[] = {
        {"while staging", Call::Futimens, 10},
        {"after the data sync", Call::Linkat, 1},
        {"between keeping and renaming", Call::Renameat, 1},
        {"half way through the renames", Call::Renameat, 20},
        {"at the last rename", Call::Renameat, 41},
        {"at the last sync", Call::Syncfs, 2},
    };
    for (const KillPoint& k : points) {
        SCOPED_TRACE(k.when);
        TempDir t;
        makeInstall(t / "u", t / "p", 40);
        const std::string root = (t / "p" / ".keep").string();
        const auto before = snapshot(t / "p");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ScopedFault fault(k.call, k.at, true);
            runKept(t / "u", t / "p");
            ::_exit(0); // not killed: the point was never reached
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the kill point was not reached";

        bool recovered = false;
        KeptCopyOutcome outcome;
        ASSERT_EQ(wincompat::recoverKeptCopy(root, recovered, outcome), 0u) << outcome.failedPath;
        EXPECT_TRUE(recovered);
        EXPECT_EQ(snapshot(t / "p"), before);

        ASSERT_EQ(runKept(t / "u", t / "p"), 0);
        ASSERT_EQ(wincompat::completeKeptCopy(root), 0u);
        expectNew(t / "u", t / "p");
    }
}

TEST(KeptCopy, AnUpdateFileThatIsTheInstalledFileItselfCountsUnchanged)
{
    TempDir t;
    makeInstall(t / "u", t / "p");
    writeWithTime(t / "p" / "shared.dat", "one file, two names", 1400000000);
    fs::create_hard_link(t / "p" / "shared.dat", t / "u" / "shared.dat");
    KeptCopyOutcome outcome;
    ASSERT_EQ(runKept(t / "u", t / "p", &outcome), 0) << outcome.failedPath;
    EXPECT_EQ(outcome.unchanged, 2u);
    EXPECT_EQ(readFile(t / "p" / "shared.dat"), "one file, two names");
    EXPECT_EQ(runShell({FO_COPY, {(t / "u" / "shared.dat").string()}, {(t / "p").string()}}), ERROR_FILE_EXISTS)
        << "a plain copy onto itself is still refused";
}

// The keep folder decides which files are renamed over the program's: one that someone else could
// have written, or a journal that names a path outside its program folder, is never acted on.
TEST(KeptCopy, AKeepFolderOrJournalAnotherUserCouldHavePlantedIsRefusedAndNothingMoves)
{
    struct Plant {
        const char* what;
        void (*make)(const fs::path& keep, const fs::path& outside);
    };
    const Plant plants[] = {
        {"a keep folder others may write",
         [](const fs::path& keep, const fs::path&) { ::chmod(keep.c_str(), 0777); }},
        {"a pending folder its group may write",
         [](const fs::path& keep, const fs::path&) { ::chmod((keep / "pending").c_str(), 0770); }},
        {"a pending folder that is a link",
         [](const fs::path& keep, const fs::path& outside) {
             fs::rename(keep / "pending", outside / "moved");
             fs::create_directory_symlink(outside / "moved", keep / "pending");
         }},
        {"a journal that leads out of the program folder with ..",
         [](const fs::path& keep, const fs::path& outside) {
             std::string journal = readFile(keep / "pending" / "journal");
             const std::string dest = (keep.parent_path()).string() + "/";
             journal += "R\t" + dest + "lib/../../outside\tvictim\t0\t0\t0\t0\t0\t0\n";
             writeFile(keep / "pending" / "journal", journal);
             (void)outside;
         }},
    };
    for (const Plant& plant : plants) {
        SCOPED_TRACE(plant.what);
        TempDir t;
        makeInstall(t / "u", t / "p");
        writeFile(t / "outside" / "victim", "not the program's");
        const fs::path keep = t / "p" / ".keep";
        ASSERT_EQ(runKept(t / "u", t / "p"), 0); // left unfinished: no completion
        plant.make(keep, t / "outside");
        const auto before = snapshot(t / "p");
        bool recovered = false;
        KeptCopyOutcome outcome;
        EXPECT_NE(wincompat::recoverKeptCopy(keep.string(), recovered, outcome), 0u);
        EXPECT_EQ(snapshot(t / "p"), before) << "nothing taken back on the word of such a folder";
        EXPECT_EQ(readFile(t / "outside" / "victim"), "not the program's");
        EXPECT_NE(runKept(t / "u", t / "p"), 0) << "nor a new copy started over it";
    }
}

// A folder of the program reached through a link onto another file system (the shop's data disk):
// its replaced files cannot be linked into the keep folder, so they are kept beside themselves, and
// are put back from there by a failure and by a rollback alike.
TEST(KeptCopy, FilesOnAnotherFileSystemAreKeptBesideThemselves)
{
    REQUIRE_PREREQUISITE(isRoot(), "needs root to mount a second file system");
    TempDir t;
    ScopedTmpfs disk(t / "disk", "size=4m");
    ASSERT_TRUE(disk.mounted()) << "cannot mount tmpfs";
    makeInstall(t / "u", t / "p");
    writeWithTime(t / "disk" / "data" / "tax.cfg", "old tax", 1000000000);
    writeWithTime(t / "u" / "data" / "tax.cfg", "new tax", 1500000000);
    fs::create_directory_symlink(t / "disk" / "data", t / "p" / "data");
    const std::string root = (t / "p" / ".keep").string();
    const auto before = snapshot(t / "disk");

    {
        ScopedFault fault(Call::Syncfs, 3); // the last sync, once per file system: the second one's
        EXPECT_NE(runKept(t / "u", t / "p"), 0);
    }
    EXPECT_EQ(snapshot(t / "disk"), before);

    ASSERT_EQ(runKept(t / "u", t / "p"), 0);
    ASSERT_EQ(wincompat::completeKeptCopy(root), 0u);
    EXPECT_EQ(readFile(t / "disk" / "data" / "tax.cfg"), "new tax");
    int besides = 0;
    for (const auto& e : fs::directory_iterator(t / "disk" / "data"))
        besides += e.path().filename().string().rfind(".wincompat-kept-", 0) == 0 ? 1 : 0;
    EXPECT_EQ(besides, 1) << "the old tax.cfg, kept on its own disk";
    KeptCopyOutcome outcome;
    ASSERT_EQ(wincompat::rollBackKeptCopy(root, false, outcome), 0u) << outcome.failedPath;
    EXPECT_EQ(snapshot(t / "disk"), before) << "put back, and nothing kept beside it any more";
    EXPECT_EQ(readFile(t / "p" / "Tallyrune.exe"), "old program");
}
