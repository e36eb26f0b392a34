#pragma once
// Replacing a file whole: its new text goes to a temporary file beside it, is synced and renamed
// over the old one, so that a crash never leaves half a file.
#include "platform/wintypes.h"

#include <string>
#include <sys/stat.h>

namespace wincompat::profile {

// Writes bytes as path in folder (open as folderFd, which the caller holds locked so that two
// writers never lose each other's changes). existing, when the file is there already, gives the
// permissions and owner that the new file keeps; null for a new file.
DWORD writeAtomically(const std::string& path, const std::string& folder, int folderFd, const std::string& bytes,
                      const struct stat* existing);

} // namespace wincompat::profile
