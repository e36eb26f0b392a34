#include "platform/fileop/keep/keep_undo.h"

#include "platform/base/unique_dir.h"
#include "platform/base/unique_fd.h"
#include "platform/fileop/phases/copy_paths.h"
#include "platform/system.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace wincompat::fileop {
namespace {

bool isWritten(const std::string& path, const WrittenFile& written)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    WrittenFile now{st.st_dev, st.st_ino, static_cast<std::uint64_t>(st.st_size), st.st_mtim};
    return now == written;
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool isFolder(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void note(KeptCopyOutcome& outcome, DWORD& first, const std::string& path, int err)
{
    ++outcome.failed;
    if (first == ERROR_SUCCESS) {
        first = errorFromErrno(err);
        outcome.failedPath = path;
    }
}

// Temporary files of the copy's own process in one of its folders.
void removeTemporaries(const std::string& folder, long pid)
{
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return;
    std::vector<std::string> ours;
    if (UniqueDir d = readFolderOf(fd.get()))
        while (dirent* e = ::readdir(d.get()))
            if (isStagingName(e->d_name) && stagingOwner(e->d_name) == pid)
                ours.emplace_back(e->d_name);
    for (const std::string& name : ours)
        ::unlinkat(fd.get(), name.c_str(), 0);
}

} // namespace

std::string changedSinceWritten(const KeepJournal& journal)
{
    for (const JournalEntry& e : journal.entries)
        if (e.kind != JournalEntry::Kind::Touched && !isWritten(joinPath(e.dir, e.name), e.written))
            return joinPath(e.dir, e.name);
    return {};
}

std::string keptFileMissing(const KeepJournal& journal)
{
    for (const JournalEntry& e : journal.entries)
        if (e.kind == JournalEntry::Kind::Replaced && !exists(e.kept))
            return e.kept;
    return {};
}

DWORD undoFiles(const KeepJournal& journal, bool force, KeptCopyOutcome& outcome)
{
    DWORD first = ERROR_SUCCESS;
    // Newest first, so that a name the copy touched twice ends as it began.
    for (auto it = journal.entries.rbegin(); it != journal.entries.rend(); ++it) {
        const JournalEntry& e = *it;
        const std::string target = joinPath(e.dir, e.name);
        switch (e.kind) {
        case JournalEntry::Kind::Replaced:
            if (exists(e.kept)) {
                if (::rename(e.kept.c_str(), target.c_str()) != 0) {
                    note(outcome, first, target, errno);
                    break;
                }
                // Renaming a file onto another link of itself changes nothing: the kept name stays.
                if (exists(e.kept))
                    ::unlink(e.kept.c_str());
                ++outcome.replaced;
                break;
            }
            // Never kept. While a copy is unfinished that means the target was gone by then, so the new
            // file was an addition; in a completed copy the old file has been lost since, and the new
            // one, all there is, stays.
            if (journal.complete) {
                ++outcome.failed;
                if (first == ERROR_SUCCESS) {
                    first = ERROR_FILE_NOT_FOUND;
                    outcome.failedPath = e.kept;
                }
                break;
            }
            [[fallthrough]];
        case JournalEntry::Kind::Added:
            if (isWritten(target, e.written) || (force && exists(target) && !isFolder(target))) {
                if (::unlink(target.c_str()) != 0)
                    note(outcome, first, target, errno);
                else
                    ++outcome.added;
            }
            break;
        case JournalEntry::Kind::Touched: {
            UniqueFd dir(::open(e.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            struct stat st;
            if (!dir || ::fstatat(dir.get(), e.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                break; // gone since: nothing to give its attributes back to
            if ((!S_ISLNK(st.st_mode) && ::fchmodat(dir.get(), e.name.c_str(), e.before.mode, 0) != 0) ||
                ::utimensat(dir.get(), e.name.c_str(), e.before.times, AT_SYMLINK_NOFOLLOW) != 0)
                note(outcome, first, target, errno);
            break;
        }
        }
    }
    for (const JournalFolder& folder : journal.folders)
        removeTemporaries(folder.path, journal.pid);
    return first;
}

void restoreFolders(const KeepJournal& journal)
{
    for (auto it = journal.folders.rbegin(); it != journal.folders.rend(); ++it)
        if (it->created)
            ::rmdir(it->path.c_str()); // one that holds anything else stays
    for (auto it = journal.folders.rbegin(); it != journal.folders.rend(); ++it) {
        if (it->created)
            continue;
        UniqueFd dir(::open(it->path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir) {
            ::fchmod(dir.get(), it->before.mode);
            ::futimens(dir.get(), it->before.times);
        }
    }
}

void removeKeptElsewhere(const KeepJournal& journal, const std::string& keepFolder)
{
    const std::string inside = keepFolder.back() == '/' ? keepFolder : keepFolder + "/";
    for (const JournalEntry& e : journal.entries)
        if (e.kind == JournalEntry::Kind::Replaced && e.kept.compare(0, inside.size(), inside) != 0)
            ::unlink(e.kept.c_str());
}

} // namespace wincompat::fileop
