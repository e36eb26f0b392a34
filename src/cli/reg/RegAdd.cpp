// reg add: makes the key, and stores a value in it when one is named or given.
#include "cli/reg/RegArguments.h"
#include "cli/reg/RegConsole.h"
#include "cli/reg/RegOperations.h"
#include "cli/reg/RegValueText.h"
#include "settings/UniqueRegKey.h"

namespace reg {

namespace {

// The type and the bytes to store (none when only the key is made), or the usage error's status.
std::optional<int> valueToStore(const AddArguments& add, DWORD& type, std::optional<std::string>& bytes)
{
    type = REG_SZ;
    if (add.typeText) {
        const auto parsed = typeFromName(*add.typeText);
        if (!parsed)
            return usageError("add");
        type = *parsed;
    }
    if (!add.setsValue())
        return std::nullopt;
    const std::optional<std::string>& data = add.data;
    if (!data && (type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN || type == REG_QWORD))
        return usageError("add");
    std::string error;
    bytes = encodeData(type, data.value_or(""), add.separator.value_or('\0'), add.separator.has_value(), error);
    if (!bytes)
        return usageError("add", error);
    return std::nullopt;
}

int storeValue(HKEY key, const AddArguments& add, DWORD type, const std::string& bytes)
{
    const std::string name = add.valueName.value_or("");
    if (!add.force && RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        if (std::optional<int> status = declined("Value " + valueLabel(name) + " exists, overwrite"))
            return *status;
    if (LSTATUS rc = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                    static_cast<DWORD>(bytes.size()));
        rc != ERROR_SUCCESS)
        return systemFailure(rc);
    return succeeded();
}

} // namespace

int runAdd(const CommandArgs& args)
{
    AddArguments add;
    if (const std::optional<int> refused = parseAddArguments(args, add))
        return *refused;
    DWORD type = REG_SZ;
    std::optional<std::string> bytes;
    if (const std::optional<int> refused = valueToStore(add, type, bytes))
        return *refused;

    HKEY created = nullptr;
    DWORD disposition = 0;
    const LSTATUS createRc = RegCreateKeyExA(add.key.root, add.key.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_READ | KEY_WRITE, nullptr, &created, &disposition);
    if (createRc != ERROR_SUCCESS)
        return systemFailure(createRc);
    const UniqueRegKey handle(created);
    if (!bytes)
        return succeeded();
    return storeValue(handle.get(), add, type, *bytes);
}

} // namespace reg
