// The settings store on its registry back end, configured as the utility's main window does it.
#include "SettingsTestSupport.h"

#include "framework/core/Exceptions.h"
#include "platform/registry.h"
#include "settings/TLMDIniCtrl.h"
#include "settings/TRegistry.h"
#include "support/TempDir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using settings_test::snapshot;

namespace {

constexpr const char* basePath = "Software\\Harrowmere\\Tallyrune";

void configure(TLMDIniCtrl& store)
{
    store.ReadProperty("Target", "itRegistry");
    store.ReadProperty("RegRoot", "rpLocalMachine");
    store.ReadProperty("RegPath", "Software\\Harrowmere\\Tallyrune");
    store.ReadProperty("IniFile", "Tallyrune.INI");
    store.ReadProperty("IniPrefix", "ppProgram");
}

void putValue(const std::string& path, const char* name, DWORD type, const std::string& bytes)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

bool getValue(const std::string& path, const char* name, DWORD& type, std::string& bytes)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char data[4096];
    DWORD size = sizeof data;
    const bool ok = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size) == ERROR_SUCCESS;
    bytes.assign(data, ok ? size : 0);
    RegCloseKey(key);
    return ok;
}

std::string applicationKey()
{
    return std::string(basePath) + "\\Application";
}

class StoreOnRegistry : public ::testing::Test {
protected:
    ScopedCompatRoot root;
    TLMDIniCtrl store{nullptr};
    void SetUp() override { configure(store); }
};

} // namespace

TEST_F(StoreOnRegistry, AMissingBaseKeySectionOrValueGivesTheDefaultAndCreatesNothing)
{
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "/opt/pos/Update"), "/opt/pos/Update");
    EXPECT_TRUE(snapshot(root.path()).empty());

    putValue(basePath, "Other", REG_SZ, std::string("x\0", 2));
    const auto before = snapshot(root.path());
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "dflt");
    putValue(applicationKey(), "Something else", REG_SZ, std::string("x\0", 2));
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "dflt");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Harrowmere\\Tallyrune\\Update", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(snapshot(root.path()).size(), before.size()); // no journal or other file left behind
}

TEST_F(StoreOnRegistry, StringValuesReadBackUpToTheirFirstZeroAndUnexpanded)
{
    putValue(applicationKey(), "Update Path", REG_SZ, std::string("/srv/update\0", 12));
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "/srv/update");
    putValue(applicationKey(), "Update Path", REG_SZ, std::string("\0", 1));
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "");
    putValue(applicationKey(), "Update Path", REG_SZ, std::string());
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "");
    putValue(applicationKey(), "Update Path", REG_EXPAND_SZ, std::string("%HOME%/upd\0", 11));
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "%HOME%/upd");
    putValue(applicationKey(), "Update Path", REG_SZ, std::string("abc\0def\0", 8));
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "abc");
    putValue(applicationKey(), "Update Path", REG_SZ, std::string("no terminator"));
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "no terminator");
}

TEST_F(StoreOnRegistry, AValueOfAnotherTypeRaisesTheTypeError)
{
    putValue(applicationKey(), "Update Path", REG_DWORD, std::string("\x2a\0\0\0", 4));
    try {
        store.ReadSetting("Application", "Update Path", "dflt");
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'Update Path'");
    }
    putValue(applicationKey(), "Update Path", REG_BINARY, std::string("\1\2", 2));
    EXPECT_THROW(store.ReadSetting("Application", "Update Path", "dflt"), ERegistryException);
    // A value of size zero is empty whatever its type: there is nothing to misread.
    putValue(applicationKey(), "Update Path", REG_DWORD, std::string());
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "");
}

