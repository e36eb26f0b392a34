#include "platform/fileop/keep/kept_changes.h"

#include "platform/base/path_split.h"
#include "platform/fileop/copy_syscalls.h"
#include "platform/fileop/keep/keep_folder.h"
#include "platform/fileop/keep/keep_journal.h"
#include "platform/fileop/phases/copy_paths.h"
#include "platform/system.h"

#include <cerrno>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

namespace wincompat::fileop {
namespace {

FileAttributes attributesOf(const struct stat& st)
{
    FileAttributes a;
    a.mode = st.st_mode & 07777;
    a.times[0] = st.st_atim;
    a.times[1] = st.st_mtim;
    return a;
}

bool syncFolder(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd && ::fsync(fd.get()) == 0;
}

bool sameName(const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) == 0; }

int openPlanned(const PlannedFolder& folder)
{
    return ::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (folder.followLink ? 0 : O_NOFOLLOW));
}

} // namespace

bool KeptChanges::begin()
{
    if (plan_.folders.empty())
        return true;
    // The update must not write into the folder that keeps the files it replaces.
    const std::string reserved = nameOf(root_);
    for (const PlannedFolder& folder : plan_.folders) {
        if (folder.parent != 0)
            continue;
        if (sameName(folder.name, reserved))
            return reporter_.fail("copy", folder.path, ERROR_ACCESS_DENIED,
                                  "the name is kept for the files an update replaces"),
                   false;
    }
    for (const PlannedEntry& e : plan_.folders[0].entries)
        if (sameName(e.name, reserved))
            return reporter_.fail("copy", joinPath(plan_.folders[0].path, e.name), ERROR_ACCESS_DENIED,
                                  "the name is kept for the files an update replaces"),
                   false;

    std::string lines = journalHeader(plan_.folders[0].path, stagingPid());
    for (const PlannedFolder& folder : plan_.folders) {
        JournalFolder record{folder.path, !folder.exists, {}};
        struct stat st;
        if (folder.exists) {
            if (::stat(folder.path.c_str(), &st) != 0)
                return reporter_.failErrno("copy into", folder.path, errno), false;
            record.before = attributesOf(st);
        }
        lines += journalLine(record);
    }

    DWORD error = ERROR_SUCCESS;
    UniqueFd rootFd = openKeepFolder(root_, true, error);
    pending_ = keepPath(root_, kPending);
    if (rootFd) {
        if (UniqueFd stale = openKeepFolder(pending_, false, error); stale || error != ERROR_FILE_NOT_FOUND)
            return reporter_.fail("keep the replaced files in", pending_, stale ? ERROR_BUSY : error,
                                  stale ? "an unfinished update must be taken back first" : ""),
                   false;
        pendingFd_ = openKeepFolder(pending_, true, error);
    }
    struct stat st;
    if (pendingFd_ && ::fstat(pendingFd_.get(), &st) == 0)
        keepDev_ = st.st_dev;
    if (pendingFd_)
        error = appendJournal(pendingFd_.get(), lines, true);
    // The pending folder must itself survive a crash, or its journal would be lost with it: the
    // entries that lead to it are synced, the keep root's and the destination's.
    if (error == ERROR_SUCCESS && (::fsync(rootFd.get()) != 0 || !syncFolder(folderOf(root_))))
        error = errorFromErrno(errno);
    if (error != ERROR_SUCCESS) {
        pendingFd_.reset();
        ::unlinkat(AT_FDCWD, joinPath(pending_, kJournalName).c_str(), 0);
        ::rmdir(pending_.c_str());
        ::rmdir(root_.c_str());
        return reporter_.fail("keep the replaced files in", pending_, error), false;
    }
    return true;
}

