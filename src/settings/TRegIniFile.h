#pragma once
// A registry key seen as a set of sections: each section a subkey, each entry a named string value.
#include "settings/TRegistry.h"

#include <string>

class TRegIniFile : public TRegistry {
public:
    // Opens (creating when missing) the key fileName below HKEY_CURRENT_USER with the given access.
    explicit TRegIniFile(const std::string& fileName, REGSAM access = KEY_ALL_ACCESS);

    const std::string& FileName() const { return fileName_; }

    // The entry's text, or defaultValue when the section key or the value is missing.
    std::string ReadString(const std::string& section, const std::string& ident, const std::string& defaultValue);
    // The entry's text in value, or false when the section key or the value is not there. A store
    // that fails (damaged, unreadable, a value of another type) raises ERegistryException naming
    // the registry's error instead of passing for a missing value.
    bool ReadStoredString(const std::string& section, const std::string& ident, std::string& value);
    // Creates the section key when missing and stores the text as REG_SZ.
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    void DeleteKey(const std::string& section, const std::string& ident);

protected:
    // For subclasses that choose their root key and how to open before opening anything.
    struct NoOpen {};
    TRegIniFile(NoOpen, const std::string& fileName, REGSAM access);

private:
    std::string fileName_;
};
