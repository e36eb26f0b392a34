#include "platform/shell.h"

#include "platform/posix/copy_runner.h"
#include "platform/posix/file_job.h"

int SHFileOperationA(SHFILEOPSTRUCTA* request)
{
    if (request == nullptr)
        return ERROR_INVALID_PARAMETER;
    request->fAnyOperationsAborted = FALSE;
    wincompat::detail::FileJob job;
    if (DWORD rc = wincompat::detail::FileJob::fromRequest(*request, job); rc != ERROR_SUCCESS)
        return static_cast<int>(rc);
    DWORD rc = wincompat::detail::runFileJob(job);
    request->fAnyOperationsAborted = rc == ERROR_CANCELLED;
    return static_cast<int>(rc);
}
