// The registry with more than one process: an ordinary user against the machine-wide hive, and
// many writers at once.
#include "SettingsTestSupport.h"
#include "support/Prerequisite.h"

#include "platform/registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using settings_test::runProcess;
using settings_test::snapshot;

namespace {

void setLocalMachineValue(const char* path, const char* name, const std::string& text)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

std::string integrityOf(const std::string& file)
{
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}

class OrdinaryUser : public ::testing::Test {
protected:
    std::vector<std::string> prefix;
    std::unique_ptr<ScopedCompatRoot> root;

    void SetUp() override
    {
        prefix = settings_test::asNobody();
        REQUIRE_PREREQUISITE(!prefix.empty(), "needs root and setpriv or runuser to run a helper as nobody");
        root = std::make_unique<ScopedCompatRoot>();
        chmod(root->path().c_str(), 0755); // nobody must reach the hives, not write beside them
    }

    settings_test::ProcessResult helper(const std::string& role, const settings_test::Environment& extra)
    {
        std::vector<std::string> argv = prefix;
        argv.push_back(settings_test::executableForOthers().string());
        settings_test::Environment env = {{settings_test::helperVariable, role},
                                          {"WINCOMPAT_ROOT", root->path().string()}};
        env.insert(env.end(), extra.begin(), extra.end());
        return runProcess(argv, env);
    }
};

} // namespace

TEST_F(OrdinaryUser, ReadsTheMachineHiveButCannotWriteIt)
{
    setLocalMachineValue("Software\\Harrowmere\\Tallyrune\\Application", "Update Path", "/srv/update");
    const auto before = snapshot(root->path());

    auto r = helper("read", {{"HELPER_SECTION", "Application"}, {"HELPER_KEY", "Update Path"}});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "/srv/update");

    r = helper("write", {{"HELPER_SECTION", "Update"}, {"HELPER_KEY", "LastUpdate"}, {"HELPER_VALUE", "now"}});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.out, "Failed to create key Update");
    EXPECT_EQ(snapshot(root->path()), before); // not a byte changed, no journal left

    // The user's own hive is theirs to write, in a folder of their own in the shared users folder.
    r = helper("write", {{"HELPER_ROOT", "rpCurrentUser"},
                         {"HELPER_SECTION", "Update"},
                         {"HELPER_KEY", "LastUpdate"},
                         {"HELPER_VALUE", "now"}});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    struct stat st {};
    ASSERT_EQ(lstat((root->path() / "registry" / "users" / "nobody").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, 65534u);
    ASSERT_EQ(lstat((root->path() / "registry" / "users" / "nobody" / "HKCU.db").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(st.st_uid, 65534u);
}

TEST_F(OrdinaryUser, CannotCreateTheMachineHive)
{
    auto r = helper("write", {{"HELPER_SECTION", "Update"}, {"HELPER_KEY", "LastUpdate"}, {"HELPER_VALUE", "now"}});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.out, "Failed to create key Update");
    EXPECT_TRUE(snapshot(root->path()).empty());
}

TEST(RegistryConcurrency, EightWritersAtOnceLoseNothing)
{
    ScopedCompatRoot root;
    constexpr int writers = 8, writes = 25;
    std::vector<int> pids;
    for (int id = 0; id < writers; ++id)
        pids.push_back(settings_test::startProcess({settings_test::selfExecutable().string()},
                                                   {{settings_test::helperVariable, "hammer"},
                                                    {"WINCOMPAT_ROOT", root.path().string()},
                                                    {"HELPER_ROOT", "rpCurrentUser"},
                                                    {"HELPER_ID", std::to_string(id)},
                                                    {"HELPER_COUNT", std::to_string(writes)}}));
    for (int pid : pids)
        EXPECT_EQ(settings_test::waitProcess(pid), 0);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Harrowmere\\Tallyrune\\Shared", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    int found = 0;
    for (int id = 0; id < writers; ++id)
        for (int i = 0; i < writes; ++i) {
            const std::string name = "w" + std::to_string(id) + "-" + std::to_string(i);
            char data[16];
            DWORD size = sizeof data;
            if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<LPBYTE>(data), &size) ==
                    ERROR_SUCCESS &&
                std::string(data) == std::to_string(i))
                ++found;
        }
    RegCloseKey(key);
    EXPECT_EQ(found, writers * writes);
    EXPECT_EQ(integrityOf(wincompat::registryHiveFile(HKEY_CURRENT_USER)), "ok");
}

TEST(RegistryConcurrency, ConcurrentCommandLineWritersLoseNothing)
{
    REQUIRE_PREREQUISITE(std::filesystem::exists(settings_test::updatectl()), "tallyrune-updatectl is not built");
    ScopedCompatRoot root;
    constexpr int writers = 8, writes = 6;
    std::vector<int> pids;
    for (int id = 0; id < writers; ++id) {
        std::string script;
        for (int i = 0; i < writes; ++i)
            script += "\"$0\" reg add 'HKLM\\Software\\Stress\\W" + std::to_string(id) + "' /v v" + std::to_string(i) +
                      " /d " + std::to_string(i) + " /f || exit 1; ";
        pids.push_back(settings_test::startProcess({"/bin/sh", "-c", script, settings_test::updatectl().string()},
                                                   {{"WINCOMPAT_ROOT", root.path().string()}}));
    }
    for (int pid : pids)
        EXPECT_EQ(settings_test::waitProcess(pid), 0);
    const auto r = runProcess({settings_test::updatectl().string(), "reg", "query", "HKLM\\Software\\Stress", "/s"},
                              {{"WINCOMPAT_ROOT", root.path().string()}});
    int lines = 0;
    for (std::size_t at = r.out.find("    REG_SZ    "); at != std::string::npos;
         at = r.out.find("    REG_SZ    ", at + 1))
        ++lines;
    EXPECT_EQ(lines, writers * writes);
    EXPECT_EQ(integrityOf(wincompat::registryHiveFile(HKEY_LOCAL_MACHINE)), "ok");
}
