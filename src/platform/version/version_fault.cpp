// Alone in its file, so that a test program's own definition replaces it at link time.
#include "platform/version/version_fault.h"

namespace wincompat::version {
DWORD pendingReadFault()
{
    return ERROR_SUCCESS;
}
} // namespace wincompat::version
