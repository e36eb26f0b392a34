#include "platform/posix/copy_syscalls.h"

#include <cstdio>
#include <unistd.h>

namespace wincompat::detail {

CopySystemCalls realCopySystemCalls()
{
    return CopySystemCalls{::syncfs, ::fchmod, ::futimens, ::fchmodat, ::utimensat, ::renameat};
}

CopySystemCalls& copySystemCalls()
{
    static CopySystemCalls calls = realCopySystemCalls();
    return calls;
}

} // namespace wincompat::detail
