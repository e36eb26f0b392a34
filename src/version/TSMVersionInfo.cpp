#include "version/TSMVersionInfo.h"

#include "framework/core/Exceptions.h"
#include "platform/system.h"
#include "platform/version.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr DWORD fixedSignature = 0xFEEF04BD;
const char* const stringKeys[] = {"CompanyName",    "FileDescription",  "FileVersion", "InternalName",
                                  "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion",
                                  "Comments",       "LegalTrademarks"};
} // namespace

TSMVersionInfo::TSMVersionInfo(TComponent* owner) : TComponent(owner) {}

TSMVersionInfo::~TSMVersionInfo() = default;

const char* TSMVersionInfo::StringKey(int index)
{
    return index >= 1 && index <= 10 ? stringKeys[index - 1] : nullptr;
}

void TSMVersionInfo::SetFileName(const std::string& value)
{
    if (value == FFileName)
        return;
    FFileName = value;
    // An empty name keeps the data of the previous file; the program never assigns one.
    if (value.empty())
        return;
    FVersionData.reset();
    FVersionSize = 0;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(value.c_str(), &handle);
    // A block beyond the signed field would read as "no data" anyway; the platform never gives one.
    if (size == 0 || size > 0x7FFFFFFF)
        return;
    auto data = std::make_unique<std::uint8_t[]>(size);
    if (!GetFileVersionInfoA(value.c_str(), 0, size, data.get())) {
        // Hold nothing rather than an unfilled block.
        RaiseLastOSError();
    }
    FVersionData = std::move(data);
    FVersionSize = static_cast<std::int32_t>(size);
}

bool TSMVersionInfo::ReadFixedPart(VS_FIXEDFILEINFO& fixed) const
{
    if (FVersionSize <= 0)
        return false;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(FVersionData.get(), "\\", &value, &length) || length < sizeof fixed)
        return false;
    std::memcpy(&fixed, value, sizeof fixed);
    return fixed.dwSignature == fixedSignature;
}

std::int32_t TSMVersionInfo::GetVersionNumber(int index) const
{
    VS_FIXEDFILEINFO fixed;
    if (!ReadFixedPart(fixed))
        return -1;
    switch (index) {
    case 1: return static_cast<std::int32_t>(fixed.dwFileVersionMS >> 16);
    case 2: return static_cast<std::int32_t>(fixed.dwFileVersionMS & 0xFFFF);
    case 3: return static_cast<std::int32_t>(fixed.dwFileVersionLS >> 16);
    case 4: return static_cast<std::int32_t>(fixed.dwFileVersionLS & 0xFFFF);
    default: return -1;
    }
}

TDateTime TSMVersionInfo::DateTime() const
{
    VS_FIXEDFILEINFO fixed;
    if (!ReadFixedPart(fixed))
        return 0.0;
    FILETIME ft{fixed.dwFileDateLS, fixed.dwFileDateMS};
    SYSTEMTIME st{};
    // A date beyond what the calendar conversion takes (2^63 ticks or more, or past the year
    // 9999 that date values reach) reads as no date.
    TDateTime date = 0.0, time = 0.0;
    if (!FileTimeToSystemTime(&ft, &st) || !TryEncodeDate(st.wYear, st.wMonth, st.wDay, date) ||
        !TryEncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, time))
        return 0.0;
    // Added as numbers, as for any date: before 1899-12-30 the fraction still counts forward.
    return date + time;
}

std::string TSMVersionInfo::GetVersionString(int index) const
{
    const char* key = StringKey(index);
    return key != nullptr ? QueryStringValue(key) : std::string();
}

std::string TSMVersionInfo::QueryStringValue(const std::string& key) const
{
    std::string result;
    if (FVersionSize <= 0)
        return result;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(FVersionData.get(), "\\VarFileInfo\\Translation", &value, &length) || length < 4)
        return result;
    DWORD translation;
    std::memcpy(&translation, value, sizeof translation);
    char table[32];
    std::snprintf(table, sizeof table, "\\StringFileInfo\\%.4X%.4X\\", translation & 0xFFFF, translation >> 16);
    const std::string path = table + key;
    if (VerQueryValueA(FVersionData.get(), path.c_str(), &value, &length) && length > 0)
        result.assign(static_cast<const char*>(value), strnlen(static_cast<const char*>(value), length));
    return result;
}

void TSMVersionInfo::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "FileName")
        SetFileName(value);
    else
        TComponent::ReadProperty(name, value);
}
