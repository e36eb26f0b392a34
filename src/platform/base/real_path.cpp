// Where a path really leads, for telling two spellings of one folder apart, and how a relative
// path is read against a folder of the program's choosing rather than the current folder.
#include "platform/system.h"

#include <filesystem>
#include <system_error>

namespace wincompat {

std::string realPath(const std::string& path)
{
    if (path.empty())
        return {};
    // The part that exists with its links followed, the rest with "." and ".." taken away, so that
    // a folder not made yet still compares by the name it would have.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        return {};
    std::string real = std::filesystem::weakly_canonical(absolute, error).string();
    if (error)
        return {};
    while (real.size() > 1 && real.back() == '/')
        real.pop_back();
    return real;
}

std::string pathBelow(const std::string& folder, const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return path;
    std::string joined = folder;
    if (!joined.empty() && joined.back() != '/')
        joined += '/';
    return joined + path;
}

} // namespace wincompat
