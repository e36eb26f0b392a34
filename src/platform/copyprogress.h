#pragma once
// A process-wide observer of the shell file operation, for front ends that have no window to show
// progress in (the command-line companion draws a bar on the terminal). It sees every job that
// SHFileOperationA runs in this process, in addition to whatever window the job shows.
#include "platform/wintypes.h"

#include <cstdint>

namespace wincompat {

struct CopyProgress {
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
    // Of the files and links done: written anew, or left alone because they were the same already.
    std::uint64_t filesCopied = 0;
    std::uint64_t filesUnchanged = 0;
    // Once the job has put its files in place: those that took the place of an existing file, and
    // those put where nothing was. Both stay 0 when the job put nothing in place (it was rolled back).
    std::uint64_t filesReplaced = 0;
    std::uint64_t filesAdded = 0;
};

// Called on the thread that does the work (not necessarily the caller's). progressed() comes after
// every file and every few megabytes of a large one: keep it cheap and throttle drawing yourself.
class CopyProgressSink {
public:
    virtual ~CopyProgressSink() = default;
    virtual void started(const CopyProgress&) {}
    virtual void progressed(const CopyProgress& progress, const char* currentPath) = 0;
    // One failure: the path concerned and the Windows error code.
    virtual void failed(const char* /*path*/, DWORD /*code*/) {}
    virtual void finished(const CopyProgress&, DWORD /*result*/) {}
};

// Installs the sink (not owned; nullptr removes it) and returns the previous one.
CopyProgressSink* setCopyProgressSink(CopyProgressSink* sink);

} // namespace wincompat
