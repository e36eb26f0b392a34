#include "support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tallyrune-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // A test may have left read-only folders behind; open them up so that removal works.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

ScopedCompatRoot::ScopedCompatRoot()
{
    if (const char* old = std::getenv("WINCOMPAT_ROOT")) {
        previous_ = old;
        hadPrevious_ = true;
    }
    setenv("WINCOMPAT_ROOT", dir_.str().c_str(), 1);
}

ScopedCompatRoot::~ScopedCompatRoot()
{
    if (hadPrevious_)
        setenv("WINCOMPAT_ROOT", previous_.c_str(), 1);
    else
        unsetenv("WINCOMPAT_ROOT");
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path binDir()
{
    if (const char* dir = std::getenv("TALLYRUNE_BIN_DIR"))
        return dir;
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return ".";
    self[n] = '\0';
    return std::filesystem::path(self).parent_path();
}
