// The registry calls the settings and the reg command make, against a key of this run's own.
#include "ContractSupport.h"
#include "winapi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

const BYTE* bytes(const std::string& s) { return reinterpret_cast<const BYTE*>(s.data()); }

class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = "Software\\" + contract::uniqueName("TallyruneContract");
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(key_);
        deleteTree(HKEY_CURRENT_USER, path_);
    }
    // Children first, as RegDeleteKeyA takes a key without subkeys only.
    static void deleteTree(HKEY parent, const std::string& path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return;
        char name[256];
        DWORD size = sizeof name;
        std::vector<std::string> children;
        while (RegEnumKeyExA(key, static_cast<DWORD>(children.size()), name, &size, nullptr, nullptr, nullptr,
                             nullptr) == ERROR_SUCCESS) {
            children.emplace_back(name, size);
            size = sizeof name;
        }
        RegCloseKey(key);
        for (const std::string& child : children)
            deleteTree(parent, path + "\\" + child);
        RegDeleteKeyA(parent, path.c_str());
    }
    LSTATUS set(const char* name, DWORD type, const std::string& data)
    {
        return RegSetValueExA(key_, name, 0, type, bytes(data), static_cast<DWORD>(data.size()));
    }
    HKEY sub(const char* name, REGSAM access = KEY_ALL_ACCESS)
    {
        HKEY k = nullptr;
        EXPECT_EQ(RegCreateKeyExA(key_, name, 0, nullptr, 0, access, nullptr, &k, nullptr), ERROR_SUCCESS);
        return k;
    }
    std::string path_;
    HKEY key_ = nullptr;
};

struct StoredValue {
    const char* label;
    DWORD type;
    std::string data;
};
// Test names and failures show the case by its label.
void PrintTo(const StoredValue& c, std::ostream* os) { *os << c.label; }

class RegistryValue : public Registry, public ::testing::WithParamInterface<StoredValue> {};

