// Alone in its file, so that a test program's own definition replaces it at link time.
#include "platform/fileop/copy_syscalls.h"

namespace wincompat::fileop {

const CopySystemCalls& copySystemCalls()
{
    static const CopySystemCalls calls = realCopySystemCalls();
    return calls;
}

} // namespace wincompat::fileop
