#include "settings/TIniFile.h"

#include "framework/Exceptions.h"
#include "platform/profile.h"

TIniFile::~TIniFile()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str());
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& defaultValue)
{
    char buffer[2048];
    const DWORD length = GetPrivateProfileStringA(section.c_str(), ident.c_str(), defaultValue.c_str(), buffer,
                                                  sizeof buffer, FileName().c_str());
    return std::string(buffer, length);
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), value.c_str(), FileName().c_str()))
        throw EIniFileException(FormatMessageText("Unable to write to %s", FileName()));
}