bool KeptChanges::prepareCommit()
{
    std::string lines;
    std::uint64_t kept = 0;
    const std::string besidePrefix = ".wincompat-kept-" + std::to_string(::getpid()) + "-";
    slots_.assign(plan_.folders.size(), {});
    for (std::size_t f = 0; f < plan_.folders.size(); ++f) {
        PlannedFolder& folder = plan_.folders[f];
        slots_[f].resize(folder.entries.size());
        UniqueFd dir;
        struct stat folderStat {};
        for (std::size_t k = 0; k < folder.entries.size(); ++k) {
            PlannedEntry& e = folder.entries[k];
            const bool touched = e.outcome == Outcome::Unchanged && e.attrsDiffer;
            if (e.outcome != Outcome::Staged && !touched)
                continue;
            if (!dir) {
                dir.reset(openPlanned(folder));
                if (!dir || ::fstat(dir.get(), &folderStat) != 0)
                    return reporter_.failErrno("replace the files in", folder.path, errno), false;
            }
            struct stat now;
            const bool exists = ::fstatat(dir.get(), e.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0;
            if (touched) {
                if (exists)
                    lines += journalLine(
                        JournalEntry{JournalEntry::Kind::Touched, folder.path, e.name, {}, {}, attributesOf(now)});
                continue;
            }
            struct stat staged;
            if (::fstatat(dir.get(), stagingName(e.seq).c_str(), &staged, AT_SYMLINK_NOFOLLOW) != 0)
                return reporter_.failErrno("replace", joinPath(folder.path, e.name), errno), false;
            JournalEntry record{JournalEntry::Kind::Added, folder.path, e.name, {},
                                {staged.st_dev, staged.st_ino, static_cast<std::uint64_t>(staged.st_size),
                                 staged.st_mtim},
                                {}};
            Slot& slot = slots_[f][k];
            if (exists) {
                record.kind = JournalEntry::Kind::Replaced;
                slot.replaces = true;
                // Kept in the keep folder when it is on the same file system; else beside the file.
                slot.beside = folderStat.st_dev != keepDev_;
                slot.keptName = slot.beside ? besidePrefix + std::to_string(kept) : std::to_string(kept);
                record.kept = slot.beside ? joinPath(folder.path, slot.keptName) : slot.keptName;
                ++kept;
            }
            lines += journalLine(record);
        }
    }
    if (DWORD error = appendJournal(pendingFd_.get(), lines, false); error != ERROR_SUCCESS)
        return reporter_.fail("keep the replaced files in", pending_, error), false;
    return true;
}

int KeptChanges::place(int dirFd, std::size_t folder, std::size_t entry)
{
    const PlannedEntry& e = plan_.folders[folder].entries[entry];
    const Slot& slot = slots_[folder][entry];
    const std::string tmp = stagingName(e.seq);
    const CopySystemCalls& calls = copySystemCalls();
    if (slot.replaces) {
        // A second name for the old file first: from then on it cannot be lost, and the rename
        // that follows replaces the target in one step.
        if (calls.linkat(dirFd, e.name.c_str(), slot.beside ? dirFd : pendingFd_.get(), slot.keptName.c_str(), 0) ==
            0) {
            if (calls.renameat(dirFd, tmp.c_str(), dirFd, e.name.c_str()) != 0)
                return errno;
            ++replaced_;
            return 0;
        }
        if (errno != ENOENT)
            return errno;
        // Gone since it was looked at: the new file is an addition after all.
    }
    // Never over something that appeared since: it would be lost, kept nowhere.
    if (::renameat2(dirFd, tmp.c_str(), dirFd, e.name.c_str(), RENAME_NOREPLACE) != 0)
        return errno;
    ++added_;
    return 0;
}

void KeptChanges::undo()
{
    pendingFd_.reset();
    replaced_ = 0;
    added_ = 0;
    KeptCopyOutcome outcome;
    if (DWORD error = undoKeepFolder(root_, kPending, false, outcome); error != ERROR_SUCCESS)
        reporter_.fail("put back the previous files of", outcome.failedPath.empty() ? pending_ : outcome.failedPath,
                       error);
}

} // namespace wincompat::fileop
