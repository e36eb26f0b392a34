#include "ContractSupport.h"

#include "winapi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#ifndef _WIN32
#include <cstdlib>
#include <unistd.h>
#else
#include <process.h>
#endif

namespace fs = std::filesystem;

namespace contract {
namespace {
int processId()
{
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

const std::string& runFolder()
{
    static const std::string folder = [] {
        fs::path p = fs::temp_directory_path() / ("tallyrune-contract-" + std::to_string(processId()));
        fs::remove_all(p);
        fs::create_directories(p);
        return p.make_preferred().string();
    }();
    return folder;
}
} // namespace

std::string freshFolder(const std::string& name)
{
    const std::string path = pathJoin(runFolder(), name);
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

std::string pathJoin(const std::string& a, const std::string& b)
{
#ifdef _WIN32
    return a + "\\" + b;
#else
    return a + "/" + b;
#endif
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

void makeFolder(const std::string& path) { fs::create_directories(path); }

void setReadOnly(const std::string& path, bool readOnly)
{
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

std::string uniqueName(const std::string& prefix) { return prefix + "-" + std::to_string(processId()); }

bool underWine()
{
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}
} // namespace contract

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
#ifndef _WIN32
    // Every emulated hive, mutex and folder of this run lives in its own folder.
    const std::string root = contract::freshFolder("root");
    setenv("WINCOMPAT_ROOT", root.c_str(), 1);
    // The mutexes' folder must be closed to others, as the user's runtime folder is.
    const std::string runtime = contract::freshFolder("runtime");
    fs::permissions(runtime, fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
#endif
    const int rc = RUN_ALL_TESTS();
    std::error_code ec;
    fs::remove_all(fs::path(contract::freshFolder("root")).parent_path(), ec);
    return rc;
}
