#include "settings/TRegIniFile.h"

#include "framework/core/Exceptions.h"

TRegIniFile::TRegIniFile(const std::string& fileName, REGSAM access) : TRegistry(access), fileName_(fileName)
{
    OpenKey(fileName, true);
}

TRegIniFile::TRegIniFile(NoOpen, const std::string& fileName, REGSAM access) : TRegistry(access), fileName_(fileName) {}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& defaultValue)
{
    UniqueRegKey key = GetKey(section);
    if (!key)
        return defaultValue;
    CurrentKeyScope scope(*this, key);
    if (!ValueExists(ident))
        return defaultValue;
    return TRegistry::ReadString(ident);
}

bool TRegIniFile::ReadStoredString(const std::string& section, const std::string& ident, std::string& value)
{
    const auto failed = [&](LSTATUS rc) {
        return ERegistryException(FormatMessageText("Failed to read '%s'", ident) + ": " + SysErrorMessage(rc));
    };
    UniqueRegKey key;
    if (const LSTATUS rc = GetKey(section, key); rc == ERROR_FILE_NOT_FOUND)
        return false;
    else if (rc != ERROR_SUCCESS)
        throw failed(rc);
    CurrentKeyScope scope(*this, key);
    DWORD type = 0, size = 0;
    if (const LSTATUS rc = RegQueryValueExA(CurrentKey(), ident.c_str(), nullptr, &type, nullptr, &size);
        rc == ERROR_FILE_NOT_FOUND)
        return false;
    else if (rc != ERROR_SUCCESS)
        throw failed(rc);
    value = TRegistry::ReadString(ident);
    return true;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    CreateKey(section);
    UniqueRegKey key = GetKey(section);
    if (!key)
        return;
    CurrentKeyScope scope(*this, key);
    TRegistry::WriteString(ident, value);
}

void TRegIniFile::DeleteKey(const std::string& section, const std::string& ident)
{
    UniqueRegKey key = GetKey(section);
    if (!key)
        return; // no section: no value to remove
    CurrentKeyScope scope(*this, key);
    TRegistry::DeleteValue(ident);
}
