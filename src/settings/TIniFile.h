#pragma once
// An INI file through the platform's profile functions. Holds nothing but the file's path.
#include "settings/TCustomIniFile.h"

class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(const std::string& fileName) : TCustomIniFile(fileName) {}
    // Asks the platform to flush its cached copy of the file.
    ~TIniFile() override;

    // At most 2047 characters: the platform reads into a buffer of 2048.
    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& defaultValue) override;
    // A refusal raises EIniFileException "Unable to write to %s" with the file's path.
    void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
    // Whether the section holds a value of that name, however empty.
    bool ValueExists(const std::string& section, const std::string& ident);

    // Whether a value written as text reads back exactly: an INI line keeps no zero byte or line
    // break, loses surrounding blanks and one pair of matching quotes, and a read returns at most
    // 2047 characters.
    static bool KeepsExactly(const std::string& value);
};
