#pragma once
// The only caller of a file job's callbacks and progress sink. Planning, staging (from several
// threads) and committing all report through it; one plain mutex makes every callback run alone,
// so a question or an error dialog holds the other threads at their next report.
#include "platform/copyprogress.h"
#include "platform/fileop/file_job.h"
#include "platform/fileop/job_callbacks.h"

#include <atomic>
#include <mutex>
#include <string>

namespace wincompat::fileop {

class CopyReporter {
public:
    CopyReporter(const FileJob& job, const JobCallbacks& callbacks, const std::atomic<bool>& cancel);

    // One failure. True: go on (the user skipped it); false: the job stops. A kept copy stops at
    // its first failure without asking: skipping a file would leave old and new files side by side.
    bool fail(const std::string& action, const std::string& path, DWORD code, const std::string& reason = {});
    bool failErrno(const std::string& action, const std::string& path, int err);
    // Asks the user; without anyone to ask the answer is No. Cancel stops the job.
    Answer confirm(const std::string& text, bool offerAll);
    // Set by an error, a Cancel answer or the progress window's Cancel. A cancel is taken up only
    // until the job starts putting files in place: from then on it would change nothing.
    bool stopped();
    void stop(bool cancelled);
    void committing();

    void addToTotal(std::uint64_t bytes, std::uint64_t files);
    void advance(std::uint64_t bytes, std::uint64_t files, const std::string& current);
    // A file or link placed: copied, or left as it was because its contents were already the same.
    void placed(bool unchanged);
    // Once the job has put its files in place (or taken them back: both 0).
    void committed(std::uint64_t replaced, std::uint64_t added);
    void started();
    void finished(DWORD result);

    DWORD result();
    CopyProgress snapshot();
    // The failures seen, the first one's path and reason.
    std::uint64_t failures();
    std::string firstFailedPath();
    std::string firstFailedReason();

private:
    void reportLocked(const std::string& current);

    const FileJob& job_;
    const JobCallbacks& callbacks_;
    const std::atomic<bool>& cancel_;
    CopyProgressSink* const sink_;

    std::mutex mutex_;
    CopyProgress progress_;
    DWORD firstError_ = ERROR_SUCCESS;
    std::string firstPath_, firstReason_;
    std::uint64_t failures_ = 0;
    bool skipAll_ = false;
    std::atomic<bool> stop_{false}, cancelled_{false}, committing_{false};
};

} // namespace wincompat::fileop
