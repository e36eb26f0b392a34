#pragma once
// A directory stream that is closed on every path out of the scope that opened it.
#include "platform/base/unique_fd.h"

#include <dirent.h>
#include <memory>
#include <string>

namespace wincompat {

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

// A stream over the open folder `fd`, which it takes over; empty (errno set) when it cannot be
// opened, and the descriptor is closed then too.
inline UniqueDir readFolder(UniqueFd fd)
{
    if (!fd)
        return nullptr;
    DIR* d = ::fdopendir(fd.get());
    if (d == nullptr)
        return nullptr;
    fd.release(); // the stream owns it now
    return UniqueDir(d);
}

// A stream of its own over an open folder, which stays open and keeps its own position.
inline UniqueDir readFolderOf(int dirFd)
{
    return readFolder(UniqueFd(::dup(dirFd)));
}

inline UniqueDir readFolderAt(const std::string& path)
{
    return UniqueDir(::opendir(path.c_str()));
}

} // namespace wincompat
