// Windows: the shell's own copy does the work and keeps nothing, so an update there is not yet all
// or nothing and cannot be taken back; the calls say so rather than pretend.
#include "platform/keptcopy.h"

namespace wincompat {

int SHFileOperationKeepingA(SHFILEOPSTRUCTA* request, const std::string&, KeptCopyOutcome* outcome)
{
    if (outcome)
        *outcome = {};
    return SHFileOperationA(request);
}

DWORD recoverKeptCopy(const std::string&, bool& recovered, KeptCopyOutcome& outcome)
{
    recovered = false;
    outcome = {};
    return ERROR_SUCCESS;
}

DWORD completeKeptCopy(const std::string&) { return ERROR_SUCCESS; }

bool hasKeptCopy(const std::string&) { return false; }

DWORD rollBackKeptCopy(const std::string&, bool, KeptCopyOutcome& outcome)
{
    outcome = {};
    return ERROR_CALL_NOT_IMPLEMENTED;
}

DWORD writeKeptNote(const std::string&, const std::string&) { return ERROR_SUCCESS; }

std::string readKeptNote(const std::string&) { return {}; }

} // namespace wincompat
