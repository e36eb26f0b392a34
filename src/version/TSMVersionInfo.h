#pragma once
// Reads the version resource of one executable file when its name is assigned and hands out the
// ten well-known strings, the four parts of the file version and the file date.
#include "framework/core/DateTime.h"
#include "framework/core/TComponent.h"
#include "platform/version.h"

#include <cstdint>
#include <memory>
#include <string>

class TSMVersionInfo : public TComponent {
public:
    explicit TSMVersionInfo(TComponent* owner);
    ~TSMVersionInfo() override;

    const std::string& FileName() const { return FFileName; }
    // Reads the file's version data when the name differs (byte for byte) from the last one.
    // Raises EOSError when the size query worked but the read did not.
    void SetFileName(const std::string& value);

    // 1 major, 2 minor, 3 release, 4 build of the fixed part's file version; -1 without data.
    std::int32_t GetVersionNumber(int index) const;
    std::int32_t MajorVersion() const { return GetVersionNumber(1); }
    std::int32_t MinorVersion() const { return GetVersionNumber(2); }
    std::int32_t Release() const { return GetVersionNumber(3); }
    std::int32_t Build() const { return GetVersionNumber(4); }

    // The fixed part's file date; 0.0 without data.
    TDateTime DateTime() const;

    // 1 CompanyName .. 10 LegalTrademarks; "" for any other index or a missing value.
    std::string GetVersionString(int index) const;
    // One value of the first translation's string table; "" when absent.
    std::string QueryStringValue(const std::string& key) const;

    std::string CompanyName() const { return GetVersionString(1); }
    std::string FileDescription() const { return GetVersionString(2); }
    std::string FileVersion() const { return GetVersionString(3); }
    std::string InternalName() const { return GetVersionString(4); }
    std::string LegalCopyright() const { return GetVersionString(5); }
    std::string OriginalFilename() const { return GetVersionString(6); }
    std::string ProductName() const { return GetVersionString(7); }
    std::string ProductVersion() const { return GetVersionString(8); }
    std::string Comments() const { return GetVersionString(9); }
    std::string LegalTrademarks() const { return GetVersionString(10); }

    void ReadProperty(const std::string& name, const std::string& value) override;

    // The key that GetVersionString passes for an index; nullptr outside 1..10.
    static const char* StringKey(int index);

private:
    // The fixed part, when the data holds one (with its signature).
    bool ReadFixedPart(VS_FIXEDFILEINFO& fixed) const;

    std::string FFileName;
    std::int32_t FVersionSize = 0;
    std::unique_ptr<std::uint8_t[]> FVersionData;
};
