#include "cli/reg/RegArguments.h"

#include "cli/reg/RegConsole.h"

namespace reg {

namespace {

struct Root {
    HKEY key;
    const char* shortName;
    const char* longName;
};

const Root roots[] = {
    {HKEY_LOCAL_MACHINE, "HKLM", "HKEY_LOCAL_MACHINE"},   {HKEY_CURRENT_USER, "HKCU", "HKEY_CURRENT_USER"},
    {HKEY_CLASSES_ROOT, "HKCR", "HKEY_CLASSES_ROOT"},     {HKEY_USERS, "HKU", "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKCC", "HKEY_CURRENT_CONFIG"},
};

bool parseKeyName(const std::string& text, KeyName& key)
{
    if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\')
        return false; // another machine's registry
    const std::size_t slash = text.find('\\');
    const std::string rootName = text.substr(0, slash);
    for (const Root& root : roots) {
        if (!isKeyword(rootName, root.shortName) && !isKeyword(rootName, root.longName))
            continue;
        key.root = root.key;
        key.path = slash == std::string::npos ? std::string() : text.substr(slash + 1);
        if (!key.path.empty() && key.path.back() == '\\')
            key.path.pop_back();
        if (!key.path.empty() &&
            (key.path.front() == '\\' || key.path.find("\\\\") != std::string::npos || key.path.back() == '\\'))
            return false;
        key.fullName = std::string(root.longName) + (key.path.empty() ? "" : "\\" + key.path);
        return true;
    }
    return false;
}

// "/v" or "-v" gives "v"; anything else is no switch.
std::optional<std::string> switchName(const std::string& arg)
{
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
        return std::nullopt;
    return arg.substr(1);
}

// Accepted and ignored: there is one registry view here.
bool isViewSwitch(const std::string& name)
{
    return isKeyword(name, "REG:32") || isKeyword(name, "REG:64");
}

bool takeQuerySwitch(const CommandArgs& args, std::size_t& i, QueryArguments& query)
{
    const std::optional<std::string> name = switchName(args[i]);
    if (!name)
        return false;
    if (isKeyword(*name, "V")) {
        if (query.valueName || query.emptyValue || i + 1 >= args.size())
            return false;
        query.valueName = args[++i];
    } else if (isKeyword(*name, "VE")) {
        if (query.valueName || query.emptyValue)
            return false;
        query.emptyValue = true;
    } else if (isKeyword(*name, "S")) {
        if (query.recurse)
            return false;
        query.recurse = true;
    } else if (!isViewSwitch(*name)) {
        return false;
    }
    return true;
}

bool takeAddSwitch(const CommandArgs& args, std::size_t& i, AddArguments& add)
{
    const std::optional<std::string> name = switchName(args[i]);
    if (!name)
        return false;
    const bool hasArgument = i + 1 < args.size();
    if (isKeyword(*name, "V") && !add.valueName && !add.emptyValue && hasArgument)
        add.valueName = args[++i];
    else if (isKeyword(*name, "VE") && !add.valueName && !add.emptyValue)
        add.emptyValue = true;
    else if (isKeyword(*name, "T") && !add.typeText && hasArgument)
        add.typeText = args[++i];
    else if (isKeyword(*name, "D") && !add.data && hasArgument)
        add.data = args[++i];
    else if (isKeyword(*name, "S") && !add.separator && hasArgument && args[i + 1].size() == 1)
        add.separator = args[++i][0];
    else if (isKeyword(*name, "F") && !add.force)
        add.force = true;
    else
        return isViewSwitch(*name);
    return true;
}

bool takeDeleteSwitch(const CommandArgs& args, std::size_t& i, DeleteArguments& remove)
{
    const std::optional<std::string> name = switchName(args[i]);
    if (!name)
        return false;
    const bool oneAlready = remove.valueName || remove.emptyValue || remove.allValues;
    if (isKeyword(*name, "V") && !oneAlready && i + 1 < args.size())
        remove.valueName = args[++i];
    else if (isKeyword(*name, "VE") && !oneAlready)
        remove.emptyValue = true;
    else if (isKeyword(*name, "VA") && !oneAlready)
        remove.allValues = true;
    else if (isKeyword(*name, "F") && !remove.force)
        remove.force = true;
    else
        return isViewSwitch(*name);
    return true;
}

// The key, then every switch after it; the first one that does not fit is a usage error.
template <typename Arguments>
std::optional<int> parse(const char* operation, const CommandArgs& args, Arguments& arguments,
                         bool (*takeSwitch)(const CommandArgs&, std::size_t&, Arguments&))
{
    if (!parseKeyName(args[1], arguments.key))
        return usageError(operation, "ERROR: Invalid key name.");
    for (std::size_t i = 2; i < args.size(); ++i)
        if (!takeSwitch(args, i, arguments))
            return usageError(operation);
    return std::nullopt;
}

} // namespace

std::optional<int> parseQueryArguments(const CommandArgs& args, QueryArguments& query)
{
    return parse("query", args, query, takeQuerySwitch);
}

std::optional<int> parseAddArguments(const CommandArgs& args, AddArguments& add)
{
    if (const std::optional<int> refused = parse("add", args, add, takeAddSwitch))
        return refused;
    const KeyName& key = add.key;
    if (key.path.empty())
        return usageError("add", "ERROR: Invalid key name.");
    return std::nullopt;
}

std::optional<int> parseDeleteArguments(const CommandArgs& args, DeleteArguments& remove)
{
    return parse("delete", args, remove, takeDeleteSwitch);
}

} // namespace reg
