// Windows has every kernel call natively; only the layer's own helpers need a body here.
#include "platform/system.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <io.h>

namespace wincompat {
std::string compatRoot()
{
    // Nothing is emulated on Windows; the root only names a private folder for tools and tests.
    if (const char* env = std::getenv("WINCOMPAT_ROOT"); env != nullptr && *env != '\0')
        return env;
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return windows;
}

std::string windowsFolder()
{
    char folder[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryA(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(folder, n) : std::string();
}

std::string systemFolder()
{
    char folder[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(folder, n) : std::string();
}

char pathDelimiter() { return '\\'; }

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

bool standardInputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

bool sameKeyword(const std::string& a, const std::string& b)
{
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

DWORD errorFromErrno(int err)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case EACCES: return ERROR_ACCESS_DENIED;
    case ENOSPC: return ERROR_DISK_FULL;
    default: return ERROR_GEN_FAILURE;
    }
}
} // namespace wincompat