TEST_F(StoreOnRegistry, AStoredReadTellsAnAbsentValueFromAStoreThatFails)
{
    const std::filesystem::path hive = root.path() / "registry" / "HKLM.db";
    struct Row {
        const char* name;
        std::function<void()> arrange;
        bool found;
        std::string value; // the text, or the error's message
    } rows[] = {
        {"no hive", [] {}, false, ""},
        {"no section", [] { putValue(std::string(basePath) + "\\Update", "LastUpdate", REG_SZ, "x"); }, false, ""},
        {"no value", [] { putValue(applicationKey(), "Other", REG_SZ, std::string("x\0", 2)); }, false, ""},
        {"empty value", [] { putValue(applicationKey(), "Update Path", REG_SZ, std::string("\0", 1)); }, true, ""},
        {"value", [] { putValue(applicationKey(), "Update Path", REG_SZ, std::string("/srv/u\0", 7)); }, true,
         "/srv/u"},
        {"garbage hive",
         [&] { writeFile(hive, std::string(4096, 'x')); },
         false,
         "Failed to read 'Update Path': The configuration registry database is corrupt."},
        {"folder for a hive",
         [&] { std::filesystem::create_directories(hive); },
         false,
         "Failed to read 'Update Path': The configuration registry database is corrupt."},
        {"another type",
         [] { putValue(applicationKey(), "Update Path", REG_DWORD, std::string("\x2a\0\0\0", 4)); },
         false,
         "Invalid data type for 'Update Path'"},
    };
    for (const Row& r : rows) {
        std::filesystem::remove_all(root.path() / "registry");
        r.arrange();
        TLMDIniCtrl fresh(nullptr);
        configure(fresh);
        std::string value = "untouched";
        try {
            EXPECT_EQ(fresh.ReadStoredSetting("Application", "Update Path", value), r.found) << r.name;
            EXPECT_EQ(value, r.found ? r.value : "untouched") << r.name;
            EXPECT_TRUE(r.found || r.value.empty()) << r.name << ": no error raised";
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.Message(), r.value) << r.name;
        }
    }
}

TEST_F(StoreOnRegistry, WritingCreatesTheKeysAndStoresAStringThatASecondWriteReplaces)
{
    store.WriteSetting("Update", "LastUpdate", "08/12/2026 17:30:00");
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(getValue(std::string(basePath) + "\\Update", "LastUpdate", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string("08/12/2026 17:30:00\0", 20));
    store.WriteSetting("Update", "LastUpdate", "09/12/2026");
    ASSERT_TRUE(getValue(std::string(basePath) + "\\Update", "LastUpdate", type, bytes));
    EXPECT_EQ(bytes, std::string("09/12/2026\0", 11));
    EXPECT_EQ(store.ReadSetting("Update", "LastUpdate", ""), "09/12/2026");
    EXPECT_EQ(store.LastSection(), "Update");
}

TEST_F(StoreOnRegistry, RootSectionBlankSectionsAndTrailingBackslash)
{
    store.WriteSetting("#ROOT", "Version", "7");
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(getValue(basePath, "Version", type, bytes));
    EXPECT_EQ(store.ReadSetting("#ROOT", "Version", ""), "7");
    EXPECT_EQ(store.LastSection(), "");
    EXPECT_EQ(store.ReadSetting("#root", "Version", "none"), "none"); // only the exact spelling is special

    // Blank means the last section, and "Common" before any.
    TLMDIniCtrl fresh(nullptr);
    configure(fresh);
    fresh.WriteSetting("   ", "k", "in common");
    EXPECT_EQ(fresh.LastSection(), "");
    ASSERT_TRUE(getValue(std::string(basePath) + "\\Common", "k", type, bytes));
    fresh.WriteSetting("Application", "k", "in application");
    EXPECT_EQ(fresh.ReadSetting("", "k", ""), "in application");
    EXPECT_EQ(fresh.LastSection(), "Application");

    TLMDIniCtrl slash(nullptr);
    configure(slash);
    slash.SetRegPath("Software\\Harrowmere\\Tallyrune\\");
    EXPECT_EQ(slash.RegistryBasePath(), "Software\\Harrowmere\\Tallyrune\\");
    EXPECT_EQ(store.RegistryBasePath(), "Software\\Harrowmere\\Tallyrune\\");
    EXPECT_EQ(slash.ReadSetting("Application", "k", ""), "in application");
}

TEST_F(StoreOnRegistry, WithoutItsBaseKeyTheSectionIsLookedUpBelowTheRoot)
{
    putValue("Application", "Update Path", REG_SZ, std::string("/from/root\0", 11));
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "/from/root");
}

TEST_F(StoreOnRegistry, EachReadAsksTheBackEndAgain)
{
    putValue(applicationKey(), "Update Path", REG_SZ, std::string("one\0", 4));
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", ""), "one");
    const auto result =
        settings_test::runProcess({settings_test::selfExecutable().string()}, {{settings_test::helperVariable, "write"},
                                                                               {"WINCOMPAT_ROOT", root.path().string()},
                                                                               {"HELPER_SECTION", "Application"},
                                                                               {"HELPER_KEY", "Update Path"},
                                                                               {"HELPER_VALUE", "two"}});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", ""), "two");
}

