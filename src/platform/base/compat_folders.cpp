// Where the emulated Windows lives: the compatibility root, and the Windows and system folders
// below it with the calls that report them.
#include "platform/system.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {
UINT copyOut(const std::string& text, LPSTR buffer, UINT size)
{
    // Windows' convention: the length without the zero when it fits, the size needed otherwise.
    if (buffer == nullptr || text.size() + 1 > size)
        return static_cast<UINT>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<UINT>(text.size());
}
} // namespace

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) { return copyOut(wincompat::windowsFolder(), buffer, size); }

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) { return copyOut(wincompat::systemFolder(), buffer, size); }

namespace wincompat {
std::string compatRoot()
{
    std::string root;
    if (const char* env = std::getenv("WINCOMPAT_ROOT"); env != nullptr && *env != '\0')
        root = env;
    else
        root = "/var/lib/wincompat";
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

std::string windowsFolder() { return compatRoot() + "/windows"; }
std::string systemFolder() { return compatRoot() + "/windows/system32"; }

} // namespace wincompat
