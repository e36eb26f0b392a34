// tallyrune-updatectl reg: Windows' reg command (query, add, delete) over the platform registry,
// with its syntax, its output and its exit codes, except that a usage error exits with 2.
#include "cli/Commands.h"

#include "framework/core/Exceptions.h"
#include "framework/core/HexText.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "settings/UniqueRegKey.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

const char* const notFoundMessage = "ERROR: The system was unable to find the specified registry key or value.";

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

struct TypeName {
    DWORD type;
    const char* name;
};

const TypeName typeNames[] = {
    {REG_NONE, "REG_NONE"},
    {REG_SZ, "REG_SZ"},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
    {REG_LINK, "REG_LINK"},
    {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {8, "REG_RESOURCE_LIST"},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST"},
    {REG_QWORD, "REG_QWORD"},
};

// Switches, operations, roots and type names match whatever the case of their letters.
bool isKeyword(const std::string& text, const char* keyword)
{
    return wincompat::sameKeyword(text, keyword);
}

void out(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int usageError(const std::string& operation, const std::string& detail = "ERROR: Invalid syntax.")
{
    std::fprintf(stderr, "%s\nType \"tallyrune-updatectl reg %s/?\" for usage.\n", detail.c_str(),
                 operation.empty() ? "" : (operation + " ").c_str());
    return exitUsage;
}

int failure(const std::string& message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    return exitFailure;
}

int systemFailure(LSTATUS rc)
{
    if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND)
        return failure(notFoundMessage);
    const std::string text = SysErrorMessage(static_cast<unsigned long>(rc));
    return failure("ERROR: " + (text.empty() ? "Error " + std::to_string(rc) + "." : text));
}

// Opens (or creates) into a key owner, so that every path out closes the handle.
LSTATUS openKey(HKEY parent, const std::string& path, REGSAM access, UniqueRegKey& key)
{
    HKEY opened = nullptr;
    const LSTATUS rc = RegOpenKeyExA(parent, path.c_str(), 0, access, &opened);
    key.reset(rc == ERROR_SUCCESS ? opened : nullptr);
    return rc;
}

struct KeyName {
    HKEY root = nullptr;
    std::string path;     // below the root, without a trailing "\"
    std::string fullName; // with the root's long name, as the output shows it
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

std::string typeName(DWORD type)
{
    for (const TypeName& t : typeNames)
        if (t.type == type)
            return t.name;
    char text[32];
    std::snprintf(text, sizeof text, "0x%" PRIx32, static_cast<std::uint32_t>(type));
    return text;
}

std::optional<DWORD> typeFromName(const std::string& name)
{
    for (const TypeName& t : typeNames)
        if (isKeyword(name, t.name) && t.type != REG_LINK && (t.type < 8 || t.type > 10))
            return t.type;
    return std::nullopt;
}

std::string formatData(DWORD type, const std::string& bytes)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return std::string(bytes.c_str(), strnlen(bytes.c_str(), bytes.size()));
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        unsigned char b[4] = {};
        std::memcpy(b, bytes.data(), std::min<std::size_t>(bytes.size(), 4));
        const std::uint32_t v = type == REG_DWORD ? (b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t(b[3]) << 24)
                                                  : (b[3] | b[2] << 8 | b[1] << 16 | std::uint32_t(b[0]) << 24);
        char text[16];
        std::snprintf(text, sizeof text, "0x%" PRIx32, v);
        return text;
    }
    case REG_QWORD: {
        std::uint64_t v = 0;
        for (std::size_t i = std::min<std::size_t>(bytes.size(), 8); i > 0; --i)
            v = v << 8 | static_cast<unsigned char>(bytes[i - 1]);
        char text[24];
        std::snprintf(text, sizeof text, "0x%" PRIx64, v);
        return text;
    }
    case REG_MULTI_SZ: {
        std::string data = bytes;
        while (!data.empty() && data.back() == '\0')
            data.pop_back();
        std::string text;
        for (char c : data)
            text += c == '\0' ? std::string("\\0") : std::string(1, c);
        return text;
    }
    default: return toHex(bytes);
    }
}

void printValue(const std::string& name, DWORD type, const std::string& data)
{
    out("    " + (name.empty() ? std::string("(Default)") : name) + "    " + typeName(type) + "    " +
        formatData(type, data) + "\n");
}

struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

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

bool confirm(const std::string& question)
{
    while (true) {
        out(question + "(Yes/No)? ");
        std::fflush(stdout);
        char answer[256];
        if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
            out("\n");
            return false; // no one to answer: nothing is changed
        }
        const char* p = answer;
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p == 'y' || *p == 'Y')
            return true;
        if (*p == 'n' || *p == 'N')
            return false;
    }
}

int cancelled()
{
    out("The operation was canceled by the user.\n");
    return exitSuccess;
}

int succeeded()
{
    out("The operation completed successfully.\n");
    return exitSuccess;
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

// ---- query -------------------------------------------------------------------------------

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

int runQuery(const CommandArgs& args)
{
    KeyName key;
    if (!parseKeyName(args[1], key))
        return usageError("query", "ERROR: Invalid key name.");
    std::optional<std::string> valueName;
    bool emptyValue = false, recurse = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string opt = args[i];
        if (opt.size() < 2 || (opt[0] != '/' && opt[0] != '-'))
            return usageError("query");
        const std::string name = opt.substr(1);
        if (isKeyword(name, "V")) {
            if (valueName || emptyValue || i + 1 >= args.size())
                return usageError("query");
            valueName = args[++i];
        } else if (isKeyword(name, "VE")) {
            if (valueName || emptyValue)
                return usageError("query");
            emptyValue = true;
        } else if (isKeyword(name, "S")) {
            if (recurse)
                return usageError("query");
            recurse = true;
        } else if (!isKeyword(name, "REG:32") && !isKeyword(name, "REG:64")) {
            return usageError("query");
        }
    }

    UniqueRegKey handle;
    if (LSTATUS rc = openKey(key.root, key.path, KEY_READ, handle); rc != ERROR_SUCCESS)
        return systemFailure(rc);

    if (!valueName && !emptyValue) {
        out("\n");
        return queryAll(handle.get(), key.fullName, recurse, false);
    }
    const std::string wanted = valueName ? *valueName : std::string();
    if (recurse) {
        int matches = 0;
        out("\n");
        queryValueRecursively(handle.get(), key.fullName, wanted, matches);
        out("End of search: " + std::to_string(matches) + " match(es) found.\n");
        return exitSuccess;
    }
    Value value;
    const LSTATUS rc = readValue(handle.get(), wanted, value);
    if (rc == ERROR_FILE_NOT_FOUND && emptyValue) {
        out("\n" + key.fullName + "\n    (Default)    REG_SZ    (value not set)\n\n");
        return exitSuccess;
    }
    if (rc != ERROR_SUCCESS)
        return systemFailure(rc);
    out("\n" + key.fullName + "\n");
    printValue(wanted, value.type, value.data);
    out("\n");
    return exitSuccess;
}

// ---- add ---------------------------------------------------------------------------------

bool parseNumber(const std::string& text, std::uint64_t limit, std::uint64_t& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    // strtoull would take blanks and a sign after the prefix, and wrap "0x-1" to the largest value.
    if (hex && !std::isxdigit(static_cast<unsigned char>(text[2])))
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno != 0 || end == nullptr || *end != '\0' || v > limit)
        return false;
    value = v;
    return true;
}

