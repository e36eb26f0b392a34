#include "support/UpdatePath.h"

#include "platform/registry.h"

#include <gtest/gtest.h>

void setUpdatePath(const void* data, DWORD size, DWORD type)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Harrowmere\\Tallyrune\\Application", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Update Path", 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void setUpdatePath(const std::string& folder)
{
    setUpdatePath(folder.c_str(), static_cast<DWORD>(folder.size() + 1), REG_SZ);
}