TEST_F(StoreOnRegistry, AValueThatCannotBeSetRaisesAndKeepsWhatWasCreated)
{
    const std::string longName(20000, 'n');
    try {
        store.WriteSetting("Update", longName, "x");
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for '" + longName + "'");
    }
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Harrowmere\\Tallyrune\\Update", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(store.LastSection(), "Update");
}

namespace {
// Reaches the protected data calls to show their failure messages.
class ProbeRegistry : public TRegistry {
public:
    using TRegistry::GetData;
    using TRegistry::TRegistry;
};
} // namespace

TEST_F(StoreOnRegistry, RegistryFailuresCarryTheirMessages)
{
    putValue(applicationKey(), "LastUpdate", REG_SZ, std::string("long enough\0", 12));
    ProbeRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey(applicationKey(), false));
    EXPECT_EQ(registry.Access(), static_cast<REGSAM>(KEY_READ));
    try {
        registry.WriteString("LastUpdate", "x"); // the key was opened for reading only
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'LastUpdate'");
    }
    char tooSmall[4];
    DWORD type = 0;
    try {
        registry.GetData("LastUpdate", tooSmall, sizeof tooSmall, type);
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to get data for 'LastUpdate'");
    }
    EXPECT_EQ(registry.CurrentPath(), applicationKey());

    // Below the current key by default; from the root with a leading backslash.
    putValue(applicationKey() + "\\Sub", "v", REG_SZ, std::string("1\0", 2));
    ASSERT_TRUE(registry.OpenKey("Sub", false));
    EXPECT_EQ(registry.CurrentPath(), applicationKey() + "\\Sub");
    EXPECT_EQ(registry.ReadString("v"), "1");
    ASSERT_TRUE(registry.OpenKey("\\" + std::string(basePath), false));
    EXPECT_EQ(registry.CurrentPath(), basePath);
    EXPECT_FALSE(registry.OpenKey("Sub", false)); // no Sub directly below the base key
    EXPECT_EQ(registry.CurrentPath(), basePath);
}

TEST_F(StoreOnRegistry, ACorruptHiveReadsAsMissingRefusesWritesAndIsNeverReplaced)
{
    const auto hive = root.path() / "registry" / "HKLM.db";
    writeFile(hive, std::string("this is not a registry hive\n") + std::string(5000, '\x5a'));
    const auto before = snapshot(root.path());
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "dflt");
    try {
        store.WriteSetting("Update", "LastUpdate", "now");
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to create key Update");
    }
    EXPECT_EQ(snapshot(root.path()), before);

    // Some other SQLite database in its place is just as foreign.
    const auto result = settings_test::runProcess(
        {"/usr/bin/sqlite3", (root.path() / "other.db").string(), "CREATE TABLE keys(x); INSERT INTO keys VALUES(1);"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::filesystem::rename(root.path() / "other.db", hive);
    const auto foreign = snapshot(root.path());
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "dflt");
    EXPECT_THROW(store.WriteSetting("Update", "LastUpdate", "now"), ERegistryException);
    EXPECT_EQ(snapshot(root.path()), foreign);
}

TEST_F(StoreOnRegistry, EncodedValuesRoundTripThroughTheRegistry)
{
    store.SetEncoded(true);
    store.SetCryptMode(icmTextKey);
    store.WriteSetting("Secret", "Password", "s3cr3t \xC3\xA4");
    DWORD type = 0;
    std::string stored;
    ASSERT_TRUE(getValue(std::string(basePath) + "\\Secret", "Password", type, stored));
    EXPECT_EQ(stored.find("s3cr3t"), std::string::npos);
    EXPECT_EQ(store.ReadSetting("Secret", "Password", ""), "s3cr3t \xC3\xA4");
    EXPECT_EQ(store.ReadSetting("Secret", "Missing", "fallback"), "fallback");

    store.SetCryptMode(icmCustom);
    store.SetOnEncodeString([](TComponent*, std::string& v) { v = "<" + v + ">"; });
    store.SetOnDecodeString([](TComponent*, std::string& v) { v = v.substr(1, v.size() - 2); });
    store.WriteSetting("Secret", "Custom", "plain");
    ASSERT_TRUE(getValue(std::string(basePath) + "\\Secret", "Custom", type, stored));
    EXPECT_EQ(stored, std::string("<plain>\0", 8));
    EXPECT_EQ(store.ReadSetting("Secret", "Custom", ""), "plain");
}
