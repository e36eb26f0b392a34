// Small files of the program's own below the compatibility root (the update history). Tills are
// shared machines, so a file or folder that someone else could have planted or could rewrite is
// never appended to or believed.
#include "platform/eventlog.h"

#include "platform/base/make_folders.h"
#include "platform/base/unique_fd.h"
#include "platform/system.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace wincompat {
namespace {
constexpr mode_t folderMode = 0755;
constexpr mode_t fileMode = 0644;

// Ours or root's, and nobody else may change it.
bool trusted(const struct stat& st)
{
    return (st.st_uid == geteuid() || st.st_uid == 0) && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A link or something else in place of the folder or file is refused, not reported as missing.
DWORD openError(int err)
{
    return err == ELOOP || err == ENOTDIR || err == EISDIR || err == ENXIO ? ERROR_ACCESS_DENIED : errorFromErrno(err);
}

DWORD openFolder(const std::string& path, bool create, UniqueFd& fd)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    fd.reset(::open(path.c_str(), flags));
    if (!fd && errno == ENOENT && create) {
        if (const DWORD rc = makeFolders(path, folderMode, folderMode); rc != ERROR_SUCCESS)
            return rc;
        fd.reset(::open(path.c_str(), flags));
    }
    if (!fd)
        return openError(errno);
    struct stat st {};
    if (fstat(fd.get(), &st) != 0)
        return errorFromErrno(errno);
    return trusted(st) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

DWORD checkFile(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return errorFromErrno(errno);
    // A second name could be a hard link to a file that matters elsewhere.
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && trusted(st) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}
} // namespace

std::string stateFilePath(const std::string& folder, const std::string& name)
{
    return compatRoot() + "/" + folder + "/" + name;
}

DWORD appendLineToStateFile(const std::string& folder, const std::string& name, const std::string& line)
{
    UniqueFd dir;
    if (const DWORD rc = openFolder(compatRoot() + "/" + folder, true, dir); rc != ERROR_SUCCESS)
        return rc;
    // O_NONBLOCK: a FIFO without a reader fails instead of hanging the update.
    constexpr int flags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    UniqueFd fd(::openat(dir.get(), name.c_str(), flags | O_CREAT | O_EXCL, fileMode));
    if (fd)
        fchmod(fd.get(), fileMode); // whatever the umask
    else if (errno == EEXIST)
        fd.reset(::openat(dir.get(), name.c_str(), flags));
    if (!fd)
        return openError(errno);
    if (const DWORD rc = checkFile(fd.get()); rc != ERROR_SUCCESS)
        return rc;
    // One write: appends of whole lines from several processes never interleave.
    const ssize_t n = ::write(fd.get(), line.data(), line.size());
    if (n < 0)
        return errorFromErrno(errno);
    return static_cast<size_t>(n) == line.size() ? ERROR_SUCCESS : ERROR_DISK_FULL;
}

DWORD readStateFile(const std::string& folder, const std::string& name, std::string& contents)
{
    contents.clear();
    UniqueFd dir;
    if (const DWORD rc = openFolder(compatRoot() + "/" + folder, false, dir); rc != ERROR_SUCCESS)
        return rc == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : rc;
    const UniqueFd fd(::openat(dir.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return openError(errno);
    if (const DWORD rc = checkFile(fd.get()); rc != ERROR_SUCCESS)
        return rc;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0)
            return ERROR_SUCCESS;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errorFromErrno(errno);
        }
        contents.append(buffer, static_cast<size_t>(n));
    }
}

} // namespace wincompat
