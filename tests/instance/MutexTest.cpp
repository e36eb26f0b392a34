// Named mutexes between real processes: existence, ownership, abandonment by a killed owner,
// and the folder their lock files live in.
#include "InstanceTestSupport.h"

#include "platform/mutex.h"
#include "platform/mutex/mutex_files.h"
#include "platform/system.h"
#include "support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <thread>

using instance_test::HelperProcess;
namespace fs = std::filesystem;

namespace {

// A runtime folder and a compatibility root of the test's own, so that nothing else running on
// this machine shares the test's mutexes.
class NamedMutex : public ::testing::Test {
protected:
    std::string lockFolder()
    {
        DWORD error = 0;
        return wincompat::mutex::mutexFolder(error);
    }

    instance_test::PrivateRuntimeDir runtime;
    ScopedCompatRoot root;
};

DWORD waitOnOtherThread(HANDLE mutex)
{
    DWORD result = 0;
    std::thread([&] { result = WaitForSingleObject(mutex, 0); }).join();
    return result;
}

} // namespace

TEST_F(NamedMutex, SecondHandleInTheProcessSharesTheObjectAndItsOwner)
{
    HANDLE first = CreateMutexA(nullptr, TRUE, "shared");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HANDLE second = CreateMutexA(nullptr, TRUE, "shared");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);

    // Owned by this thread from the start, and again through the other handle: two releases.
    EXPECT_EQ(WaitForSingleObject(second, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(waitOnOtherThread(first), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(ReleaseMutex(first));
    EXPECT_EQ(waitOnOtherThread(first), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(ReleaseMutex(second));
    EXPECT_FALSE(ReleaseMutex(second));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);

    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_FALSE(CloseHandle(second));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_FAILED);
}

TEST_F(NamedMutex, OnlyTheOwningThreadReleases)
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "threads");
    ASSERT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    BOOL releasedElsewhere = TRUE;
    std::thread([&] { releasedElsewhere = ReleaseMutex(mutex); }).join();
    EXPECT_FALSE(releasedElsewhere);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(waitOnOtherThread(mutex), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(mutex);
}

TEST_F(NamedMutex, ExistsWhileAnotherProcessHoldsAHandle)
{
    HelperProcess holder("hold", {{"HELPER_NAME", "held elsewhere"}, {"HELPER_OWN", "1"}});
    ASSERT_EQ(holder.waitForLine("HELD"), "HELD handle=1 exists=0");

    HANDLE mutex = CreateMutexA(nullptr, TRUE, "held elsewhere");
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    // The initial ownership asked for is not given for an existing mutex.
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(mutex, 150), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));

    // Given back by its owner, it can be taken; waiting sees the release.
    holder.send("release");
    EXPECT_EQ(holder.waitForLine("RELEASED"), "RELEASED 1");
    EXPECT_EQ(WaitForSingleObject(mutex, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    holder.send("quit");
    EXPECT_EQ(holder.waitForExit(), 0);

    // Held elsewhere without an owner: asking for the ownership of an existing one gives none.
    HelperProcess opener("hold", {{"HELPER_NAME", "opened elsewhere"}});
    ASSERT_EQ(opener.waitForLine("HELD"), "HELD handle=1 exists=0");
    HANDLE opened = CreateMutexA(nullptr, TRUE, "opened elsewhere");
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(ReleaseMutex(opened));
    CloseHandle(opened);

    // Names are exact: another spelling is another mutex.
    HANDLE other = CreateMutexA(nullptr, FALSE, "Held elsewhere");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(other);
}

TEST_F(NamedMutex, AKilledOwnerLeavesItAbandonedToTheNextAndBlocksNoLaterStart)
{
    {
        HelperProcess owner("hold", {{"HELPER_NAME", "killed"}, {"HELPER_OWN", "1"}});
        ASSERT_EQ(owner.waitForLine("HELD"), "HELD handle=1 exists=0");
        HANDLE mutex = CreateMutexA(nullptr, FALSE, "killed");
        ASSERT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
        ASSERT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_TIMEOUT));
        owner.kill(SIGKILL);
        EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_ABANDONED));
        // Now this process's: a second take is an ordinary one.
        EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_TRUE(ReleaseMutex(mutex));
        EXPECT_TRUE(ReleaseMutex(mutex));
        CloseHandle(mutex);
    }
    {
        // Killed while it held the only handle: the next start finds a new mutex, free to take.
        HelperProcess owner("hold", {{"HELPER_NAME", "killed"}, {"HELPER_OWN", "1"}});
        ASSERT_EQ(owner.waitForLine("HELD"), "HELD handle=1 exists=0");
        owner.kill(SIGKILL);
        HelperProcess next("hold", {{"HELPER_NAME", "killed"}, {"HELPER_WAIT", "1"}});
        EXPECT_EQ(next.waitForLine("HELD"), "HELD handle=1 exists=0 wait=0");
    }
}

