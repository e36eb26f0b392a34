#include "platform/fileop/phases/copy_committer.h"

#include "platform/fileop/phases/copy_paths.h"
#include "platform/fileop/copy_syscalls.h"
#include "platform/fileop/task_pool.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace wincompat::fileop {

void CopyCommitter::rememberFileSystem(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) == 0 && !fileSystems_.count(st.st_dev)) {
        char link[64], path[4096];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        ssize_t n = ::readlink(link, path, sizeof path - 1);
        fileSystems_.emplace(st.st_dev, std::make_pair(UniqueFd(::dup(fd)), std::string(path, n > 0 ? n : 0)));
    }
}

bool CopyCommitter::sync()
{
    bool ok = true;
    for (auto& [dev, fs] : fileSystems_)
        if (copySystemCalls().syncfs(fs.first.get()) != 0) {
            ok = false;
            reporter_.failErrno("write the files to the disk of", fs.second, errno);
        }
    return ok;
}

int CopyCommitter::openFolder(const PlannedFolder& folder)
{
    return ::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (folder.followLink ? 0 : O_NOFOLLOW));
}

// Replacing a file frees the old one's blocks, and where the file system hands freed blocks back to
// the disk at once (a "discard" mount) each replacement waits for the disk. Folders are therefore
// put in place by several threads, so that those waits overlap. The order among files does not
// matter: each rename is whole, and all of them come after the sync.
void CopyCommitter::renameAll()
{
    TaskPool pool(threads_);
    for (std::size_t i = 0; i < plan_.folders.size(); ++i)
        pool.submit([this, i] { rename(i); });
}

int CopyCommitter::place(int dirFd, std::size_t folder, std::size_t entry)
{
    PlannedEntry& e = plan_.folders[folder].entries[entry];
    if (keep_)
        return keep_->place(dirFd, folder, entry);
    const std::string tmp = stagingName(e.seq);
    int rc = e.noReplace ? ::renameat2(dirFd, tmp.c_str(), dirFd, e.name.c_str(), RENAME_NOREPLACE)
                         : copySystemCalls().renameat(dirFd, tmp.c_str(), dirFd, e.name.c_str());
    if (rc != 0)
        return errno;
    ++(e.targetExists ? replaced_ : added_);
    return 0;
}

void CopyCommitter::rename(std::size_t index)
{
    PlannedFolder& folder = plan_.folders[index];
    if (std::none_of(folder.entries.begin(), folder.entries.end(), [](const PlannedEntry& e) {
            return e.outcome == Outcome::Staged || (e.outcome == Outcome::Unchanged && e.attrsDiffer);
        }))
        return;
    UniqueFd dir(openFolder(folder));
    if (!dir) {
        int err = errno;
        for (PlannedEntry& e : folder.entries)
            if (e.outcome == Outcome::Staged)
                e.outcome = Outcome::Failed;
        ok_ = false;
        if (!reporter_.failErrno("replace the files in", folder.path, err))
            skipRest_ = true;
        return;
    }
    for (std::size_t k = 0; k < folder.entries.size(); ++k) {
        PlannedEntry& e = folder.entries[k];
        if (e.outcome != Outcome::Staged)
            continue;
        if (skipRest_) {
            ::unlinkat(dir.get(), stagingName(e.seq).c_str(), 0);
            e.outcome = Outcome::Failed;
            continue;
        }
        if (int err = place(dir.get(), index, k); err != 0) {
            ::unlinkat(dir.get(), stagingName(e.seq).c_str(), 0);
            e.outcome = Outcome::Failed;
            ok_ = false;
            // Past this point a cancel cannot bring back what was replaced (unless it was kept); it
            // only stops.
            if (!reporter_.failErrno("replace", joinPath(folder.path, e.name), err))
                skipRest_ = true;
        }
    }
    if (!skipRest_ && !applyUnchangedAttributes(dir.get(), folder))
        skipRest_ = true;
}

// A file whose contents were the same already takes the source's mode and times, as a copy would.
bool CopyCommitter::applyUnchangedAttributes(int dirFd, PlannedFolder& folder)
{
    const CopySystemCalls& calls = copySystemCalls();
    for (PlannedEntry& e : folder.entries) {
        if (e.outcome != Outcome::Unchanged || !e.attrsDiffer)
            continue;
        int rc = S_ISLNK(e.mode) ? 0 : calls.fchmodat(dirFd, e.name.c_str(), e.mode & 07777, 0);
        if (rc == 0)
            rc = calls.utimensat(dirFd, e.name.c_str(), e.times, AT_SYMLINK_NOFOLLOW);
        if (rc != 0) {
            e.outcome = Outcome::Failed;
            ok_ = false;
            if (!reporter_.failErrno("set the attributes of", joinPath(folder.path, e.name), errno))
                return false;
        }
    }
    return true;
}

bool CopyCommitter::applyFolderAttributes()
{
    // Deepest first, so that setting a parent's time is not undone by work inside it. A folder
    // reached through a link is someone else's: it keeps its own.
    const CopySystemCalls& calls = copySystemCalls();
    for (auto it = plan_.folders.rbegin(); it != plan_.folders.rend(); ++it) {
        if (!it->fromSource || it->followLink)
            continue;
        UniqueFd dir(openFolder(*it));
        if (!dir)
            continue; // not created: its failure was reported
        struct stat st;
        if (::fstat(dir.get(), &st) == 0 && (st.st_mode & 07777) == it->mode &&
            st.st_mtim.tv_sec == it->times[1].tv_sec && st.st_mtim.tv_nsec == it->times[1].tv_nsec &&
            st.st_atim.tv_sec == it->times[0].tv_sec && st.st_atim.tv_nsec == it->times[0].tv_nsec)
            continue; // an unchanged folder of an update run again
        if (calls.fchmod(dir.get(), it->mode) != 0 || calls.futimens(dir.get(), it->times) != 0) {
            ok_ = false;
            if (!reporter_.failErrno("set the attributes of", it->path, errno))
                return false;
        }
    }
    return true;
}

bool CopyCommitter::commit()
{
    reporter_.committing();
    if (!sync() || (keep_ && !keep_->prepareCommit())) {
        // Nothing replaced yet: the data may not be on disk, so no target may point at it.
        rollback();
        return false;
    }
    renameAll();
    if (!skipRest_)
        applyFolderAttributes();
    if (!sync())
        ok_ = false;
    if (keep_ && !ok_) {
        keep_->undo();
        return false;
    }
    reporter_.committed(keep_ ? keep_->replaced() : replaced_.load(), keep_ ? keep_->added() : added_.load());
    return ok_;
}

void CopyCommitter::rollback()
{
    if (keep_) {
        keep_->undo(); // its journal knows the temporary files and the folders made
        return;
    }
    for (PlannedFolder& folder : plan_.folders) {
        if (std::none_of(folder.entries.begin(), folder.entries.end(),
                         [](const PlannedEntry& e) { return e.outcome == Outcome::Staged; }))
            continue;
        UniqueFd dir(openFolder(folder));
        for (PlannedEntry& e : folder.entries)
            if (e.outcome == Outcome::Staged) {
                if (dir)
                    ::unlinkat(dir.get(), stagingName(e.seq).c_str(), 0);
                e.outcome = Outcome::Failed;
            }
    }
    for (auto it = created_.rbegin(); it != created_.rend(); ++it)
        ::rmdir(it->c_str());
}

} // namespace wincompat::fileop
