#pragma once
// Helpers for the copy engine's tests: real requests through SHFileOperationA, trees on disk.
#include "platform/shell.h"
#include "support/TempDir.h"

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

struct ShellRequest {
    UINT operation = FO_COPY;
    std::vector<std::string> from;
    std::vector<std::string> to;
    FILEOP_FLAGS flags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS | FOF_NOERRORUI;
    std::string title = "Updating Tallyrune ...";
    HWND owner = nullptr;
};

// The request laid out as the component lays it out: NUL-separated lists closed by a second NUL.
int runShell(const ShellRequest& r);

// The utility's own copy: everything in `from` (a pattern) into `dest`, no questions.
inline int copyAll(const fs::path& fromFolder, const fs::path& dest, FILEOP_FLAGS extra = 0)
{
    ShellRequest r;
    r.from = {(fromFolder / "*.*").string()};
    r.to = {dest.string()};
    r.flags |= extra;
    return runShell(r);
}

void writeWithTime(const fs::path& path, const std::string& bytes, time_t mtime, mode_t mode = 0644);
struct stat lstatOf(const fs::path& path);
// Every entry below `root` whose name is one of the engine's temporary files.
std::vector<std::string> stagingLeftovers(const fs::path& root);
// A file of `size` bytes whose every 8-byte word carries `tag`, so that a mix is detectable.
std::string patterned(std::size_t size, char tag);
bool isRoot();

// A small tmpfs for one test (root only), unmounted on every way out.
class ScopedTmpfs {
public:
    ScopedTmpfs(const fs::path& at, const char* options);
    ~ScopedTmpfs();
    bool mounted() const { return mounted_; }
    bool remountReadOnly();

private:
    fs::path at_;
    bool mounted_ = false;
};
