#include "platform/profile/in_place_write.h"

#include "platform/base/unique_fd.h"
#include "platform/profile/profile_lock.h"
#include "platform/system.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wincompat::profile {

DWORD rewriteInPlace(const std::string& path, const std::string& bytes)
{
    const UniqueFd fd(open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd)
        return errorFromErrno(errno);
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return ERROR_ACCESS_DENIED;
    if (!lockWithin(fd.get(), LOCK_EX))
        return ERROR_SHARING_VIOLATION;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pwrite(fd.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errorFromErrno(errno);
        done += static_cast<std::size_t>(n);
    }
    if (ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || fsync(fd.get()) != 0)
        return errorFromErrno(errno);
    return ERROR_SUCCESS;
}

} // namespace wincompat::profile
