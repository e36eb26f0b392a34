#pragma once
// Rewriting a file where it is, for a file its user may write in a folder they may not (no room
// for a temporary file beside it), as Windows does.
#include "platform/wintypes.h"

#include <string>

namespace wincompat::profile {

// The new text over the old one, then the file cut to its length; the inode, owner and mode stay.
// Under an exclusive flock of the file, which readers wait for.
DWORD rewriteInPlace(const std::string& path, const std::string& bytes);

} // namespace wincompat::profile