// The bytes stored for /d DATA of a type; empty optional and a message for data that does not fit.
std::optional<std::string> encodeData(DWORD type, const std::string& data, char separator, bool separatorGiven,
                                      std::string& error)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_NONE: return data + std::string(1, '\0');
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        std::uint64_t v = 0;
        if (!parseNumber(data, 0xFFFFFFFFull, v)) {
            error = "ERROR: Invalid syntax. Specify valid numeric value.";
            return std::nullopt;
        }
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[type == REG_DWORD ? i : 3 - i] = static_cast<char>(v >> (8 * i) & 0xff);
        return bytes;
    }
    case REG_QWORD: {
        std::uint64_t v = 0;
        if (!parseNumber(data, ~0ull, v)) {
            error = "ERROR: Invalid syntax. Specify valid numeric value.";
            return std::nullopt;
        }
        std::string bytes(8, '\0');
        for (int i = 0; i < 8; ++i)
            bytes[i] = static_cast<char>(v >> (8 * i) & 0xff);
        return bytes;
    }
    case REG_BINARY: {
        // An odd number of digits has its leading zero left out.
        std::string bytes;
        if (!fromHex(data.size() % 2 ? "0" + data : data, bytes)) {
            error = "ERROR: Invalid syntax. Specify valid hexadecimal value.";
            return std::nullopt;
        }
        return bytes;
    }
    case REG_MULTI_SZ: {
        std::vector<std::string> items;
        std::string current;
        for (std::size_t i = 0; i < data.size(); ++i) {
            const bool split =
                separatorGiven ? data[i] == separator : (data[i] == '\\' && i + 1 < data.size() && data[i + 1] == '0');
            if (!split) {
                current += data[i];
                continue;
            }
            if (!separatorGiven)
                ++i;
            items.push_back(current);
            current.clear();
        }
        if (!data.empty())
            items.push_back(current);
        std::string bytes;
        for (std::size_t i = 0; i < items.size(); ++i) {
            // An empty string inside the list would end it early for every reader.
            if (items[i].empty() && i + 1 < items.size()) {
                error = "ERROR: Invalid syntax. Specify valid string.";
                return std::nullopt;
            }
            if (!items[i].empty())
                bytes += items[i] + std::string(1, '\0');
        }
        bytes += '\0';
        return bytes;
    }
    default: error = "ERROR: Invalid syntax."; return std::nullopt;
    }
}

int runAdd(const CommandArgs& args)
{
    KeyName key;
    if (!parseKeyName(args[1], key))
        return usageError("add", "ERROR: Invalid key name.");
    std::optional<std::string> valueName, typeText, data;
    std::optional<char> separator;
    bool emptyValue = false, force = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string opt = args[i];
        if (opt.size() < 2 || (opt[0] != '/' && opt[0] != '-'))
            return usageError("add");
        const std::string name = opt.substr(1);
        const bool hasArgument = i + 1 < args.size();
        if (isKeyword(name, "V") && !valueName && !emptyValue && hasArgument)
            valueName = args[++i];
        else if (isKeyword(name, "VE") && !valueName && !emptyValue)
            emptyValue = true;
        else if (isKeyword(name, "T") && !typeText && hasArgument)
            typeText = args[++i];
        else if (isKeyword(name, "D") && !data && hasArgument)
            data = args[++i];
        else if (isKeyword(name, "S") && !separator && hasArgument && args[i + 1].size() == 1)
            separator = args[++i][0];
        else if (isKeyword(name, "F") && !force)
            force = true;
        else if (!isKeyword(name, "REG:32") && !isKeyword(name, "REG:64"))
            return usageError("add");
    }
    if (key.path.empty())
        return usageError("add", "ERROR: Invalid key name.");
    DWORD type = REG_SZ;
    if (typeText) {
        const auto parsed = typeFromName(*typeText);
        if (!parsed)
            return usageError("add");
        type = *parsed;
    }
    const bool setsValue = valueName || emptyValue || data || typeText;
    std::optional<std::string> bytes;
    if (setsValue) {
        if (!data && (type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN || type == REG_QWORD))
            return usageError("add");
        std::string error;
        bytes = encodeData(type, data.value_or(""), separator.value_or('\0'), separator.has_value(), error);
        if (!bytes)
            return usageError("add", error);
    }

    HKEY created = nullptr;
    DWORD disposition = 0;
    const LSTATUS createRc = RegCreateKeyExA(key.root, key.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_READ | KEY_WRITE, nullptr, &created, &disposition);
    if (createRc != ERROR_SUCCESS)
        return systemFailure(createRc);
    const UniqueRegKey handle(created);
    if (!setsValue)
        return succeeded();
    const std::string name = valueName.value_or("");
    if (!force && RegQueryValueExA(handle.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        !confirm("Value " + (name.empty() ? std::string("(Default)") : name) + " exists, overwrite"))
        return cancelled();
    if (LSTATUS rc = RegSetValueExA(handle.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes->data()),
                                    static_cast<DWORD>(bytes->size()));
        rc != ERROR_SUCCESS)
        return systemFailure(rc);
    return succeeded();
}

// ---- delete ------------------------------------------------------------------------------

