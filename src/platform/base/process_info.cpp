// What the program asks about where it runs: the user it runs as, whether its standard streams are
// terminals, the path separator of its texts, and how keywords compare.
#include "platform/system.h"

#include "platform/base/case_fold.h"

#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

BOOL GetUserNameA(LPSTR buffer, LPDWORD size)
{
    if (size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string name;
    passwd pw{};
    passwd* found = nullptr;
    char scratch[4096];
    if (getpwuid_r(geteuid(), &pw, scratch, sizeof scratch, &found) == 0 && found != nullptr)
        name = found->pw_name;
    else if (const char* env = std::getenv("USER"))
        name = env;
    else {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (buffer == nullptr || name.size() + 1 > *size) {
        *size = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size() + 1);
    return TRUE;
}

namespace wincompat {
char pathDelimiter() { return '/'; }

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool standardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool sameKeyword(const std::string& a, const std::string& b) { return sameAsciiName(a, b); }
} // namespace wincompat
