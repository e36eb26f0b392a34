#pragma once
// The test program's side of the copy engine's system-call seam: linking this replaces the real
// calls with a table that a test may change (and must put back).
#include "platform/posix/copy_syscalls.h"

namespace fixtures {
wincompat::detail::CopySystemCalls& copyCalls();
} // namespace fixtures
