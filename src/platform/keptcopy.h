#pragma once
// A copy that can be taken back: the shell's FO_COPY, all or nothing, keeping every file it
// replaces until the next such copy. An update of a till uses it so that a failure, a cancel, a
// kill or a later change of mind never leaves old and new program files side by side.
//
// The kept files live in a folder of the destination (the "keep root", so that they stay on the
// destination's file system and can be put back by renaming): `<keep root>/pending` while a copy is
// under way, `<keep root>/previous` for the last completed one. Each holds a journal of what the
// copy did, written to disk before the first file is replaced.
#include "platform/shell.h"

#include <cstdint>
#include <string>

namespace wincompat {

// What a kept copy, a recovery or a rollback did.
struct KeptCopyOutcome {
    std::uint64_t replaced = 0;  // files that took the place of an existing one (or were put back)
    std::uint64_t added = 0;     // files put where nothing was (or removed again by a rollback)
    std::uint64_t unchanged = 0; // files whose contents were the same already
    std::uint64_t failed = 0;    // failures seen before the job stopped
    std::uint64_t bytes = 0;     // bytes written anew
    std::string failedPath;      // the first failure's path, empty when none
    std::string failedReason;    // its reason, when the code alone does not say it
};

// Runs request (FO_COPY only) so that the destination ends either wholly new or exactly as it was:
// same files, contents, modes and times, same folders, nothing added. The first failure stops the
// job, whatever the flags say. keepRoot must be a folder name inside the destination; an unfinished
// copy found there must be recovered first (ERROR_BUSY otherwise). On success the copy is left
// pending: completeKeptCopy() makes it the one that rollBackKeptCopy() takes back.
int SHFileOperationKeepingA(SHFILEOPSTRUCTA* request, const std::string& keepRoot, KeptCopyOutcome* outcome);

// Takes back a copy that never completed (a kill, a power cut), or finishes one that completed
// but was not yet made the previous one. Sets `recovered` when there was something to take back.
// Returns 0, or the code of the first failure (outcome.failedPath names it).
DWORD recoverKeptCopy(const std::string& keepRoot, bool& recovered, KeptCopyOutcome& outcome);

// Makes the pending copy the previous one, in place of the one before (whose kept files go). Fails
// only when the copy could not be marked complete: it is then still unfinished, to be taken back.
DWORD completeKeptCopy(const std::string& keepRoot);

// Whether a completed copy can be taken back.
bool hasKeptCopy(const std::string& keepRoot);

// Puts back what the previous copy replaced and removes what it added. A file the copy wrote that
// has changed since refuses the rollback with ERROR_INVALID_DATA (outcome.failedPath names it, failedReason says why),
// unless `force`; so does a kept file that is gone (ERROR_FILE_NOT_FOUND), whose new file then stays
// even when forced. The kept copy is gone afterwards.
DWORD rollBackKeptCopy(const std::string& keepRoot, bool force, KeptCopyOutcome& outcome);

// A few lines of the caller's own kept with the copy (what to restore besides the files): written
// to the pending copy, read from the previous one. Empty when there is none.
DWORD writeKeptNote(const std::string& keepRoot, const std::string& text);
std::string readKeptNote(const std::string& keepRoot);

} // namespace wincompat
