#pragma once
// Runs a file job the way the shell does: with a window when there is a GUI to show it in,
// the work on a worker thread while the caller's thread keeps the windows alive.
#include "platform/posix/file_job.h"

namespace wincompat::detail {

// Blocks until the job has ended; returns its result code.
DWORD runFileJob(const FileJob& job);

// How long a job may run before its progress window appears.
constexpr int kProgressDelayMs = 500;

} // namespace wincompat::detail
