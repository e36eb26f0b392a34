#pragma once
// A link seam for fault tests: the version reader asks it, after it has found and read a file,
// whether that read is to fail, the way a read error between the size query and the read would.
// The product links the answer in version_fault.cpp (never); a test program links its own.
#include "platform/wintypes.h"

namespace wincompat::version {
DWORD pendingReadFault();
} // namespace wincompat::version
