#pragma once
// The test program's side of the copy engine's system-call seam: linking this replaces the real
// calls with a table that a test may change (and must put back).
#include "platform/fileop/copy_syscalls.h"

namespace fixtures {
wincompat::fileop::CopySystemCalls& copyCalls();
} // namespace fixtures
