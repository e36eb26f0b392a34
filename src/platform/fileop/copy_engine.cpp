#include "platform/fileop/copy_engine.h"

#include "platform/fileop/keep/kept_changes.h"
#include "platform/fileop/phases/copy_committer.h"
#include "platform/fileop/phases/copy_paths.h"
#include "platform/fileop/phases/copy_planner.h"
#include "platform/fileop/copy_reporter.h"
#include "platform/fileop/phases/copy_stager.h"
#include "platform/base/unique_dir.h"
#include "platform/base/unique_fd.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace wincompat::fileop {
namespace {

class Engine {
public:
    Engine(const FileJob& job, const JobCallbacks& callbacks, const std::atomic<bool>& cancel)
        : job_(job), reporter_(job, callbacks, cancel), planner_(job, reporter_)
    {
    }

    DWORD run();

private:
    bool copy(const std::vector<TopItem>& items, CopyPlan& plan);
    void move(std::vector<TopItem>& items);
    void moveByRenaming(const std::vector<TopItem>& items, CopyPlan& plan);
    void remove(const std::vector<TopItem>& items);
    void rename();
    bool removeTree(int parentFd, const std::string& path, const std::string& name, mode_t mode);

    const FileJob& job_;
    CopyReporter reporter_;
    CopyPlanner planner_;
};

bool Engine::copy(const std::vector<TopItem>& items, CopyPlan& plan)
{
    if (!planner_.plan(items, plan))
        return false;
    if (job_.operation == FO_MOVE)
        moveByRenaming(items, plan);
    CopyCommitter committer(plan, reporter_, TaskPool::suitableThreads());
    std::optional<KeptChanges> keep;
    if (job_.keeping()) {
        keep.emplace(job_.keepRoot, plan, reporter_);
        if (!keep->begin())
            return false;
        committer.keepChanges(&*keep);
    }
    {
        CopyStager stager(plan, reporter_, committer, TaskPool::suitableThreads());
        stager.stage();
    }
    if (reporter_.stopped()) {
        committer.rollback();
        return false;
    }
    return committer.commit();
}

// Within one file system a move whose target name is free is a rename; the rest is copied, and
// each item's source is removed once all of it is in place.
void Engine::moveByRenaming(const std::vector<TopItem>& items, CopyPlan& plan)
{
    for (std::size_t i = 0; i < items.size() && !reporter_.stopped(); ++i) {
        const TopItem& item = items[i];
        if (plan.items[i].incomplete || !planner_.existingName(item.destDir, item.destName).empty())
            continue;
        std::string src = joinPath(item.srcParent, item.node.name);
        UniqueFd dst(::open(item.destDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dst && ::renameat2(AT_FDCWD, src.c_str(), dst.get(), item.destName.c_str(), RENAME_NOREPLACE) == 0) {
            plan.items[i].renamed = true;
            reporter_.placed(false);
            reporter_.advance(item.node.size, 1, src);
        }
    }
}

void Engine::move(std::vector<TopItem>& items)
{
    CopyPlan plan;
    copy(items, plan);
    // An item whose every file reached its place loses its source; any failure keeps it whole.
    std::vector<bool> placed(items.size(), true);
    for (std::size_t i = 0; i < items.size(); ++i)
        placed[i] = !plan.items.empty() && !plan.items[i].incomplete && !plan.items[i].renamed;
    for (const PlannedFolder& folder : plan.folders)
        for (const PlannedEntry& e : folder.entries)
            if (e.outcome != Outcome::Staged && e.outcome != Outcome::Unchanged)
                placed[e.top] = false;
    if (plan.items.empty())
        return;
    for (std::size_t i = 0; i < items.size() && !reporter_.stopped(); ++i) {
        if (!placed[i])
            continue;
        UniqueFd parent(::open(items[i].srcParent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (parent)
            removeTree(parent.get(), joinPath(items[i].srcParent, items[i].node.name), items[i].node.name,
                       items[i].node.mode);
    }
}

bool Engine::removeTree(int parentFd, const std::string& path, const std::string& name, mode_t mode)
{
    if (S_ISDIR(mode)) {
        UniqueFd fd(::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd)
            return reporter_.failErrno("delete", path, errno);
        UniqueDir d = readFolderOf(fd.get());
        if (!d)
            return reporter_.failErrno("delete", path, errno);
        std::vector<std::pair<std::string, mode_t>> entries;
        while (dirent* e = ::readdir(d.get())) {
            if (isDots(e->d_name))
                continue;
            struct stat st;
            if (::fstatat(fd.get(), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                entries.emplace_back(e->d_name, st.st_mode);
        }
        d.reset();
        bool ok = true;
        for (auto& [n, m] : entries) {
            if (reporter_.stopped())
                return false;
            if (!removeTree(fd.get(), joinPath(path, n), n, m))
                ok = false;
        }
        if (!ok)
            return false;
        if (::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) != 0)
            return reporter_.failErrno("delete", path, errno);
    } else if (::unlinkat(parentFd, name.c_str(), 0) != 0) {
        return reporter_.failErrno("delete", path, errno);
    }
    reporter_.advance(0, 1, path);
    return true;
}

void Engine::remove(const std::vector<TopItem>& items)
{
    if (items.empty())
        return;
    if (!job_.has(FOF_NOCONFIRMATION) &&
        reporter_.confirm("Are you sure you want to permanently delete " +
                              (items.size() == 1 ? "'" + joinPath(items[0].srcParent, items[0].node.name) + "'"
                                                 : "these " + std::to_string(items.size()) + " items") +
                              "?",
                          false) != Answer::Yes) {
        reporter_.stop(true);
        return;
    }
    for (const TopItem& item : items) {
        if (reporter_.stopped())
            return;
        UniqueFd parent(::open(item.srcParent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        std::string path = joinPath(item.srcParent, item.node.name);
        if (!parent)
            reporter_.failErrno("delete", path, errno);
        else
            removeTree(parent.get(), path, item.node.name, item.node.mode);
    }
}

void Engine::rename()
{
    reporter_.addToTotal(0, job_.sources.size());
    reporter_.started();
    for (std::size_t i = 0; i < job_.sources.size() && !reporter_.stopped(); ++i) {
        const std::string& from = job_.sources[i];
        std::string to = job_.destinations[job_.pairMode() ? i : 0];
        std::string parent, last;
        splitPath(from, parent, last);
        if (to.find('/') == std::string::npos)
            to = joinPath(parent, to); // a bare new name stays in the source's folder
        struct stat st;
        if (::lstat(from.c_str(), &st) != 0) {
            reporter_.failErrno("rename", from, errno);
            continue;
        }
        std::string toParent, toLast;
        splitPath(to, toParent, toLast);
        if (job_.has(FOF_RENAMEONCOLLISION)) {
            const std::string base = toLast;
            for (int n = 1; n < 10000 && !planner_.existingName(toParent, toLast).empty(); ++n)
                toLast = renamedCopyName(base, n);
            to = joinPath(toParent, toLast);
        }
        // A rename never replaces, also not an entry whose name differs only by letter case
        // (unless it is the source itself, given a new spelling).
        std::string existing = planner_.existingName(toParent, toLast);
        struct stat there;
        bool sameEntry = !existing.empty() && ::lstat(joinPath(toParent, existing).c_str(), &there) == 0 &&
                         there.st_dev == st.st_dev && there.st_ino == st.st_ino;
        if (!existing.empty() && !sameEntry) {
            reporter_.fail("rename", from, ERROR_ALREADY_EXISTS);
            continue;
        }
        if ((sameEntry ? ::renameat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str())
                       : ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE)) != 0) {
            reporter_.failErrno("rename", from, errno);
            continue;
        }
        reporter_.advance(0, 1, from);
    }
}

DWORD Engine::run()
{
    if (job_.operation == FO_RENAME) {
        rename();
    } else {
        std::vector<TopItem> items = planner_.expandSources();
        reporter_.started();
        if (reporter_.stopped()) {
            // Nothing has been touched yet.
        } else if (job_.operation == FO_DELETE) {
            remove(items);
        } else if (job_.operation == FO_MOVE) {
            move(items);
        } else {
            CopyPlan plan;
            copy(items, plan);
        }
    }
    DWORD rc = reporter_.result();
    if (job_.keptOutcome) {
        const CopyProgress done = reporter_.snapshot();
        KeptCopyOutcome& out = *job_.keptOutcome;
        out.replaced = done.filesReplaced;
        out.added = done.filesAdded;
        out.unchanged = rc == ERROR_SUCCESS ? done.filesUnchanged : 0;
        out.bytes = rc == ERROR_SUCCESS ? done.bytesDone : 0;
        out.failed = reporter_.failures();
        out.failedPath = reporter_.firstFailedPath();
        out.failedReason = reporter_.firstFailedReason();
    }
    reporter_.finished(rc);
    return rc;
}

} // namespace

DWORD executeFileJob(const FileJob& job, const JobCallbacks& callbacks, const std::atomic<bool>& cancel)
{
    Engine engine(job, callbacks, cancel);
    return engine.run();
}

} // namespace wincompat::fileop
