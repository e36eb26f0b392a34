// The registry calls at their limits: the longest names Windows allows and one more, and
// buffers of exactly the size a value or name needs and one less.
#include "platform/registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {
LSTATUS create(const std::string& path, HKEY& key)
{
    return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
}
} // namespace

TEST(RegistryLimits, KeyNamesUpTo255AndValueNamesUpTo16383Characters)
{
    ScopedCompatRoot root;
    HKEY key = nullptr;
    ASSERT_EQ(create("Software\\" + std::string(255, 'k'), key), ERROR_SUCCESS);
    RegCloseKey(key);
    key = nullptr;
    EXPECT_NE(create("Software\\" + std::string(256, 'k'), key), ERROR_SUCCESS);
    EXPECT_EQ(key, nullptr);

    ASSERT_EQ(create("Software\\Limits", key), ERROR_SUCCESS);
    const BYTE data[] = "v";
    EXPECT_EQ(RegSetValueExA(key, std::string(16383, 'v').c_str(), 0, REG_SZ, data, 2), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, std::string(16384, 'w').c_str(), 0, REG_SZ, data, 2), ERROR_INVALID_PARAMETER);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, std::string(16384, 'w').c_str(), nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST(RegistryLimits, ABufferOfExactlyTheNeededSizeIsEnough)
{
    ScopedCompatRoot root;
    HKEY key = nullptr;
    ASSERT_EQ(create("Software\\Limits\\Child", key), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(create("Software\\Limits", key), ERROR_SUCCESS);
    const BYTE text[] = "12345";
    ASSERT_EQ(RegSetValueExA(key, "Value", 0, REG_SZ, text, sizeof text), ERROR_SUCCESS);

    BYTE data[16] = {};
    DWORD size = sizeof text;
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, DWORD(sizeof text));
    EXPECT_STREQ(reinterpret_cast<char*>(data), "12345");
    size = sizeof text - 1;
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, DWORD(sizeof text));

    // Names: the size counts the terminating zero going in and leaves it out coming back.
    char name[16] = {};
    size = 6;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_STREQ(name, "Child");
    size = 5;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    size = 6;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_STREQ(name, "Value");
    size = 5;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    RegCloseKey(key);
}
