#include "platform/profile/profile_lock.h"

#include <cerrno>
#include <chrono>
#include <sys/file.h>
#include <thread>

namespace wincompat::profile {

bool lockWithin(int fd, int operation)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (flock(fd, operation | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

FolderLock::FolderLock(int fd) : fd_(fd)
{
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

FolderLock::~FolderLock() { flock(fd_, LOCK_UN); }

} // namespace wincompat::profile
