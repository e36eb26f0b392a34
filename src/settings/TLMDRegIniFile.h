#pragma once
// The settings store's registry back end: a TRegIniFile on a chosen root key, opened read-only
// (never creating anything) or writable (creating the base key and its parents).
#include "settings/TRegIniFile.h"

#include <string>

class TLMDRegIniFile : public TRegIniFile {
public:
    TLMDRegIniFile(HKEY rootKey, const std::string& basePath, bool readOnly);

    const std::string& BasePath() const { return FileName(); }
};
