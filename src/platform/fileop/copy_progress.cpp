#include "platform/fileop/copy_progress.h"

#include <atomic>

namespace wincompat {
namespace {
std::atomic<CopyProgressSink*> installedSink{nullptr};
}

CopyProgressSink* setCopyProgressSink(CopyProgressSink* sink)
{
    return installedSink.exchange(sink);
}

namespace fileop {
CopyProgressSink* currentCopyProgressSink()
{
    return installedSink.load();
}
} // namespace fileop
} // namespace wincompat
