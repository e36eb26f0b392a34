#include "support/CopyCallsFault.h"

wincompat::fileop::CopySystemCalls& fixtures::copyCalls()
{
    static wincompat::fileop::CopySystemCalls calls = wincompat::fileop::realCopySystemCalls();
    return calls;
}

const wincompat::fileop::CopySystemCalls& wincompat::fileop::copySystemCalls()
{
    return fixtures::copyCalls();
}
