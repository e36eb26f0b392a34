#pragma once
// The one way the platform creates a chain of folders.
#include "platform/wintypes.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace wincompat {

// Creates path and every missing folder above it: path itself with leafMode, the folders above it
// with parentMode, each whatever the umask. A folder that another process creates meanwhile counts
// as made. ERROR_PATH_NOT_FOUND when something other than a folder stands in the way. `made`, when
// given, receives the folders this call created, outermost first, so that they can be taken back.
DWORD makeFolders(const std::string& path, mode_t leafMode, mode_t parentMode,
                  std::vector<std::string>* made = nullptr);

} // namespace wincompat
