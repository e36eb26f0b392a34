// The one reader of the running executable's path that every part of the program asks.
#include "platform/system.h"

#include <vector>

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
