// The registry functions over one SQLite database per hive (registry_hive.h). An HKEY is an
// object of ours (hive, key id, granted access) or one of the predefined roots 0x8000000x.
#include "platform/registry.h"

#include "platform/registry/registry_hive.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

using wincompat::registry::Hive;
using wincompat::registry::KeyId;
using wincompat::registry::rootKeyId;
using wincompat::registry::SubkeyInfo;
using wincompat::registry::ValueData;

struct HKEY__ {
    std::shared_ptr<Hive> hive;
    KeyId key = rootKeyId;
    REGSAM access = 0;
};

namespace {

constexpr REGSAM GENERIC_READ_ = 0x80000000u;
constexpr REGSAM GENERIC_WRITE_ = 0x40000000u;
constexpr REGSAM GENERIC_EXECUTE_ = 0x20000000u;
constexpr REGSAM GENERIC_ALL_ = 0x10000000u;
constexpr REGSAM MAXIMUM_ALLOWED_ = 0x02000000u;
constexpr REGSAM WRITE_DAC_ = 0x00040000u;
constexpr REGSAM WRITE_OWNER_ = 0x00080000u;
constexpr REGSAM writeRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC_ | WRITE_OWNER_;
constexpr DWORD maxValueNameLength = 16383;
constexpr DWORD maxKeyNameLength = 255;

std::mutex& apiMutex()
{
    static std::mutex m;
    return m;
}

std::unordered_set<HKEY__*>& liveHandles()
{
    static std::unordered_set<HKEY__*> handles;
    return handles;
}

bool isPredefined(HKEY key)
{
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    return value >= 0x80000000u && value <= 0x80000006u;
}

// What a call works on: the hive, the key in it, and the rights the handle carries.
struct Target {
    std::shared_ptr<Hive> hive;
    KeyId key = rootKeyId;
    REGSAM access = 0;
};

LSTATUS resolve(HKEY handle, Target& target)
{
    if (handle == nullptr)
        return ERROR_INVALID_HANDLE;
    if (isPredefined(handle)) {
        if (LSTATUS rc = Hive::forRoot(reinterpret_cast<std::uintptr_t>(handle), target.hive); rc != ERROR_SUCCESS)
            return rc;
        target.key = rootKeyId;
        target.access = KEY_ALL_ACCESS; // the predefined handles carry every right; the file decides
        return ERROR_SUCCESS;
    }
    auto& handles = liveHandles();
    if (handles.find(handle) == handles.end())
        return ERROR_INVALID_HANDLE;
    target.hive = handle->hive;
    target.key = handle->key;
    target.access = handle->access;
    return ERROR_SUCCESS;
}

REGSAM grantedAccess(REGSAM desired, Hive& hive)
{
    REGSAM access = desired & ~static_cast<REGSAM>(KEY_WOW64_32KEY | KEY_WOW64_64KEY);
    if (access & GENERIC_READ_)
        access |= KEY_READ;
    if (access & GENERIC_WRITE_)
        access |= KEY_WRITE;
    if (access & GENERIC_EXECUTE_)
        access |= KEY_EXECUTE;
    if (access & GENERIC_ALL_)
        access |= KEY_ALL_ACCESS;
    if (access & MAXIMUM_ALLOWED_)
        access |= hive.mayWrite() ? KEY_ALL_ACCESS : KEY_READ;
    return access & ~(GENERIC_READ_ | GENERIC_WRITE_ | GENERIC_EXECUTE_ | GENERIC_ALL_ | MAXIMUM_ALLOWED_);
}

// "A\B\C" -> {A, B, C}. One trailing backslash is tolerated; a leading one, or an empty
// name between two, is not a path Windows accepts.
LSTATUS splitPath(LPCSTR subKey, std::vector<std::string>& parts)
{
    parts.clear();
    if (subKey == nullptr || *subKey == '\0')
        return ERROR_SUCCESS;
    std::string path(subKey);
    if (path.front() == '\\')
        return ERROR_BAD_PATHNAME;
    if (path.back() == '\\')
        path.pop_back();
    std::size_t start = 0;
    while (true) {
        const std::size_t end = path.find('\\', start);
        std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty())
            return ERROR_BAD_PATHNAME;
        if (part.size() > maxKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        parts.push_back(std::move(part));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

HKEY newHandle(const std::shared_ptr<Hive>& hive, KeyId key, REGSAM access)
{
    auto handle = std::make_unique<HKEY__>();
    handle->hive = hive;
    handle->key = key;
    handle->access = access;
    HKEY raw = handle.release();
    liveHandles().insert(raw);
    return raw;
}

LSTATUS copyData(const std::string& bytes, LPBYTE data, LPDWORD dataSize)
{
    const auto needed = static_cast<DWORD>(bytes.size());
    if (data != nullptr) {
        if (*dataSize < needed) {
            *dataSize = needed;
            return ERROR_MORE_DATA;
        }
        if (needed > 0)
            std::memcpy(data, bytes.data(), needed);
    }
    if (dataSize != nullptr)
        *dataSize = needed;
    return ERROR_SUCCESS;
}

std::string nameOrEmpty(LPCSTR name)
{
    return name == nullptr ? std::string() : std::string(name);
}

// The existing key a path names below an open key or a root.
LSTATUS findSubKey(HKEY key, LPCSTR subKey, Target& from, std::vector<std::string>& path, KeyId& found)
{
    if (LSTATUS rc = resolve(key, from); rc != ERROR_SUCCESS)
        return rc;
    if (LSTATUS rc = splitPath(subKey, path); rc != ERROR_SUCCESS)
        return rc;
    return from.hive->findKey(from.key, path, found);
}

} // namespace

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM samDesired, PHKEY result)
{
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::lock_guard lock(apiMutex());
    Target from;
    std::vector<std::string> path;
    KeyId found = rootKeyId;
    if (LSTATUS rc = findSubKey(key, subKey, from, path, found); rc != ERROR_SUCCESS)
        return rc;
    const REGSAM access = grantedAccess(samDesired, *from.hive);
    // As under Windows' access checks: asking for a right the caller does not have fails the open.
    if ((access & writeRights) && !from.hive->mayWrite())
        return ERROR_ACCESS_DENIED;
    *result = newHandle(from.hive, found, access);
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM samDesired, SECURITY_ATTRIBUTES*,
                        PHKEY result, LPDWORD disposition)
{
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::lock_guard lock(apiMutex());
    Target from;
    if (LSTATUS rc = resolve(key, from); rc != ERROR_SUCCESS)
        return rc;
    std::vector<std::string> path;
    if (LSTATUS rc = splitPath(subKey, path); rc != ERROR_SUCCESS)
        return rc;
    const REGSAM access = grantedAccess(samDesired, *from.hive);
    if ((access & writeRights) && !from.hive->mayWrite())
        return ERROR_ACCESS_DENIED;
    KeyId found = rootKeyId;
    LSTATUS rc = from.hive->findKey(from.key, path, found);
    bool created = false;
    if (rc == ERROR_FILE_NOT_FOUND) {
        if (!(from.access & KEY_CREATE_SUB_KEY) || !from.hive->mayWrite())
            return ERROR_ACCESS_DENIED;
        rc = from.hive->createKey(from.key, path, found, created);
    }
    if (rc != ERROR_SUCCESS)
        return rc;
    if (disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = newHandle(from.hive, found, access);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(apiMutex());
    Target target;
    if (LSTATUS rc = resolve(key, target); rc != ERROR_SUCCESS)
        return rc;
    if (!(target.access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    ValueData value;
    if (LSTATUS rc = target.hive->queryValue(target.key, nameOrEmpty(valueName), value); rc != ERROR_SUCCESS)
        return rc;
    if (type != nullptr)
        *type = value.type;
    return copyData(value.bytes, data, dataSize);
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize)
{
    if (reserved != 0 || (data == nullptr && dataSize != 0))
        return ERROR_INVALID_PARAMETER;
    const std::string name = nameOrEmpty(valueName);
    if (name.size() > maxValueNameLength)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(apiMutex());
    Target target;
    if (LSTATUS rc = resolve(key, target); rc != ERROR_SUCCESS)
        return rc;
    if (!(target.access & KEY_SET_VALUE) || !target.hive->mayWrite())
        return ERROR_ACCESS_DENIED;
    return target.hive->setValue(target.key, name, type, data, dataSize);
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName)
{
    std::lock_guard lock(apiMutex());
    Target target;
    if (LSTATUS rc = resolve(key, target); rc != ERROR_SUCCESS)
        return rc;
    if (!(target.access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    const std::string name = nameOrEmpty(valueName);
    ValueData existing;
    if (LSTATUS rc = target.hive->queryValue(target.key, name, existing); rc != ERROR_SUCCESS)
        return rc;
    if (!target.hive->mayWrite())
        return ERROR_ACCESS_DENIED;
    return target.hive->deleteValue(target.key, name);
}

LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey)
{
    if (subKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(apiMutex());
    Target target;
    std::vector<std::string> path;
    KeyId found = rootKeyId;
    if (LSTATUS rc = findSubKey(key, subKey, target, path, found); rc != ERROR_SUCCESS)
        return rc;
    if (found == rootKeyId || !target.hive->mayWrite())
        return ERROR_ACCESS_DENIED;
    // Windows deletes leaves only; a caller removes the children first.
    if (SubkeyInfo child; target.hive->enumKey(found, 0, child) == ERROR_SUCCESS)
        return ERROR_ACCESS_DENIED;
    return target.hive->deleteKey(target.key, path);
}

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR keyClass,
                      LPDWORD classSize, FILETIME* lastWriteTime)
{
    if (name == nullptr || nameSize == nullptr || reserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(apiMutex());
    Target target;
    if (LSTATUS rc = resolve(key, target); rc != ERROR_SUCCESS)
        return rc;
    if (!(target.access & KEY_ENUMERATE_SUB_KEYS))
        return ERROR_ACCESS_DENIED;
    SubkeyInfo info;
    if (LSTATUS rc = target.hive->enumKey(target.key, index, info); rc != ERROR_SUCCESS)
        return rc;
    if (info.name.size() + 1 > *nameSize)
        return ERROR_MORE_DATA;
    std::memcpy(name, info.name.c_str(), info.name.size() + 1);
    *nameSize = static_cast<DWORD>(info.name.size());
    if (keyClass != nullptr && classSize != nullptr && *classSize > 0)
        keyClass[0] = '\0';
    if (classSize != nullptr)
        *classSize = 0;
    if (lastWriteTime != nullptr) {
        lastWriteTime->dwLowDateTime = static_cast<DWORD>(info.lastWrite & 0xffffffffu);
        lastWriteTime->dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(info.lastWrite) >> 32);
    }
    return ERROR_SUCCESS;
}

LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD dataSize)
{
    if (valueName == nullptr || valueNameSize == nullptr || reserved != nullptr ||
        (data != nullptr && dataSize == nullptr))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(apiMutex());
    Target target;
    if (LSTATUS rc = resolve(key, target); rc != ERROR_SUCCESS)
        return rc;
    if (!(target.access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    std::string name;
    ValueData value;
    if (LSTATUS rc = target.hive->enumValue(target.key, index, name, value); rc != ERROR_SUCCESS)
        return rc;
    if (name.size() + 1 > *valueNameSize)
        return ERROR_MORE_DATA;
    std::memcpy(valueName, name.c_str(), name.size() + 1);
    *valueNameSize = static_cast<DWORD>(name.size());
    if (type != nullptr)
        *type = value.type;
    return copyData(value.bytes, data, dataSize);
}

LSTATUS RegCloseKey(HKEY key)
{
    if (isPredefined(key))
        return ERROR_SUCCESS;
    std::unique_ptr<HKEY__> owned;
    {
        std::lock_guard lock(apiMutex());
        auto& handles = liveHandles();
        auto it = handles.find(key);
        if (it == handles.end())
            return ERROR_INVALID_HANDLE;
        handles.erase(it);
        owned.reset(key);
        // The hive (and its database connection) goes with its last handle, under the lock.
        owned.reset();
    }
    return ERROR_SUCCESS;
}

namespace wincompat {
std::string registryHiveFile(HKEY predefinedRoot)
{
    if (!isPredefined(predefinedRoot))
        return {};
    std::lock_guard lock(apiMutex());
    return Hive::fileFor(reinterpret_cast<std::uintptr_t>(predefinedRoot));
}
} // namespace wincompat