// Windows gives a value back byte for byte with its type; the size counts a terminator only when one was stored.
TEST_P(RegistryValue, ComesBackAsStored)
{
    const StoredValue& v = GetParam();
    ASSERT_EQ(set("v", v.type, v.data), ERROR_SUCCESS);
    DWORD type = 99, size = 0;
    ASSERT_EQ(RegQueryValueExA(key_, "v", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, v.type);
    EXPECT_EQ(size, v.data.size());
    std::string back(size + 8, '\x7f');
    DWORD room = static_cast<DWORD>(back.size());
    ASSERT_EQ(RegQueryValueExA(key_, "v", nullptr, &type, reinterpret_cast<BYTE*>(back.data()), &room),
              ERROR_SUCCESS);
    EXPECT_EQ(room, v.data.size());
    EXPECT_EQ(back.substr(0, room), v.data);
}

INSTANTIATE_TEST_SUITE_P(Types, RegistryValue,
                         ::testing::Values(StoredValue{"sz", REG_SZ, std::string("abc\0", 4)},
                                           StoredValue{"sz_empty", REG_SZ, std::string("\0", 1)},
                                           StoredValue{"expand_sz", REG_EXPAND_SZ, std::string("%PATH%\0", 7)},
                                           StoredValue{"multi_sz", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
                                           StoredValue{"dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
                                           StoredValue{"qword", REG_QWORD, std::string("\1\2\3\4\5\6\7\x8", 8)},
                                           StoredValue{"binary", REG_BINARY, std::string("\x01\x00\xff", 3)},
                                           StoredValue{"binary_empty", REG_BINARY, std::string()}),
                         [](const auto& info) { return std::string(info.param.label); });

// Windows: a string stored without its terminator is given back without one, 3 bytes for "abc". (The byte after
// the data is not a NUL here: Windows would then store the terminator too.)
TEST_F(Registry, StringWithoutTerminatorKeepsItsSize)
{
    ASSERT_EQ(RegSetValueExA(key_, "v", 0, REG_SZ, bytes("abcX"), 3), ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExA(key_, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
}

struct SmallBuffer {
    const char* label;
    DWORD type;
    std::string data;
    DWORD room;
    LSTATUS rc;
    DWORD size;
};
// Test names and failures show the case by its label.
void PrintTo(const SmallBuffer& c, std::ostream* os) { *os << c.label; }

class RegistryBuffer : public Registry, public ::testing::WithParamInterface<SmallBuffer> {};

// Windows: a buffer too small gives ERROR_MORE_DATA (234) and the size the value needs.
TEST_P(RegistryBuffer, TooSmallSaysHowMuch)
{
    const SmallBuffer& c = GetParam();
    ASSERT_EQ(set("v", c.type, c.data), ERROR_SUCCESS);
    char buffer[64] = {};
    DWORD size = c.room;
    EXPECT_EQ(RegQueryValueExA(key_, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), c.rc);
    EXPECT_EQ(size, c.size);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RegistryBuffer,
                         ::testing::Values(SmallBuffer{"sz_half", REG_SZ, std::string("hello\0", 6), 3, 234, 6},
                                           SmallBuffer{"sz_no_room_for_nul", REG_SZ, std::string("hello\0", 6), 5, 234,
                                                       6},
                                           SmallBuffer{"sz_exact", REG_SZ, std::string("hello\0", 6), 6, 0, 6},
                                           SmallBuffer{"dword_short", REG_DWORD, std::string("\1\0\0\0", 4), 3, 234, 4},
                                           SmallBuffer{"dword_exact", REG_DWORD, std::string("\1\0\0\0", 4), 4, 0, 4},
                                           SmallBuffer{"binary_zero_room", REG_BINARY, std::string("\1", 1), 0, 234,
                                                       1}),
                         [](const auto& info) { return std::string(info.param.label); });

// Windows: every call on a key or value that is not there answers ERROR_FILE_NOT_FOUND (2).
TEST_F(Registry, MissingKeysAndValues)
{
    HKEY k = nullptr;
    DWORD size = 0;
    EXPECT_EQ(RegOpenKeyExA(key_, "missing", 0, KEY_READ, &k), 2);
    EXPECT_EQ(RegOpenKeyExA(key_, "missing\\deeper", 0, KEY_READ, &k), 2);
    EXPECT_EQ(RegQueryValueExA(key_, "missing", nullptr, nullptr, nullptr, &size), 2);
    EXPECT_EQ(RegDeleteValueA(key_, "missing"), 2);
    EXPECT_EQ(RegDeleteKeyA(key_, "missing"), 2);
}

// Windows: a new key reports REG_CREATED_NEW_KEY (1), the same key again REG_OPENED_EXISTING_KEY (2).
TEST_F(Registry, CreateSaysWhetherTheKeyIsNew)
{
    DWORD disposition = 0;
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(key_, "a\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disposition), 0);
    EXPECT_EQ(disposition, 1u);
    RegCloseKey(k);
    ASSERT_EQ(RegCreateKeyExA(key_, "A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disposition), 0);
    EXPECT_EQ(disposition, 2u);
    RegCloseKey(k);
}

// Windows: key and value names match whatever their case; a key keeps the case it was created with.
TEST_F(Registry, NamesIgnoreCaseAndKeepIt)
{
    RegCloseKey(sub("MixedCase"));
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key_, "mIXEDcASE", 0, KEY_ALL_ACCESS, &k), 0);
    ASSERT_EQ(RegSetValueExA(k, "ValueName", 0, REG_SZ, bytes(std::string("x\0", 2)), 2), 0);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(k, "VALUENAME", nullptr, nullptr, nullptr, &size), 0);
    EXPECT_EQ(size, 2u);
    char name[32];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumValueA(k, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(std::string(name, nameSize), "ValueName");
    RegCloseKey(k);
    nameSize = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(key_, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(std::string(name, nameSize), "MixedCase");
}

// Windows: a null or empty value name is the key's default value, one and the same.
TEST_F(Registry, NullAndEmptyNameAreTheDefaultValue)
{
    ASSERT_EQ(RegSetValueExA(key_, nullptr, 0, REG_SZ, bytes(std::string("d\0", 2)), 2), 0);
    char buffer[8] = {};
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key_, "", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), 0);
    EXPECT_STREQ(buffer, "d");
    EXPECT_EQ(RegDeleteValueA(key_, ""), 0);
    EXPECT_EQ(RegQueryValueExA(key_, nullptr, nullptr, nullptr, nullptr, &size), 2);
}

// Windows lists subkeys in alphabetical order, ignoring case, then ERROR_NO_MORE_ITEMS (259).
TEST_F(Registry, SubkeysListSortedThenNoMoreItems)
{
    for (const char* name : {"b", "C", "a"})
        RegCloseKey(sub(name));
    std::vector<std::string> names;
    char name[32];
    DWORD size = sizeof name;
    LSTATUS rc;
    while ((rc = RegEnumKeyExA(key_, static_cast<DWORD>(names.size()), name, &size, nullptr, nullptr, nullptr,
                               nullptr)) == ERROR_SUCCESS) {
        names.emplace_back(name, size);
        size = sizeof name;
    }
    EXPECT_EQ(rc, 259);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "C"}));
}

// Windows: every value is listed once with its type and size, then ERROR_NO_MORE_ITEMS (259).
TEST_F(Registry, ValuesListThenNoMoreItems)
{
    ASSERT_EQ(set("one", REG_DWORD, std::string(4, '\1')), 0);
    ASSERT_EQ(set("two", REG_SZ, std::string("ab\0", 3)), 0);
    std::vector<std::string> seen;
    char name[32];
    DWORD nameSize = sizeof name, type = 0, dataSize = 0;
    LSTATUS rc;
    while ((rc = RegEnumValueA(key_, static_cast<DWORD>(seen.size()), name, &nameSize, nullptr, &type, nullptr,
                               &dataSize)) == ERROR_SUCCESS) {
        seen.push_back(std::string(name, nameSize) + ":" + std::to_string(type) + ":" + std::to_string(dataSize));
        nameSize = sizeof name;
    }
    EXPECT_EQ(rc, 259);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"one:4:4", "two:1:3"}));
}

