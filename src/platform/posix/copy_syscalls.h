#pragma once
// The system calls whose failure the copy must report rather than ignore, reached through one
// table so that tests can make them fail on a healthy disk.
#include <fcntl.h>
#include <sys/stat.h>

namespace wincompat::detail {

struct CopySystemCalls {
    int (*syncfs)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*futimens)(int fd, const timespec times[2]);
    int (*fchmodat)(int dirFd, const char* name, mode_t mode, int flags);
    int (*utimensat)(int dirFd, const char* name, const timespec times[2], int flags);
    int (*renameat)(int fromDir, const char* from, int toDir, const char* to);
};

// The calls in force; a test may replace entries and must put the real ones back (realCopySystemCalls()).
CopySystemCalls& copySystemCalls();
CopySystemCalls realCopySystemCalls();

} // namespace wincompat::detail
