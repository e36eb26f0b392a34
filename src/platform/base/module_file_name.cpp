// The running executable's path: the Windows call, read from the kernel, and the one reader of it
// that every part of the program asks.
#include "platform/system.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>
#include <vector>

DWORD GetModuleFileNameA(HANDLE module, LPSTR buffer, DWORD size)
{
    if (module != nullptr || buffer == nullptr || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char path[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
    if (n < 0) {
        SetLastError(wincompat::errorFromErrno(errno));
        return 0;
    }
    path[n] = '\0';
    if (static_cast<DWORD>(n) >= size) {
        // Windows truncates and reports the buffer size.
        std::memcpy(buffer, path, size - 1);
        buffer[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, path, static_cast<size_t>(n) + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(n);
}

namespace wincompat {

std::string moduleFileName()
{
    std::vector<char> path(MAX_PATH);
    // Paths may be longer than MAX_PATH: grow until the name fits.
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size())
            return std::string(path.data(), n);
        if (path.size() >= 65536)
            return {};
        path.resize(path.size() * 2);
    }
}

} // namespace wincompat
