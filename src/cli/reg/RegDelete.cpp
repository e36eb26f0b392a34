// reg delete: a key with everything below it, all its values, or one value.
#include "cli/reg/RegArguments.h"
#include "cli/reg/RegConsole.h"
#include "cli/reg/RegKeys.h"
#include "cli/reg/RegOperations.h"

namespace reg {

namespace {

int deleteKey(const KeyName& key, bool force)
{
    if (key.path.empty())
        return failure("ERROR: Access is denied.");
    if (std::optional<int> status =
            force ? std::nullopt : declined("Permanently delete the registry key " + key.fullName + " "))
        return *status;
    if (LSTATUS rc = deleteTree(key.root, key.path); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    return succeeded();
}

int deleteAllValues(const KeyName& key, bool force)
{
    if (std::optional<int> status =
            force ? std::nullopt : declined("Delete all values under the registry key " + key.fullName + " "))
        return *status;
    UniqueRegKey writable;
    if (LSTATUS rc = openKey(key.root, key.path, KEY_ALL_ACCESS, writable); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    std::vector<Value> values;
    if (LSTATUS rc = listValues(writable.get(), values); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    for (const Value& v : values)
        if (LSTATUS rc = RegDeleteValueA(writable.get(), v.name.c_str());
            rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
            return systemFailure(rc);
    return succeeded();
}

// readable: the key, open for reading, to tell a missing value before asking.
int deleteOneValue(const KeyName& key, HKEY readable, const std::string& name, bool force)
{
    Value existing;
    if (LSTATUS rc = readValue(readable, name, existing); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    if (std::optional<int> status =
            force ? std::nullopt : declined("Delete the registry value " + valueLabel(name) + " "))
        return *status;
    UniqueRegKey writable;
    if (LSTATUS rc = openKey(key.root, key.path, KEY_SET_VALUE, writable); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    if (LSTATUS rc = RegDeleteValueA(writable.get(), name.c_str()); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    return succeeded();
}

} // namespace

int runDelete(const CommandArgs& args)
{
    DeleteArguments remove;
    if (const std::optional<int> refused = parseDeleteArguments(args, remove))
        return *refused;
    UniqueRegKey handle;
    if (LSTATUS rc = openKey(remove.key.root, remove.key.path, KEY_READ, handle); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    if (!remove.valueName && !remove.emptyValue && !remove.allValues)
        return deleteKey(remove.key, remove.force);
    if (remove.allValues)
        return deleteAllValues(remove.key, remove.force);
    return deleteOneValue(remove.key, handle.get(), remove.valueName.value_or(""), remove.force);
}

} // namespace reg
