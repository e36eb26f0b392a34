#include "settings/TIniFile.h"

#include "framework/core/Exceptions.h"
#include "platform/profile.h"

#include <cstring>

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

bool TIniFile::ValueExists(const std::string& section, const std::string& ident)
{
    // Two different defaults: a value that is there comes back the same from both reads.
    return ReadString(section, ident, "") == ReadString(section, ident, "\x01");
}

bool TIniFile::KeepsExactly(const std::string& value)
{
    constexpr std::size_t longestRead = 2047;
    const auto blank = [](char c) { return std::strchr(" \t\r\n\v\f\x1a", c) != nullptr; };
    if (value.size() > longestRead || value.find_first_of(std::string("\0\r\n", 3)) != std::string::npos)
        return false;
    if (!value.empty() && (blank(value.front()) || blank(value.back())))
        return false;
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return !quoted;
}
