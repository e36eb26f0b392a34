#include "about/parts/VersionInfoLookup.h"

#include "platform/system.h"
#include "platform/version.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
const char* const stringKeys[] = {"CompanyName",     "ProductName",     "ProductVersion", "LegalCopyright",
                                  "LegalTradeMarks", "FileDescription", "Comments"};
constexpr int stringKeyCount = static_cast<int>(sizeof stringKeys / sizeof stringKeys[0]);

// "040904E4" unless the block names its first translation.
std::string stringTableOf(const void* block)
{
    void* value = nullptr;
    UINT length = 0;
    unsigned language = 0x0409, codePage = 0x04E4;
    if (VerQueryValueA(block, "\\VarFileInfo\\Translation", &value, &length) && value != nullptr &&
        length >= sizeof(DWORD)) {
        DWORD first = 0;
        std::memcpy(&first, value, sizeof first);
        language = first & 0xFFFF;
        codePage = first >> 16;
    }
    char name[9];
    std::snprintf(name, sizeof name, "%04X%04X", language, codePage);
    return name;
}

std::string stringValue(const void* block, const std::string& table, const char* key)
{
    void* value = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\" + table + "\\" + key;
    if (!VerQueryValueA(block, path.c_str(), &value, &length) || value == nullptr || length == 0)
        return {};
    // The length counts the terminating zero; never read past it, nor past a zero inside.
    const char* text = static_cast<const char*>(value);
    return std::string(text, strnlen(text, length));
}

std::string fileVersion(const void* block, int index)
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block, "\\", &value, &length) || value == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return {};
    VS_FIXEDFILEINFO fixed{};
    std::memcpy(&fixed, value, sizeof fixed);
    const unsigned major = fixed.dwFileVersionMS >> 16, minor = fixed.dwFileVersionMS & 0xFFFF;
    const unsigned release = fixed.dwFileVersionLS >> 16, build = fixed.dwFileVersionLS & 0xFFFF;
    char text[64];
    if (index == 7)
        std::snprintf(text, sizeof text, "%u.%u", major, minor);
    else if (index == 8)
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", major, minor, release, build);
    else
        std::snprintf(text, sizeof text, "%u.%u (Build %u.%u)", major, minor, release, build);
    return text;
}
} // namespace

std::string VersionInfoLookup(const std::string& fileName, int index)
{
    if (index < 0 || index > 9)
        return {};
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoA(fileName.c_str(), handle, size, block.data()))
        return {};
    if (index < stringKeyCount)
        return stringValue(block.data(), stringTableOf(block.data()), stringKeys[index]);
    return fileVersion(block.data(), index);
}
