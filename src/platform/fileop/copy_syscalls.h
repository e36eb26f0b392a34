#pragma once
// The system calls whose failure the copy must report rather than ignore (or, keeping what it
// replaces, take back), reached through one table. The product links the real calls
// (copy_syscalls.cpp); a test program may link a table of its own in its place, to make them fail
// on a healthy disk.
#include <cstdio> // renameat
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wincompat::fileop {

struct CopySystemCalls {
    int (*syncfs)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*futimens)(int fd, const timespec times[2]);
    int (*fchmodat)(int dirFd, const char* name, mode_t mode, int flags);
    int (*utimensat)(int dirFd, const char* name, const timespec times[2], int flags);
    int (*renameat)(int fromDir, const char* from, int toDir, const char* to);
    int (*linkat)(int fromDir, const char* from, int toDir, const char* to, int flags);
};

inline CopySystemCalls realCopySystemCalls()
{
    return CopySystemCalls{::syncfs, ::fchmod, ::futimens, ::fchmodat, ::utimensat, ::renameat, ::linkat};
}

// The calls in force.
const CopySystemCalls& copySystemCalls();

} // namespace wincompat::fileop
