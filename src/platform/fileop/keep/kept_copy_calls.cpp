// The kept copy's calls after the copy itself: completing it, recovering from a kill, taking it
// back, and the caller's note.
#include "platform/keptcopy.h"

#include "platform/fileop/keep/keep_folder.h"
#include "platform/fileop/keep/keep_journal.h"
#include "platform/fileop/keep/keep_undo.h"
#include "platform/system.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace wincompat {
namespace {

using namespace fileop;

constexpr char kNote[] = "note";

bool present(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

DWORD syncFolder(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return fd && ::fsync(fd.get()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno);
}

// pending becomes previous; the one it replaces goes. Each step is one rename, and a kill between
// two leaves a state that recoverKeptCopy() carries on from: a complete pending, or a discarded
// previous.
DWORD promote(const std::string& root)
{
    const std::string pending = keepPath(root, kPending), previous = keepPath(root, kPrevious),
                      discarded = keepPath(root, kDiscarded);
    if (present(discarded))
        if (DWORD rc = removeKeepFolder(discarded); rc != ERROR_SUCCESS)
            return rc;
    if (present(previous) && ::rename(previous.c_str(), discarded.c_str()) != 0)
        return errorFromErrno(errno);
    if (::rename(pending.c_str(), previous.c_str()) != 0)
        return errorFromErrno(errno);
    if (DWORD rc = syncFolder(root); rc != ERROR_SUCCESS)
        return rc;
    // What is left of the one before goes now, or at the next recovery if something holds it.
    removeKeepFolder(discarded);
    return ERROR_SUCCESS;
}

} // namespace

DWORD completeKeptCopy(const std::string& keepRoot)
{
    DWORD error = ERROR_SUCCESS;
    UniqueFd pending = openKeepFolder(keepPath(keepRoot, kPending), false, error);
    if (!pending)
        return error;
    // From this line on the copy stands: a kill afterwards finishes it instead of taking it back,
    // and so does the next recovery when a step below fails now.
    if (DWORD rc = appendJournal(pending.get(), journalCompleteLine(), false); rc != ERROR_SUCCESS)
        return rc;
    promote(keepRoot);
    return ERROR_SUCCESS;
}

DWORD recoverKeptCopy(const std::string& keepRoot, bool& recovered, KeptCopyOutcome& outcome)
{
    recovered = false;
    outcome = {};
    DWORD error = ERROR_SUCCESS;
    UniqueFd root = openKeepFolder(keepRoot, false, error);
    if (!root)
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ERROR_SUCCESS : error;
    const std::string pending = keepPath(keepRoot, kPending);
    UniqueFd pendingFd = openKeepFolder(pending, false, error);
    if (!pendingFd) {
        if (error != ERROR_FILE_NOT_FOUND)
            return outcome.failedPath = pending, error;
        return removeKeepFolder(keepPath(keepRoot, kDiscarded));
    }
    KeepJournal journal;
    if (readJournal(pendingFd.get(), pending, journal) == ERROR_SUCCESS && journal.complete)
        return promote(keepRoot);
    pendingFd.reset();
    recovered = true;
    return undoKeepFolder(keepRoot, kPending, false, outcome);
}

bool hasKeptCopy(const std::string& keepRoot)
{
    DWORD error = ERROR_SUCCESS;
    UniqueFd previous = openKeepFolder(keepPath(keepRoot, kPrevious), false, error);
    KeepJournal journal;
    return previous && readJournal(previous.get(), keepPath(keepRoot, kPrevious), journal) == ERROR_SUCCESS;
}

DWORD rollBackKeptCopy(const std::string& keepRoot, bool force, KeptCopyOutcome& outcome)
{
    outcome = {};
    DWORD error = ERROR_SUCCESS;
    UniqueFd previous = openKeepFolder(keepPath(keepRoot, kPrevious), false, error);
    if (!previous)
        return error;
    KeepJournal journal;
    if (error = readJournal(previous.get(), keepPath(keepRoot, kPrevious), journal); error != ERROR_SUCCESS)
        return outcome.failedPath = keepPath(keepRoot, kPrevious), error;
    previous.reset();
    // Refused before anything moves: a rollback that stopped half way would leave a mix.
    if (std::string missing = keptFileMissing(journal); !missing.empty() && !force) {
        outcome.failedPath = missing;
        outcome.failedReason = "the previous version of a file is no longer kept";
        return ERROR_FILE_NOT_FOUND;
    }
    if (!force) {
        if (std::string changed = changedSinceWritten(journal); !changed.empty()) {
            outcome.failedPath = changed;
            outcome.failedReason = "it has changed since the update wrote it";
            return ERROR_INVALID_DATA;
        }
    }
    return undoKeepFolder(keepRoot, kPrevious, force, outcome);
}

DWORD writeKeptNote(const std::string& keepRoot, const std::string& text)
{
    DWORD error = ERROR_SUCCESS;
    UniqueFd pending = openKeepFolder(keepPath(keepRoot, kPending), false, error);
    if (!pending)
        return error;
    UniqueFd fd(::openat(pending.get(), kNote, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd || ::write(fd.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size()) ||
        ::fsync(fd.get()) != 0)
        return errorFromErrno(errno);
    return ERROR_SUCCESS;
}

std::string readKeptNote(const std::string& keepRoot)
{
    DWORD error = ERROR_SUCCESS;
    UniqueFd previous = openKeepFolder(keepPath(keepRoot, kPrevious), false, error);
    if (!previous)
        return {};
    UniqueFd fd(::openat(previous.get(), kNote, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    std::string text;
    char buffer[4096];
    ssize_t n;
    while (fd && (n = ::read(fd.get(), buffer, sizeof buffer)) > 0 && text.size() < (1u << 20))
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

} // namespace wincompat