TEST_F(NamedMutex, TheLastHandleClosedLeavesNoFilesBehind)
{
    HANDLE a = CreateMutexA(nullptr, TRUE, "tidy");
    HANDLE b = CreateMutexA(nullptr, FALSE, "tidy");
    const std::string folder = lockFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::exists(fs::path(folder) / "tidy.handles"));
    CloseHandle(a);
    EXPECT_TRUE(fs::exists(fs::path(folder) / "tidy.handles")); // b still open
    ReleaseMutex(b);
    CloseHandle(b);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(fs::is_empty(fs::path(folder).parent_path()));
}

TEST_F(NamedMutex, NamesStayInsideTheirFolderAndApart)
{
    std::vector<std::string> names = {"../escape",
                                            "a/b",
                                            "a%2Fb",
                                            ".hidden",
                                            "..",
                                            "/etc/passwd",
                                            "tab\there",
                                            "\xc3\xa9t\xc3\xa9",
                                            ""};
    // Built in place: GCC 12 at -O1 misreads a concatenated temporary as copied out of bounds.
    names.push_back(std::string(600, 'x'));
    names.push_back(std::string(601, 'x'));
    names.back().back() = 'y';
    std::set<std::string> stems;
    for (const auto& name : names) {
        const std::string stem = wincompat::mutex::mutexFileStem(name);
        EXPECT_EQ(stem.find('/'), std::string::npos) << name;
        EXPECT_LE(stem.size() + std::string(".handles").size(), 255u) << name;
        if (!stem.empty()) {
            EXPECT_NE(stem.front(), '.') << name;
        }
        stems.insert(stem);
    }
    EXPECT_EQ(stems.size(), names.size());

    std::vector<HANDLE> handles;
    for (const auto& name : names) {
        if (name.empty())
            continue;
        handles.push_back(CreateMutexA(nullptr, TRUE, name.c_str()));
        ASSERT_NE(handles.back(), nullptr) << name;
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS) << name; // every name a mutex of its own
    }
    const fs::path folder = lockFolder();
    for (const auto& entry : fs::recursive_directory_iterator(runtime.path()))
        EXPECT_TRUE(entry.path().parent_path() == folder || entry.is_directory()) << entry.path();
    EXPECT_FALSE(fs::exists(runtime.path().parent_path() / "escape.handles"));
    for (HANDLE h : handles)
        CloseHandle(h);
}

TEST_F(NamedMutex, AFolderOthersCouldWriteOrALinkIsRefused)
{
    // A runtime folder open to others.
    chmod(runtime.path().c_str(), 0777);
    SetLastError(0);
    EXPECT_EQ(CreateMutexA(nullptr, TRUE, "refused"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    chmod(runtime.path().c_str(), 0700);

    // Our folder replaced by a link to somewhere else: nothing is created there.
    TempDir elsewhere;
    fs::create_directory_symlink(elsewhere.path(), runtime.path() / "wincompat");
    EXPECT_EQ(CreateMutexA(nullptr, TRUE, "refused"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    fs::remove(runtime.path() / "wincompat");

    // Our folder made readable by others.
    fs::create_directory(runtime.path() / "wincompat");
    chmod((runtime.path() / "wincompat").c_str(), 0755);
    EXPECT_EQ(CreateMutexA(nullptr, TRUE, "refused"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    chmod((runtime.path() / "wincompat").c_str(), 0700);

    HANDLE fine = CreateMutexA(nullptr, TRUE, "refused");
    EXPECT_NE(fine, nullptr);
    CloseHandle(fine);

    setenv("XDG_RUNTIME_DIR", "relative/run", 1);
    EXPECT_EQ(CreateMutexA(nullptr, TRUE, "refused"), nullptr);
}

TEST_F(NamedMutex, EachCompatibilityRootIsANamespaceOfItsOwn)
{
    HANDLE here = CreateMutexA(nullptr, TRUE, "per root");
    ScopedCompatRoot other;
    HANDLE there = CreateMutexA(nullptr, TRUE, "per root");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HelperProcess probe("hold", {{"HELPER_NAME", "per root"}, {"HELPER_WAIT", "1"}});
    EXPECT_EQ(probe.waitForLine("HELD"), "HELD handle=1 exists=1 wait=258");
    probe.send("quit");
    probe.waitForExit();
    CloseHandle(there);
    CloseHandle(here);
}

TEST_F(NamedMutex, UnnamedMutexesAreThisProcessAlone)
{
    HANDLE a = CreateMutexA(nullptr, TRUE, nullptr);
    HANDLE b = CreateMutexA(nullptr, TRUE, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(waitOnOtherThread(a), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(ReleaseMutex(b));
    EXPECT_EQ(waitOnOtherThread(b), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(a);
    CloseHandle(b);
}
