#include "platform/copyprogress.h"
#include "platform/posix/copy_engine.h"

#include <atomic>

namespace wincompat {
namespace {
std::atomic<CopyProgressSink*> installedSink{nullptr};
}

CopyProgressSink* setCopyProgressSink(CopyProgressSink* sink)
{
    return installedSink.exchange(sink);
}

namespace detail {
CopyProgressSink* currentCopyProgressSink()
{
    return installedSink.load();
}
} // namespace detail
} // namespace wincompat
