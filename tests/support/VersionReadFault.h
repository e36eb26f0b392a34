#pragma once
// The test program's side of the version reader's fault seam.
#include "platform/wintypes.h"

namespace fixtures {
// The next GetFileVersionInfoA fails with this code after it has read its file.
void failNextVersionRead(DWORD error);
} // namespace fixtures
