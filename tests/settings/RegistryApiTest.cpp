// The registry functions over their SQLite hives, against real files in a private root.
#include "SettingsTestSupport.h"

#include "platform/registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

using settings_test::snapshot;

namespace {

HKEY createKey(HKEY root, const char* path, REGSAM access = KEY_ALL_ACCESS)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    return key;
}

void setString(HKEY key, const char* name, const std::string& text)
{
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
}

mode_t modeOf(const std::filesystem::path& p)
{
    struct stat st {};
    stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

} // namespace

TEST(RegistryApi, ReadsOfAMissingHiveCreateNothing)
{
    ScopedCompatRoot root;
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Harrowmere", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "x", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    char name[64];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(HKEY_LOCAL_MACHINE, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    // The root key itself can be opened even before its hive exists.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_TRUE(snapshot(root.path()).empty());
}

TEST(RegistryApi, HiveFilesGetModesThatLeaveWritingToTheirOwner)
{
    ScopedCompatRoot root;
    RegCloseKey(createKey(HKEY_LOCAL_MACHINE, "Software\\Harrowmere\\Tallyrune"));
    const auto registry = root.path() / "registry";
    EXPECT_EQ(wincompat::registryHiveFile(HKEY_LOCAL_MACHINE), (registry / "HKLM.db").string());
    EXPECT_EQ(modeOf(registry), 0755u);
    EXPECT_EQ(modeOf(registry / "HKLM.db"), 0644u);
    EXPECT_EQ(modeOf(registry / "users"), 01777u);

    RegCloseKey(createKey(HKEY_CURRENT_USER, "Software"));
    const std::string userHive = wincompat::registryHiveFile(HKEY_CURRENT_USER);
    EXPECT_EQ(std::filesystem::path(userHive).parent_path().parent_path(), registry / "users");
    EXPECT_EQ(modeOf(std::filesystem::path(userHive).parent_path()), 0700u);
    EXPECT_EQ(modeOf(userHive), 0600u);
    EXPECT_EQ(wincompat::registryHiveFile(HKEY_DYN_DATA), "");
}

TEST(RegistryApi, NamesMatchWithoutRegardToCaseAndKeepTheirSpelling)
{
    ScopedCompatRoot root;
    HKEY key = createKey(HKEY_LOCAL_MACHINE, "Software\\Harrowmere\\Tallyrune\\Application");
    setString(key, "Update Path", "/srv/update");
    setString(key, "UPDATE PATH", "/srv/other"); // the same value
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\harrowmere\\TALLYRUNE\\application\\", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char data[64];
    DWORD type = 0, size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(key, "update path", nullptr, &type, reinterpret_cast<LPBYTE>(data), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(data, size), std::string("/srv/other\0", 11));
    char name[64];
    DWORD nameSize = sizeof name;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), "Update Path");
    nameSize = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);

    // Non-ASCII names fold too (UTF-8 is the ANSI code page here).
    key = createKey(HKEY_CURRENT_USER, "Software\\\xC3\x84pfel");
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\\xC3\xA4PFEL", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(RegistryApi, ValuesKeepTheirTypeAndBytesAndReportTheSizeTheyNeed)
{
    ScopedCompatRoot root;
    HKEY key = createKey(HKEY_CURRENT_USER, "Software\\Test");
    const std::string binary("\x00\x01\x00\xff", 4);
    ASSERT_EQ(RegSetValueExA(key, "Bin", 0, REG_BINARY, reinterpret_cast<const BYTE*>(binary.data()), 4),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "Bin", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 4u);
    BYTE small[2];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "Bin", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    BYTE full[8];
    size = sizeof full;
    ASSERT_EQ(RegQueryValueExA(key, "Bin", nullptr, &type, full, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(full), size), binary);
    size = sizeof full;
    ASSERT_EQ(RegQueryValueExA(key, "Empty", nullptr, &type, full, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, full, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, "Bin", nullptr, &type, full, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST(RegistryApi, AccessMasksAreEnforced)
{
    ScopedCompatRoot root;
    RegCloseKey(createKey(HKEY_CURRENT_USER, "Software\\Test\\Sub"));
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Test", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
    const BYTE text[] = "x";
    EXPECT_EQ(RegSetValueExA(readOnly, "v", 0, REG_SZ, text, 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(readOnly, "v"), ERROR_ACCESS_DENIED);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyExA(readOnly, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
              ERROR_ACCESS_DENIED);
    // An existing subkey opens below a read-only handle; creating one does not.
    ASSERT_EQ(RegCreateKeyExA(readOnly, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_SUCCESS);
    RegCloseKey(child);
    RegCloseKey(readOnly);

    HKEY queryOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Test", 0, KEY_QUERY_VALUE, &queryOnly), ERROR_SUCCESS);
    char name[32];
    DWORD size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(queryOnly, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    RegCloseKey(queryOnly);
}

TEST(RegistryApi, HandlesAreCheckedAndPathsValidated)
{
    ScopedCompatRoot root;
    HKEY key = createKey(HKEY_CURRENT_USER, "Software\\Test");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(nullptr, "x", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software", 0, KEY_READ, &opened), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\\\Test", 0, KEY_READ, &opened), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "x", 0, KEY_READ, &opened), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_PERFORMANCE_DATA, "", 0, KEY_READ, &opened), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST(RegistryApi, DeletingKeysLeafFirstInvalidatesOpenHandles)
{
    ScopedCompatRoot root;
    HKEY deep = createKey(HKEY_CURRENT_USER, "Software\\Test\\A\\B");
    setString(deep, "v", "1");
    HKEY sibling = createKey(HKEY_CURRENT_USER, "Software\\Test\\C");
    RegCloseKey(sibling);

    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "software\\test\\a\\b"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "software\\test\\a"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(deep, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    RegCloseKey(deep);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Test\\A\\B", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Test", 0, KEY_READ, &key), ERROR_SUCCESS);
    char name[32];
    size = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), "C");
    size = 1;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
}

TEST(RegistryApi, ACorruptHiveCannotBeOpenedAndIsLeftExactlyAsItWas)
{
    ScopedCompatRoot root;
    const auto hive = root.path() / "registry" / "HKLM.db";
    std::string garbage;
    for (int i = 0; i < 8192; ++i)
        garbage += static_cast<char>((i * 7919 + 13) & 0xff);
    writeFile(hive, garbage);
    const auto before = snapshot(root.path());

    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_NE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const BYTE text[] = "x";
    EXPECT_NE(RegSetValueExA(HKEY_LOCAL_MACHINE, "v", 0, REG_SZ, text, 2), ERROR_SUCCESS);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(snapshot(root.path()), before);
}
