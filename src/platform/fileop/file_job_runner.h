#pragma once
// Runs a file job: through the windows of a GUI program when one has offered them, else with no
// window at all. The file-operation library itself never draws, so a console program that links it
// needs no display stack.
#include "platform/fileop/file_job.h"

#include <optional>

namespace wincompat::fileop {

// Runs the job with a progress window and questions; nullopt when it cannot show them here (no GUI,
// or a call off the GUI thread), and the job then runs headless.
using WindowedJobRunner = std::optional<DWORD> (*)(const FileJob& job);

// Installed once by the GUI side; nullptr takes it away again.
void setWindowedJobRunner(WindowedJobRunner runner);

// Blocks until the job has ended; returns its result code.
DWORD runFileJob(const FileJob& job);

} // namespace wincompat::fileop
