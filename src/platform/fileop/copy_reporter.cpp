#include "platform/fileop/copy_reporter.h"

#include "platform/fileop/copy_progress.h"
#include "platform/system.h"

namespace wincompat::fileop {

CopyReporter::CopyReporter(const FileJob& job, const JobCallbacks& callbacks, const std::atomic<bool>& cancel)
    : job_(job), callbacks_(callbacks), cancel_(cancel), sink_(currentCopyProgressSink())
{
}

bool CopyReporter::fail(const std::string& action, const std::string& path, DWORD code, const std::string& reason)
{
    std::lock_guard lock(mutex_);
    ++failures_;
    if (firstError_ == ERROR_SUCCESS) {
        firstError_ = code;
        firstPath_ = path;
        firstReason_ = reason;
    }
    if (sink_)
        sink_->failed(path.c_str(), code);
    if (job_.keeping()) {
        stop_ = true;
        return false;
    }
    if (skipAll_)
        return true;
    if (job_.has(FOF_NOERRORUI) || !callbacks_.askOnError) {
        stop_ = true;
        return false;
    }
    switch (callbacks_.askOnError(JobFailure{action, path, reason, code})) {
    case ErrorDecision::Skip: return true;
    case ErrorDecision::SkipAll: skipAll_ = true; return true;
    case ErrorDecision::Cancel: break;
    }
    cancelled_ = true;
    stop_ = true;
    return false;
}

bool CopyReporter::failErrno(const std::string& action, const std::string& path, int err)
{
    return fail(action, path, errorFromErrno(err));
}

Answer CopyReporter::confirm(const std::string& text, bool offerAll)
{
    std::lock_guard lock(mutex_);
    // Nobody to ask: never assume Yes for a question that guards against losing something.
    Answer a = callbacks_.confirm ? callbacks_.confirm(Question{text, offerAll}) : Answer::No;
    if (a == Answer::Cancel) {
        cancelled_ = true;
        stop_ = true;
    }
    return a;
}

bool CopyReporter::stopped()
{
    if (!stop_.load(std::memory_order_acquire) && !committing_.load(std::memory_order_acquire) &&
        cancel_.load(std::memory_order_acquire)) {
        cancelled_ = true;
        stop_ = true;
    }
    return stop_.load(std::memory_order_acquire);
}

void CopyReporter::stop(bool cancelled)
{
    if (cancelled)
        cancelled_ = true;
    stop_ = true;
}

void CopyReporter::committing()
{
    committing_ = true;
    std::lock_guard lock(mutex_);
    if (callbacks_.committing)
        callbacks_.committing();
}

void CopyReporter::addToTotal(std::uint64_t bytes, std::uint64_t files)
{
    std::lock_guard lock(mutex_);
    progress_.bytesTotal += bytes;
    progress_.filesTotal += files;
}

void CopyReporter::advance(std::uint64_t bytes, std::uint64_t files, const std::string& current)
{
    std::lock_guard lock(mutex_);
    progress_.bytesDone += bytes;
    progress_.filesDone += files;
    reportLocked(current);
}

void CopyReporter::placed(bool unchanged)
{
    std::lock_guard lock(mutex_);
    ++(unchanged ? progress_.filesUnchanged : progress_.filesCopied);
}

void CopyReporter::committed(std::uint64_t replaced, std::uint64_t added)
{
    std::lock_guard lock(mutex_);
    progress_.filesReplaced = replaced;
    progress_.filesAdded = added;
}

void CopyReporter::reportLocked(const std::string& current)
{
    if (callbacks_.progress)
        callbacks_.progress(progress_, current);
    if (sink_)
        sink_->progressed(progress_, current.c_str());
}

void CopyReporter::started()
{
    std::lock_guard lock(mutex_);
    if (sink_)
        sink_->started(progress_);
    reportLocked({});
}

void CopyReporter::finished(DWORD result)
{
    std::lock_guard lock(mutex_);
    if (sink_)
        sink_->finished(progress_, result);
}

DWORD CopyReporter::result()
{
    std::lock_guard lock(mutex_);
    return cancelled_ ? ERROR_CANCELLED : firstError_;
}

CopyProgress CopyReporter::snapshot()
{
    std::lock_guard lock(mutex_);
    return progress_;
}

std::uint64_t CopyReporter::failures()
{
    std::lock_guard lock(mutex_);
    return failures_;
}

std::string CopyReporter::firstFailedPath()
{
    std::lock_guard lock(mutex_);
    return firstPath_;
}

std::string CopyReporter::firstFailedReason()
{
    std::lock_guard lock(mutex_);
    return firstReason_;
}

} // namespace wincompat::fileop
