#pragma once
// The work behind SHFileOperationA on Linux, without any window: expands the sources, copies,
// moves, deletes or renames, and reports progress and failures through callbacks so that the
// caller decides how to show them.
//
// A copy runs in three steps so that an interrupted or failed update never leaves a till broken:
//   1. stage: every file is written beside its target under a temporary name (".wincompat-copy-*")
//      with its mode and times; folders are created as needed;
//   2. one syncfs per destination file system, then rename every staged file over its target;
//   3. set the folders' modes and times and sync once more.
// Cancelling or stopping at an error during step 1 removes the staged files and the folders the job
// created, so the destination is left exactly as it was. A killed run leaves only temporary files,
// which the next run into the same folder removes.
// Files of some size are staged by a small pool of threads while the walk goes on; failures,
// progress and questions are serialised, so callbacks are never called concurrently.
#include "platform/copyprogress.h"
#include "platform/posix/file_job.h"

#include <atomic>
#include <functional>
#include <string>

namespace wincompat::detail {

enum class ErrorDecision { Skip, SkipAll, Cancel };

struct JobFailure {
    std::string action; // "copy", "create the folder", ...
    std::string path;   // the source or target concerned
    std::string reason; // why, when the code alone does not say it
    DWORD code = ERROR_SUCCESS;
};

enum class Answer { Yes, YesToAll, No, Cancel };

struct Question {
    std::string text;
    bool offerAll = false; // "Yes to All" makes sense (one question of many alike)
};

struct JobCallbacks {
    // Asked before replacing a file (unless FOF_NOCONFIRMATION), creating a missing destination
    // folder (unless FOF_NOCONFIRMMKDIR) or deleting (unless FOF_NOCONFIRMATION); unset means Yes.
    std::function<Answer(const Question&)> confirm;
    // Asked on every failure; unset means stop at the first one (as FOF_NOERRORUI does).
    std::function<ErrorDecision(const JobFailure&)> askOnError;
    // Once everything is staged and the job starts putting it in place: from here on it can no
    // longer be cancelled.
    std::function<void()> committing;
    // After every file and every few megabytes; `current` is the source path in hand.
    std::function<void(const CopyProgress&, const std::string& current)> progress;
};

// Runs the job on the calling thread (and its own pool). Returns 0 when everything was done, ERROR_CANCELLED when
// `cancel` was set or the user chose Cancel, otherwise the code of the first failure (also when it
// was skipped). Safe to call from any thread; jobs do not share state.
DWORD runFileJobEngine(const FileJob& job, const JobCallbacks& callbacks, const std::atomic<bool>& cancel);

// The sink installed by setCopyProgressSink, or nullptr.
CopyProgressSink* currentCopyProgressSink();

// Whether a directory entry is one of this engine's temporary files.
bool isStagingName(const char* name);

} // namespace wincompat::detail
