#pragma once
// A settings file of sections holding key=value entries.
#include <string>

class TCustomIniFile {
public:
    explicit TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const std::string& FileName() const { return fileName_; }

    virtual std::string ReadString(const std::string& section, const std::string& ident,
                                   const std::string& defaultValue) = 0;
    virtual void WriteString(const std::string& section, const std::string& ident, const std::string& value) = 0;

private:
    std::string fileName_;
};
