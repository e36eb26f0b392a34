#include "platform/fileop/phases/copy_paths.h"

#include "platform/base/path_split.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace wincompat::fileop {
namespace {
constexpr char kStagingPrefix[] = ".wincompat-copy-";
constexpr char kStagingSuffix[] = ".part";
} // namespace

std::string joinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty() || dir == ".")
        return name;
    if (dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

void splitPath(std::string path, std::string& parent, std::string& last)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    parent = folderOf(path);
    last = nameOf(path);
}

bool isDots(const char* n)
{
    return n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'));
}

long stagingPid()
{
    static const long pid = ::getpid();
    return pid;
}

std::string stagingName(std::uint64_t seq)
{
    static const std::string prefix = kStagingPrefix + std::to_string(stagingPid()) + "-";
    return prefix + std::to_string(seq) + kStagingSuffix;
}

bool isStagingName(const char* name)
{
    std::size_t prefix = sizeof kStagingPrefix - 1, suffix = sizeof kStagingSuffix - 1;
    std::size_t len = std::strlen(name);
    if (len <= prefix + suffix || std::strncmp(name, kStagingPrefix, prefix) != 0 ||
        std::strcmp(name + len - suffix, kStagingSuffix) != 0)
        return false;
    bool dash = false;
    for (std::size_t i = prefix; i < len - suffix; ++i) {
        if (name[i] == '-' && !dash && i > prefix)
            dash = true;
        else if (name[i] < '0' || name[i] > '9')
            return false;
    }
    return dash;
}

long stagingOwner(const char* name)
{
    return std::strtol(name + sizeof kStagingPrefix - 1, nullptr, 10);
}

mode_t currentUmask()
{
    static const mode_t mask = [] {
        mode_t m = 0777;
        if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
            char line[256];
            while (std::fgets(line, sizeof line, f))
                if (std::sscanf(line, "Umask: %o", &m) == 1)
                    break;
            std::fclose(f);
        }
        return m;
    }();
    return mask;
}

} // namespace wincompat::fileop
