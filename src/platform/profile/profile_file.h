#pragma once
// Which file an INI name means, and reading that file whole into a document.
#include "platform/profile/ini_document.h"
#include "platform/wintypes.h"

#include <string>

namespace wincompat::profile {

// A bare file name lives in the Windows folder, as under Windows; null means win.ini.
std::string resolvePath(LPCSTR fileName);

// The file's lines into doc, read under a shared flock so that half of an in-place rewrite is
// never seen. ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND leave doc empty and not existing.
DWORD load(const std::string& path, Document& doc);

} // namespace wincompat::profile
