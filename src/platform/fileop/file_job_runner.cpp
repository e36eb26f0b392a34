#include "platform/fileop/file_job_runner.h"

#include "platform/fileop/copy_engine.h"

#include <atomic>

namespace wincompat::fileop {
namespace {
std::atomic<WindowedJobRunner> windowedRunner{nullptr};
}

void setWindowedJobRunner(WindowedJobRunner runner)
{
    windowedRunner.store(runner);
}

DWORD runFileJob(const FileJob& job)
{
    if (WindowedJobRunner runner = windowedRunner.load(); runner != nullptr) {
        if (std::optional<DWORD> result = runner(job))
            return *result;
    }
    // Nobody to show anything to or to ask about a failure: no window, and the job stops at the
    // first failure.
    std::atomic<bool> cancel{false};
    return executeFileJob(job, JobCallbacks{}, cancel);
}

} // namespace wincompat::fileop
