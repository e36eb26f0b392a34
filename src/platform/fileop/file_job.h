#pragma once
// One shell file operation, taken out of its request: the operation, the flags and the source and
// destination paths as lists instead of NUL-separated buffers.
#include "platform/keptcopy.h"
#include "platform/shell.h"

#include <string>
#include <vector>

namespace wincompat::fileop {

struct FileJob {
    UINT operation = FO_COPY;
    FILEOP_FLAGS flags = 0;
    std::vector<std::string> sources;
    // Plain mode: one destination folder. Pair mode (FOF_MULTIDESTFILES): one target per source.
    std::vector<std::string> destinations;
    std::string title;
    HWND owner = nullptr;
    // A kept copy (SHFileOperationKeepingA): the keep root, and where to tell what the copy did.
    std::string keepRoot;
    KeptCopyOutcome* keptOutcome = nullptr;

    bool has(FILEOP_FLAGS flag) const { return (flags & flag) != 0; }
    bool pairMode() const { return has(FOF_MULTIDESTFILES); }
    bool keeping() const { return !keepRoot.empty(); }

    // Reads the request; returns 0, or the code the call must fail with before anything is touched.
    static DWORD fromRequest(const SHFILEOPSTRUCTA& request, FileJob& job);
};

// The entries of a list of NUL-terminated paths closed by an empty one.
std::vector<std::string> splitDoubleNulList(LPCSTR list);

} // namespace wincompat::fileop
