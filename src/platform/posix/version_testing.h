#pragma once
// A fault seam for tests: the next GetFileVersionInfoA fails with the given code after it has
// found the file, the way a read error between the size query and the read would.
#include "platform/wintypes.h"

namespace wincompat::testing {
void failNextVersionRead(DWORD error);
} // namespace wincompat::testing
