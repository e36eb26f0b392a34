#pragma once
// Kernel odds and ends: the last error, system error texts, file times, the user name, the
// module's own path and the emulated Windows and system folders.
#include "platform/wintypes.h"

#include <string>

#ifndef _WIN32
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

DWORD GetLastError();
void SetLastError(DWORD code);

// Texts for every code the layer returns; 0 characters (and ERROR_MR_MID_NOT_FOUND as last
// error) for a code it has no text for. Each text ends with CR LF, as Windows' do.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     void* arguments);

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
void GetLocalTime(SYSTEMTIME* systemTime);

// The logged-on user; size is in and out (characters including the terminating zero).
BOOL GetUserNameA(LPSTR buffer, LPDWORD size);

// The running executable's full path, from the kernel (never from argv). module must be null.
DWORD GetModuleFileNameA(HANDLE module, LPSTR buffer, DWORD size);

// Folders below the compatibility root (WINCOMPAT_ROOT): <root>/windows and <root>/windows/system32.
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
#endif

namespace wincompat {
// The folder below which all emulated state lives: $WINCOMPAT_ROOT, or the system-wide default
// /var/lib/wincompat. Never ends with a separator. Windows: unused.
std::string compatRoot();
// The emulated Windows and system folders, whatever their length (the A functions above fail
// for paths that do not fit their caller's buffer). Windows: the real ones, empty on failure.
std::string windowsFolder();
std::string systemFolder();
// The running executable's full path, whatever its length; empty when it cannot be read.
std::string moduleFileName();
// The platform's path separator as the program's texts use it ("\\" on Windows, "/" elsewhere).
char pathDelimiter();
// True when the standard error stream is a terminal that can take a progress line redrawn in place.
bool standardErrorIsTerminal();
// True when the standard input is a terminal, so that someone can be asked.
bool standardInputIsTerminal();
// True when a and b are the same but for the case of ASCII letters, whatever the locale: for
// keywords such as command switches and root or type names, not for names a user chose.
bool sameKeyword(const std::string& a, const std::string& b);
// The path with links, "." and ".." resolved (the part that does not exist taken by its name), as an
// absolute path without a trailing delimiter but for the root; empty when it cannot be resolved.
std::string realPath(const std::string& path);
// A relative path taken below folder; an absolute or empty one as it is.
std::string pathBelow(const std::string& folder, const std::string& path);
// Maps a Windows error code to the closest errno-like cause and back, for the posix side.
DWORD errorFromErrno(int err);
} // namespace wincompat
