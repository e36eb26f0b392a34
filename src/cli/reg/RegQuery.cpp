// reg query: a key's values and subkeys, a single value, or a search below the key.
#include "cli/reg/RegArguments.h"
#include "cli/reg/RegConsole.h"
#include "cli/reg/RegKeys.h"
#include "cli/reg/RegOperations.h"
#include "cli/reg/RegValueText.h"

namespace reg {

namespace {

void printValue(const std::string& name, DWORD type, const std::string& data)
{
    out("    " + valueLabel(name) + "    " + typeName(type) + "    " + formatData(type, data) + "\n");
}

int queryAll(HKEY key, const std::string& name, bool recurse, bool nested)
{
    std::vector<Value> values;
    if (LSTATUS rc = listValues(key, values); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    if (!values.empty() || nested)
        out(name + "\n");
    for (const Value& v : values)
        printValue(v.name, v.type, v.data);
    if (!values.empty() || nested)
        out("\n");
    std::vector<std::string> subkeys;
    if (LSTATUS rc = listSubkeys(key, subkeys); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    for (const std::string& sub : subkeys) {
        if (!recurse) {
            out(name + "\\" + sub + "\n");
            continue;
        }
        UniqueRegKey child;
        if (openKey(key, sub, KEY_READ, child) == ERROR_SUCCESS)
            queryAll(child.get(), name + "\\" + sub, true, true);
    }
    return exitSuccess;
}

void queryValueRecursively(HKEY key, const std::string& name, const std::string& valueName, int& matches)
{
    Value value;
    if (readValue(key, valueName, value) == ERROR_SUCCESS) {
        out(name + "\n");
        printValue(valueName, value.type, value.data);
        out("\n");
        ++matches;
    }
    std::vector<std::string> subkeys;
    if (listSubkeys(key, subkeys) != ERROR_SUCCESS)
        return;
    for (const std::string& sub : subkeys) {
        UniqueRegKey child;
        if (openKey(key, sub, KEY_READ, child) == ERROR_SUCCESS)
            queryValueRecursively(child.get(), name + "\\" + sub, valueName, matches);
    }
}

// /s with /v or /ve: every key at and below this one that holds the value.
int searchValue(HKEY key, const std::string& name, const std::string& wanted)
{
    int matches = 0;
    out("\n");
    queryValueRecursively(key, name, wanted, matches);
    out("End of search: " + std::to_string(matches) + " match(es) found.\n");
    return exitSuccess;
}

int queryOneValue(HKEY key, const std::string& name, const std::string& wanted, bool emptyValue)
{
    Value value;
    const LSTATUS rc = readValue(key, wanted, value);
    if (rc == ERROR_FILE_NOT_FOUND && emptyValue) {
        out("\n" + name + "\n    (Default)    REG_SZ    (value not set)\n\n");
        return exitSuccess;
    }
    if (rc != ERROR_SUCCESS)
        return systemFailure(rc);
    out("\n" + name + "\n");
    printValue(wanted, value.type, value.data);
    out("\n");
    return exitSuccess;
}

} // namespace

int runQuery(const CommandArgs& args)
{
    QueryArguments query;
    if (const std::optional<int> refused = parseQueryArguments(args, query))
        return *refused;
    const KeyName& key = query.key;
    UniqueRegKey handle;
    if (LSTATUS rc = openKey(key.root, key.path, KEY_READ, handle); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    if (!query.valueName && !query.emptyValue) {
        out("\n");
        return queryAll(handle.get(), key.fullName, query.recurse, false);
    }
    const std::string wanted = query.valueName.value_or(std::string());
    if (query.recurse)
        return searchValue(handle.get(), key.fullName, wanted);
    return queryOneValue(handle.get(), key.fullName, wanted, query.emptyValue);
}

} // namespace reg
