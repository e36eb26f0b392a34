#include "platform/shell.h"

#include "platform/fileop/file_job_runner.h"
#include "platform/fileop/file_job.h"

int SHFileOperationA(SHFILEOPSTRUCTA* request)
{
    if (request == nullptr)
        return ERROR_INVALID_PARAMETER;
    request->fAnyOperationsAborted = FALSE;
    wincompat::fileop::FileJob job;
    if (DWORD rc = wincompat::fileop::FileJob::fromRequest(*request, job); rc != ERROR_SUCCESS)
        return static_cast<int>(rc);
    DWORD rc = wincompat::fileop::runFileJob(job);
    request->fAnyOperationsAborted = rc == ERROR_CANCELLED;
    return static_cast<int>(rc);
}
