#pragma once
// A POSIX path split at its last separator, the way every part of the platform needs it.
#include <string>

namespace wincompat {

// The folder part of path: "." when it has none, "/" for a name in the root. Trailing
// separators are not trimmed: the caller decides what "a/" names.
inline std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The name after the last separator (the whole path when it has none).
inline std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace wincompat
