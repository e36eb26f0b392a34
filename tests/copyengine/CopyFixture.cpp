#include "CopyFixture.h"

#include "platform/fileop/phases/copy_paths.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {
std::vector<char> doubleNul(const std::vector<std::string>& entries)
{
    std::vector<char> buffer;
    for (const auto& e : entries) {
        buffer.insert(buffer.end(), e.begin(), e.end());
        buffer.push_back('\0');
    }
    buffer.push_back('\0');
    if (entries.empty())
        buffer.push_back('\0');
    return buffer;
}
} // namespace

int runShell(const ShellRequest& r)
{
    auto from = doubleNul(r.from);
    auto to = doubleNul(r.to);
    SHFILEOPSTRUCTA op{};
    op.hwnd = r.owner;
    op.wFunc = r.operation;
    op.pFrom = from.data();
    op.pTo = to.data();
    op.fFlags = r.flags;
    op.lpszProgressTitle = r.title.c_str();
    return SHFileOperationA(&op);
}

void writeWithTime(const fs::path& path, const std::string& bytes, time_t mtime, mode_t mode)
{
    writeFile(path, bytes);
    ::chmod(path.c_str(), mode);
    timespec times[2] = {{mtime - 100, 0}, {mtime, 123456789}};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

struct stat lstatOf(const fs::path& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

std::vector<std::string> stagingLeftovers(const fs::path& root)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (wincompat::fileop::isStagingName(it->path().filename().c_str()))
            found.push_back(it->path().string());
    return found;
}

std::string patterned(std::size_t size, char tag)
{
    std::string s(size, tag);
    for (std::size_t i = 0; i + 8 <= size; i += 4096)
        std::snprintf(s.data() + i, 8, "%07zu", i / 4096 % 10000000); // block numbers catch misplaced data
    return s;
}

bool isRoot() { return ::geteuid() == 0; }

ScopedTmpfs::ScopedTmpfs(const fs::path& at, const char* options) : at_(at)
{
    fs::create_directories(at);
    mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, options) == 0;
}

ScopedTmpfs::~ScopedTmpfs()
{
    if (mounted_)
        ::umount2(at_.c_str(), MNT_DETACH);
}

bool ScopedTmpfs::remountReadOnly()
{
    return ::mount("tmpfs", at_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
