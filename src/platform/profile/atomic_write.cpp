#include "platform/profile/atomic_write.h"

#include "platform/base/path_split.h"
#include "platform/base/unique_fd.h"
#include "platform/system.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace wincompat::profile {

namespace {

std::string temporaryName(const std::string& folder, const std::string& path)
{
    static std::mt19937_64 random{std::random_device{}()};
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
    return folder + "/." + nameOf(path) + "." + suffix + ".tmp";
}

// A new file beside path under a name that no one else has taken.
DWORD createTemporary(const std::string& folder, const std::string& path, mode_t mode, std::string& temp, UniqueFd& fd)
{
    for (int attempt = 0; attempt < 16 && !fd; ++attempt) {
        temp = temporaryName(folder, path);
        fd.reset(open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
        if (!fd && errno != EEXIST)
            return errorFromErrno(errno);
    }
    return fd ? ERROR_SUCCESS : ERROR_CANNOT_MAKE;
}

DWORD writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errorFromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return ERROR_SUCCESS;
}

// Keep the file's permissions (the umask narrowed them at creation) and, for root, its owner.
DWORD keepOwnerAndMode(int fd, const struct stat& existing)
{
    if (geteuid() == 0 && (existing.st_uid != 0 || existing.st_gid != 0) &&
        fchown(fd, existing.st_uid, existing.st_gid) != 0)
        return errorFromErrno(errno);
    if (fchmod(fd, existing.st_mode & 07777) != 0)
        return errorFromErrno(errno);
    return ERROR_SUCCESS;
}

} // namespace

DWORD writeAtomically(const std::string& path, const std::string& folder, int folderFd, const std::string& bytes,
                      const struct stat* existing)
{
    std::string temp;
    UniqueFd fd;
    const mode_t mode = existing != nullptr ? (existing->st_mode & 07777) : 0666;
    if (const DWORD created = createTemporary(folder, path, mode, temp, fd); created != ERROR_SUCCESS)
        return created;
    DWORD rc = writeAll(fd.get(), bytes);
    if (rc == ERROR_SUCCESS && existing != nullptr)
        rc = keepOwnerAndMode(fd.get(), *existing);
    if (rc == ERROR_SUCCESS && fsync(fd.get()) != 0)
        rc = errorFromErrno(errno);
    // Closed here, not on leaving, because a failed close can mean the data never reached the disk.
    if (close(fd.release()) != 0 && rc == ERROR_SUCCESS)
        rc = errorFromErrno(errno);
    if (rc == ERROR_SUCCESS && rename(temp.c_str(), path.c_str()) != 0)
        rc = errorFromErrno(errno);
    if (rc != ERROR_SUCCESS) {
        unlink(temp.c_str());
        return rc;
    }
    fsync(folderFd);
    return ERROR_SUCCESS;
}

} // namespace wincompat::profile
