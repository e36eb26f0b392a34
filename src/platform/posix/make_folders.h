#pragma once
// The one way the platform creates a chain of folders.
#include "platform/wintypes.h"

#include <string>
#include <sys/types.h>

namespace wincompat::detail {

// Creates path and every missing folder above it: path itself with leafMode, the folders above it
// with parentMode, each whatever the umask. A folder that another process creates meanwhile counts
// as made. ERROR_PATH_NOT_FOUND when something other than a folder stands in the way.
DWORD makeFolders(const std::string& path, mode_t leafMode, mode_t parentMode);

} // namespace wincompat::detail
