// Named mutexes (one instance at a time), system error texts, the program's own path and the user name.
#include "ContractSupport.h"
#include "winapi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

namespace {

// Windows: the first CreateMutexA of a name clears the last error, the next gets the same mutex with
// ERROR_ALREADY_EXISTS (183); only the owner may release it, others get ERROR_NOT_OWNER (288).
TEST(Mutex, SecondCreateFindsTheFirst)
{
    const std::string name = contract::uniqueName("TallyruneContractMutex");
    SetLastError(99);
    HANDLE first = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    SetLastError(99);
    HANDLE second = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), 183u);
    // Ownership is the thread's, whichever handle names the mutex.
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(second));
    EXPECT_TRUE(ReleaseMutex(first));
    SetLastError(0);
    EXPECT_FALSE(ReleaseMutex(first));
    EXPECT_EQ(GetLastError(), 288u);
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_TRUE(CloseHandle(first));
}

// Windows: once every handle is closed the name is free again and a create makes a new mutex.
TEST(Mutex, ClosedNameIsNew)
{
    const std::string name = contract::uniqueName("TallyruneContractClosed");
    HANDLE h = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(h, nullptr);
    CloseHandle(h);
    SetLastError(99);
    h = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    CloseHandle(h);
}

struct Message {
    DWORD code;
    const char* text;
};
// Test names and failures show the case by its label.
void PrintTo(const Message& c, std::ostream* os) { *os << c.code; }

class SystemText : public ::testing::TestWithParam<Message> {};

// Windows gives its own wording for the codes the copy and the settings report, closed by CR LF.
TEST_P(SystemText, Wording)
{
    const Message& m = GetParam();
    char buffer[512];
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, m.code,
                                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    const std::string expected = std::string(m.text) + "\r\n";
    ASSERT_GT(n, 2u);
    EXPECT_EQ(n, std::strlen(buffer));
    EXPECT_EQ(std::string(buffer + n - 2), "\r\n");
    if (contract::underWine())
        GTEST_SKIP() << "Wine words its texts its own way (\"File not found.\")";
    EXPECT_EQ(std::string(buffer, n), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, SystemText,
    ::testing::Values(Message{0, "The operation completed successfully."},
                      Message{2, "The system cannot find the file specified."},
                      Message{3, "The system cannot find the path specified."},
                      Message{5, "Access is denied."},
                      Message{32, "The process cannot access the file because it is being used by another process."},
                      Message{87, "The parameter is incorrect."},
                      Message{112, "There is not enough space on the disk."},
                      Message{183, "Cannot create a file when that file already exists."},
                      Message{1223, "The operation was canceled by the user."}),
    [](const auto& info) { return "code_" + std::to_string(info.param.code); });

// Windows: a code without a text gives 0 characters and ERROR_MR_MID_NOT_FOUND (317); a buffer too small for the
// text gives 0 and ERROR_INSUFFICIENT_BUFFER (122).
TEST(SystemTextFailure, UnknownCodeAndSmallBuffer)
{
    char buffer[8];
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x2000BEEF, 0, buffer, sizeof buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), 317u);
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buffer, sizeof buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), 122u);
}

std::string baseName(const std::string& path)
{
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Windows gives the executable's full path and its length.
TEST(ModuleFileName, FullPath)
{
    char path[1024];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(n, std::strlen(path));
#ifdef _WIN32
    EXPECT_EQ(baseName(path), "test_contract.exe");
#else
    EXPECT_EQ(baseName(path), "test_contract");
#endif
}

// Windows (since Vista): a buffer too small gets the path cut to nSize - 1 characters and a terminator, the call
// returns nSize and sets ERROR_INSUFFICIENT_BUFFER (122).
TEST(ModuleFileName, CutToTheBuffer)
{
    if (contract::underWine())
        GTEST_SKIP() << "Wine fills the whole buffer without a terminator and sets no ERROR_INSUFFICIENT_BUFFER";
    char path[1024];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 5u);
    char small[6];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 6u);
    EXPECT_EQ(std::string(small), std::string(path, 5));
    EXPECT_EQ(GetLastError(), 122u);
}

// Windows: the size counts the terminator, on success and when the buffer is too small (FALSE and
// ERROR_INSUFFICIENT_BUFFER, 122).
TEST(UserName, SizeCountsTheTerminator)
{
    char name[257];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    EXPECT_EQ(size, std::strlen(name) + 1);
    ASSERT_GT(size, 1u);
    DWORD small = size - 1;
    SetLastError(0);
    EXPECT_FALSE(GetUserNameA(name, &small));
    EXPECT_EQ(GetLastError(), 122u);
    EXPECT_EQ(small, size);
}

} // namespace
