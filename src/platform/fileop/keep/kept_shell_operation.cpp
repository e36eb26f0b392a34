// The kept copy's entry point, apart from SHFileOperationA so that a program may replace either.
#include "platform/keptcopy.h"

#include "platform/fileop/file_job.h"
#include "platform/fileop/file_job_runner.h"

int wincompat::SHFileOperationKeepingA(SHFILEOPSTRUCTA* request, const std::string& keepRoot,
                                       KeptCopyOutcome* outcome)
{
    if (request == nullptr || request->wFunc != FO_COPY || keepRoot.empty())
        return ERROR_INVALID_PARAMETER;
    request->fAnyOperationsAborted = FALSE;
    wincompat::fileop::FileJob job;
    if (DWORD rc = wincompat::fileop::FileJob::fromRequest(*request, job); rc != ERROR_SUCCESS)
        return static_cast<int>(rc);
    job.keepRoot = keepRoot;
    KeptCopyOutcome ignored;
    job.keptOutcome = outcome ? outcome : &ignored;
    *job.keptOutcome = {};
    DWORD rc = wincompat::fileop::runFileJob(job);
    request->fAnyOperationsAborted = rc == ERROR_CANCELLED;
    return static_cast<int>(rc);
}
