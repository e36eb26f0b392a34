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
#include "platform/fileop/file_job.h"
#include "platform/fileop/job_callbacks.h"

#include <atomic>

namespace wincompat::fileop {

// Does the job's work itself, on the calling thread (and its own pool), telling `callbacks` what
// happens; it never decides whether windows show (runFileJob in file_job_runner.h does that, and
// calls this). Returns 0 when everything was done, ERROR_CANCELLED when `cancel` was set or the
// user chose Cancel, otherwise the code of the first failure (also when it was skipped). Safe to
// call from any thread; jobs do not share state.
DWORD executeFileJob(const FileJob& job, const JobCallbacks& callbacks, const std::atomic<bool>& cancel);

} // namespace wincompat::fileop
