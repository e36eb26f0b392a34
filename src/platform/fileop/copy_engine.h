#pragma once
// The work behind SHFileOperationA on Linux, without any window: expands the sources, copies,
// moves, deletes or renames, and reports progress and failures through callbacks so that the
// caller decides how to show them.
//
// A copy runs in phases so that an interrupted or failed update never leaves a till broken:
//   1. plan (copy_planner): walk the sources, match each against the destination (names without
//      regard to case, folder links followed), and find every clash; a job that stops here has
//      changed nothing;
//   2. stage (copy_stager): write each file beside its target under a temporary name
//      (".wincompat-copy-*") with its mode and times, spread over a few threads; a target with the
//      same contents already is left alone;
//   3. commit (copy_committer): sync, rename every staged file over its target, set the attributes,
//      sync again; or, when the job stopped while staging, remove what was staged.
// The reporter (copy_reporter) is the only caller of the callbacks, one call at a time. A killed run
// leaves only temporary files, which the next run into the same folder removes.
#include "platform/copyprogress.h"
#include "platform/fileop/phases/copy_paths.h"
#include "platform/fileop/file_job.h"

#include <atomic>
#include <functional>
#include <string>

namespace wincompat::fileop {

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
    // folder (unless FOF_NOCONFIRMMKDIR) or deleting (unless FOF_NOCONFIRMATION); unset means No.
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

} // namespace wincompat::fileop