// Windows: a name buffer without room for the name and its terminator gives ERROR_MORE_DATA (234).
TEST_F(Registry, ListingNamesNeedRoomForTheTerminator)
{
    RegCloseKey(sub("abc"));
    ASSERT_EQ(set("xyz", REG_DWORD, std::string(4, '\0')), 0);
    char name[8];
    DWORD size = 3;
    EXPECT_EQ(RegEnumKeyExA(key_, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 234);
    size = 4;
    EXPECT_EQ(RegEnumKeyExA(key_, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(size, 3u);
    size = 3;
    EXPECT_EQ(RegEnumValueA(key_, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 234);
    size = 4;
    EXPECT_EQ(RegEnumValueA(key_, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(size, 3u);
}

// Windows checks a handle's access: writing or making a subkey through a read-only handle is ERROR_ACCESS_DENIED (5).
TEST_F(Registry, ReadOnlyHandleRefusesChanges)
{
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &k), 0);
    EXPECT_EQ(RegSetValueExA(k, "v", 0, REG_DWORD, bytes(std::string(4, '\0')), 4), 5);
    EXPECT_EQ(RegDeleteValueA(k, "v"), 5);
    RegCloseKey(k);
}

// Windows: a subkey needs KEY_CREATE_SUB_KEY on its parent's handle, else ERROR_ACCESS_DENIED (5).
TEST_F(Registry, ReadOnlyHandleMakesNoSubkey)
{
    if (contract::underWine())
        GTEST_SKIP() << "Wine makes the subkey through a read-only handle";
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &k), 0);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyExA(k, "child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr), 5);
    RegCloseKey(k);
}

// Windows: RegDeleteKeyA refuses a key that still has subkeys with ERROR_ACCESS_DENIED (5) and deletes a leaf.
TEST_F(Registry, DeleteKeyTakesLeavesOnly)
{
    RegCloseKey(sub("parent\\child"));
    EXPECT_EQ(RegDeleteKeyA(key_, "parent"), 5);
    EXPECT_EQ(RegDeleteKeyA(key_, "parent\\child"), 0);
    EXPECT_EQ(RegDeleteKeyA(key_, "parent"), 0);
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key_, "parent", 0, KEY_READ, &k), 2);
}

// Windows: closing a predefined root key is a success that changes nothing.
TEST_F(Registry, ClosingARootKeySucceeds)
{
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), 0);
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &k), 0);
    RegCloseKey(k);
}

} // namespace
