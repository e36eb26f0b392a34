#pragma once
// Shows a file job the way the shell does: a progress window after a short blink, the questions and
// the error dialog over it, the work on a worker thread while the caller's thread keeps the windows
// alive.
#include "platform/fileop/file_job.h"

#include <optional>

namespace wincompat::gui {

// Runs the job with its windows; nullopt when there is no GUI here or the call is off its thread.
std::optional<DWORD> runFileJobWithWindows(const fileop::FileJob& job);

// How long a job may run before its progress window appears.
constexpr int kProgressDelayMs = 500;

} // namespace wincompat::gui
