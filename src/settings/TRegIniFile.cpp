#include "settings/TRegIniFile.h"

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
