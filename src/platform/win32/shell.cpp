// Windows: SHFileOperationA is shell32's own, declared by <shellapi.h> through shell.h, and the
// shell draws its own progress window, so a console progress sink has nothing to observe.
#include "platform/copyprogress.h"
#include "platform/shell.h"

namespace wincompat {
CopyProgressSink* setCopyProgressSink(CopyProgressSink*) { return nullptr; }
// The shell shows its own windows for every job.
void showFileOperationWindows() {}
} // namespace wincompat
