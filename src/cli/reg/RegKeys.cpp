#include "cli/reg/RegKeys.h"

namespace reg {

LSTATUS openKey(HKEY parent, const std::string& path, REGSAM access, UniqueRegKey& key)
{
    HKEY opened = nullptr;
    const LSTATUS rc = RegOpenKeyExA(parent, path.c_str(), 0, access, &opened);
    key.reset(rc == ERROR_SUCCESS ? opened : nullptr);
    return rc;
}

LSTATUS readValue(HKEY key, const std::string& name, Value& value)
{
    DWORD size = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string data(size, '\0');
        DWORD got = size;
        const LSTATUS rc = RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                                            size > 0 ? reinterpret_cast<LPBYTE>(data.data()) : nullptr, &got);
        if (rc == ERROR_MORE_DATA || (rc == ERROR_SUCCESS && size == 0 && got > 0)) {
            size = got;
            continue;
        }
        if (rc != ERROR_SUCCESS)
            return rc;
        data.resize(got);
        value.name = name;
        value.data = std::move(data);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

LSTATUS listValues(HKEY key, std::vector<Value>& values)
{
    for (DWORD index = 0;; ++index) {
        std::vector<char> name(16384);
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD type = 0, dataSize = 0;
        LSTATUS rc = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, nullptr, &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS)
            return rc;
        Value value;
        if (rc = readValue(key, std::string(name.data(), nameSize), value); rc != ERROR_SUCCESS)
            return rc;
        values.push_back(std::move(value));
    }
}

LSTATUS listSubkeys(HKEY key, std::vector<std::string>& names)
{
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD size = sizeof name;
        const LSTATUS rc = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS)
            return rc;
        names.emplace_back(name, size);
    }
}

// Children first: Windows' own RegDeleteKeyA refuses a key that still has subkeys.
LSTATUS deleteTree(HKEY parent, const std::string& path)
{
    {
        UniqueRegKey key;
        if (LSTATUS rc = openKey(parent, path, KEY_READ, key); rc != ERROR_SUCCESS)
            return rc;
        std::vector<std::string> subkeys;
        if (LSTATUS rc = listSubkeys(key.get(), subkeys); rc != ERROR_SUCCESS)
            return rc;
        for (const std::string& sub : subkeys)
            if (LSTATUS rc = deleteTree(key.get(), sub); rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                return rc;
    }
    return RegDeleteKeyA(parent, path.c_str());
}

} // namespace reg