int runDelete(const CommandArgs& args)
{
    KeyName key;
    if (!parseKeyName(args[1], key))
        return usageError("delete", "ERROR: Invalid key name.");
    std::optional<std::string> valueName;
    bool emptyValue = false, allValues = false, force = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string opt = args[i];
        if (opt.size() < 2 || (opt[0] != '/' && opt[0] != '-'))
            return usageError("delete");
        const std::string name = opt.substr(1);
        const bool oneAlready = valueName || emptyValue || allValues;
        if (isKeyword(name, "V") && !oneAlready && i + 1 < args.size())
            valueName = args[++i];
        else if (isKeyword(name, "VE") && !oneAlready)
            emptyValue = true;
        else if (isKeyword(name, "VA") && !oneAlready)
            allValues = true;
        else if (isKeyword(name, "F") && !force)
            force = true;
        else if (!isKeyword(name, "REG:32") && !isKeyword(name, "REG:64"))
            return usageError("delete");
    }

    UniqueRegKey handle;
    if (LSTATUS rc = openKey(key.root, key.path, KEY_READ, handle); rc != ERROR_SUCCESS)
        return systemFailure(rc);

    if (!valueName && !emptyValue && !allValues) {
        if (key.path.empty())
            return failure("ERROR: Access is denied.");
        if (!force && !confirm("Permanently delete the registry key " + key.fullName + " "))
            return cancelled();
        if (LSTATUS rc = deleteTree(key.root, key.path); rc != ERROR_SUCCESS)
            return systemFailure(rc);
        return succeeded();
    }

    if (allValues) {
        if (!force && !confirm("Delete all values under the registry key " + key.fullName + " "))
            return cancelled();
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

    const std::string name = valueName.value_or("");
    Value existing;
    if (LSTATUS rc = readValue(handle.get(), name, existing); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    if (!force && !confirm("Delete the registry value " + (name.empty() ? std::string("(Default)") : name) + " "))
        return cancelled();
    UniqueRegKey writable;
    if (LSTATUS rc = openKey(key.root, key.path, KEY_SET_VALUE, writable); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    if (LSTATUS rc = RegDeleteValueA(writable.get(), name.c_str()); rc != ERROR_SUCCESS)
        return systemFailure(rc);
    return succeeded();
}

void printUsage(const std::string& operation)
{
    if (operation == "query")
        out("tallyrune-updatectl reg query KEY [/v NAME | /ve] [/s]\n\n"
            "  KEY   ROOT\\Subkey, ROOT one of HKLM, HKCU, HKCR, HKU, HKCC (or the long names)\n"
            "  /v    the value NAME only        /ve   the unnamed (Default) value only\n"
            "  /s    every key below KEY too\n");
    else if (operation == "add")
        out("tallyrune-updatectl reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n\n"
            "  /t    REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_BINARY, REG_NONE\n"
            "  /d    the data: numbers in decimal or 0x hex, binary as hex digits, REG_MULTI_SZ items\n"
            "        separated by \\0 (or by the /s character)\n"
            "  /f    overwrite an existing value without asking\n");
    else if (operation == "delete")
        out("tallyrune-updatectl reg delete KEY [/v NAME | /ve | /va] [/f]\n\n"
            "  without /v, /ve or /va the key and everything below it is deleted\n"
            "  /va   every value of KEY      /f   delete without asking\n");
    else
        out("tallyrune-updatectl reg OPERATION [PARAMETERS]\n\n"
            "  OPERATION  QUERY | ADD | DELETE\n\n"
            "For help on one operation: tallyrune-updatectl reg OPERATION /?\n");
}

bool isHelp(const std::string& arg)
{
    return arg == "/?" || arg == "-?" || isKeyword(arg, "/H") || isKeyword(arg, "-H");
}

} // namespace

int RunRegCommand(const CommandArgs& args)
{
    if (args.empty())
        return usageError("");
    if (isHelp(args[0])) {
        printUsage("");
        return exitSuccess;
    }
    const char* const operations[] = {"query", "add", "delete"};
    const auto known = std::find_if(std::begin(operations), std::end(operations),
                                    [&](const char* name) { return isKeyword(args[0], name); });
    if (known == std::end(operations))
        return usageError("", "ERROR: Invalid syntax.");
    const std::string operation = *known;
    if (args.size() < 2)
        return usageError(operation);
    if (isHelp(args[1])) {
        printUsage(operation);
        return exitSuccess;
    }
    if (operation == "query")
        return runQuery(args);
    if (operation == "add")
        return runAdd(args);
    return runDelete(args);
}
