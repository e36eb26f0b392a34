#include "support/CopyCallsFault.h"

wincompat::detail::CopySystemCalls& fixtures::copyCalls()
{
    static wincompat::detail::CopySystemCalls calls = wincompat::detail::realCopySystemCalls();
    return calls;
}

const wincompat::detail::CopySystemCalls& wincompat::detail::copySystemCalls()
{
    return fixtures::copyCalls();
}
