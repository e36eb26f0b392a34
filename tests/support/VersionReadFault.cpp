#include "support/VersionReadFault.h"

#include "platform/version/version_fault.h"

#include <utility>

namespace {
DWORD pending = ERROR_SUCCESS;
}

void fixtures::failNextVersionRead(DWORD error)
{
    pending = error;
}

DWORD wincompat::version::pendingReadFault()
{
    return std::exchange(pending, ERROR_SUCCESS);
}
