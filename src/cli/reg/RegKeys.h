#pragma once
// Reading and walking keys for reg, every handle in an owner.
#include "platform/registry.h"
#include "settings/UniqueRegKey.h"

#include <string>
#include <vector>

namespace reg {

struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

// Opens into a key owner, so that every path out closes the handle.
LSTATUS openKey(HKEY parent, const std::string& path, REGSAM access, UniqueRegKey& key);
LSTATUS readValue(HKEY key, const std::string& name, Value& value);
LSTATUS listValues(HKEY key, std::vector<Value>& values);
LSTATUS listSubkeys(HKEY key, std::vector<std::string>& names);
// The key and everything below it.
LSTATUS deleteTree(HKEY parent, const std::string& path);

} // namespace reg
