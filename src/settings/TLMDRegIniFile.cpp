#include "settings/TLMDRegIniFile.h"

TLMDRegIniFile::TLMDRegIniFile(HKEY rootKey, const std::string& basePath, bool readOnly)
    : TRegIniFile(NoOpen{}, basePath, readOnly ? KEY_READ : KEY_ALL_ACCESS)
{
    SetRootKey(rootKey);
    SetLazyWrite(true);
    // A base key that cannot be opened is no error: sections are then looked up below the root.
    if (readOnly)
        OpenKeyReadOnly(basePath);
    else
        OpenKey(basePath, true);
}
