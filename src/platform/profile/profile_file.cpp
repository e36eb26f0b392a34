#include "platform/profile/profile_file.h"

#include "platform/base/unique_fd.h"
#include "platform/profile/profile_lock.h"
#include "platform/system.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wincompat::profile {

namespace {

DWORD readWhole(const std::string& path, std::string& bytes)
{
    const UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return errorFromErrno(errno);
    struct stat st {};
    if (fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode))
        return ERROR_ACCESS_DENIED;
    // Never half of an in-place rewrite; past the bound, read what is there.
    lockWithin(fd.get(), LOCK_SH);
    bytes.clear();
    char buffer[65536];
    while (true) {
        const ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errorFromErrno(errno);
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return ERROR_SUCCESS;
}

} // namespace

std::string resolvePath(LPCSTR fileName)
{
    std::string name = fileName != nullptr ? fileName : "win.ini";
    if (name.find('/') != std::string::npos)
        return name;
    return windowsFolder() + "/" + name;
}

DWORD load(const std::string& path, Document& doc)
{
    std::string bytes;
    const DWORD rc = readWhole(path, bytes);
    if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND)
        return rc;
    if (rc != ERROR_SUCCESS)
        return rc;
    doc.exists = true;
    doc.parse(bytes);
    return ERROR_SUCCESS;
}

} // namespace wincompat::profile
