#pragma once
// The engine's side of the process-wide progress sink (setCopyProgressSink).
#include "platform/copyprogress.h"

namespace wincompat::fileop {

// The sink installed by setCopyProgressSink, or nullptr.
CopyProgressSink* currentCopyProgressSink();

} // namespace wincompat::fileop
