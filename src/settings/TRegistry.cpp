#include "settings/TRegistry.h"

#include "framework/core/Exceptions.h"

#include <cstring>
#include <vector>

TRegistry::TRegistry(REGSAM access) : access_(access) {}

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(HKEY value)
{
    if (rootKey_ == value)
        return;
    CloseKey();
    rootKey_ = value;
}

void TRegistry::CloseKey()
{
    currentKey_.reset();
    currentPath_.clear();
}

bool TRegistry::IsRelative(const std::string& key)
{
    return key.empty() || key.front() != '\\';
}

HKEY TRegistry::GetBaseKey(bool relative) const
{
    return !currentKey_ || !relative ? rootKey_ : currentKey_.get();
}

void TRegistry::ChangeKey(UniqueRegKey value, const std::string& path)
{
    currentKey_ = std::move(value);
    currentPath_ = path;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    const bool relative = IsRelative(key);
    std::string path = relative ? key : key.substr(1);
    HKEY opened = nullptr;
    if (!canCreate || path.empty()) {
        lastOpenStatus_ = RegOpenKeyExA(GetBaseKey(relative), path.c_str(), 0, access_, &opened);
    } else {
        DWORD disposition = 0;
        lastOpenStatus_ = RegCreateKeyExA(GetBaseKey(relative), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          access_, nullptr, &opened, &disposition);
    }
    const bool ok = lastOpenStatus_ == ERROR_SUCCESS;
    if (ok) {
        if (currentKey_ && relative)
            path = currentPath_ + "\\" + path;
        ChangeKey(UniqueRegKey(opened), path);
    }
    return ok;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key)
{
    const bool relative = IsRelative(key);
    std::string path = relative ? key : key.substr(1);
    static constexpr REGSAM masks[] = {KEY_READ, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS,
                                       KEY_QUERY_VALUE};
    for (REGSAM mask : masks) {
        HKEY opened = nullptr;
        lastOpenStatus_ = RegOpenKeyExA(GetBaseKey(relative), path.c_str(), 0, mask, &opened);
        if (lastOpenStatus_ == ERROR_SUCCESS) {
            access_ = mask;
            if (currentKey_ && relative)
                path = currentPath_ + "\\" + path;
            ChangeKey(UniqueRegKey(opened), path);
            return true;
        }
    }
    return false;
}

bool TRegistry::CreateKey(const std::string& key)
{
    const bool relative = IsRelative(key);
    const std::string path = relative ? key : key.substr(1);
    HKEY created = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(GetBaseKey(relative), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &created, &disposition) != ERROR_SUCCESS)
        throw ERegistryException(FormatMessageText("Failed to create key %s", key));
    const UniqueRegKey made(created); // wanted only to exist: closed again at once
    return true;
}

UniqueRegKey TRegistry::GetKey(const std::string& key)
{
    UniqueRegKey opened;
    GetKey(key, opened);
    return opened;
}

LSTATUS TRegistry::GetKey(const std::string& key, UniqueRegKey& opened)
{
    const bool relative = IsRelative(key);
    const std::string path = relative ? key : key.substr(1);
    HKEY handle = nullptr;
    const LSTATUS rc = RegOpenKeyExA(GetBaseKey(relative), path.c_str(), 0, access_, &handle);
    opened = rc == ERROR_SUCCESS ? UniqueRegKey(handle) : UniqueRegKey();
    return rc;
}

bool TRegistry::ValueExists(const std::string& name)
{
    DWORD type = 0, size = 0;
    return RegQueryValueExA(currentKey_.get(), name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

int TRegistry::GetDataSize(const std::string& name)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(currentKey_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(size);
}

DWORD TRegistry::GetData(const std::string& name, void* buffer, DWORD bufSize, DWORD& dataType)
{
    dataType = REG_NONE;
    if (RegQueryValueExA(currentKey_.get(), name.c_str(), nullptr, &dataType, static_cast<LPBYTE>(buffer), &bufSize) !=
        ERROR_SUCCESS)
        throw ERegistryException(FormatMessageText("Failed to get data for '%s'", name));
    return bufSize;
}

void TRegistry::PutData(const std::string& name, const void* buffer, DWORD bufSize, DWORD dataType)
{
    if (RegSetValueExA(currentKey_.get(), name.c_str(), 0, dataType, static_cast<const BYTE*>(buffer), bufSize) !=
        ERROR_SUCCESS)
        throw ERegistryException(FormatMessageText("Failed to set data for '%s'", name));
}

std::string TRegistry::ReadString(const std::string& name)
{
    const int size = GetDataSize(name);
    if (size <= 0)
        return {};
    // One byte more than the data, always zero, so that data without a terminator still ends.
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
    DWORD type = REG_NONE;
    GetData(name, buffer.data(), static_cast<DWORD>(size), type);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException(FormatMessageText("Invalid data type for '%s'", name));
    return std::string(buffer.data(), strnlen(buffer.data(), static_cast<std::size_t>(size)));
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    PutData(name, value.c_str(), static_cast<DWORD>(value.size() + 1), REG_SZ);
}

void TRegistry::DeleteValue(const std::string& name)
{
    const LSTATUS rc = RegDeleteValueA(currentKey_.get(), name.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        throw ERegistryException(FormatMessageText("Failed to delete value '%s'", name));
}
