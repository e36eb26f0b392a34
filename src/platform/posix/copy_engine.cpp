#include "platform/posix/copy_engine.h"

#include "platform/posix/task_pool.h"
#include "platform/posix/unique_fd.h"
#include "platform/posix/wildcard.h"
#include "platform/system.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace wincompat::detail {
namespace {

constexpr char kStagingPrefix[] = ".wincompat-copy-";
constexpr char kStagingSuffix[] = ".part";
// Big enough that a large file costs few calls, small enough that Cancel answers within a blink.
constexpr std::size_t kChunk = 16u << 20;
constexpr std::size_t kFallbackBuffer = 1u << 20;
// Below this, a file's cached old version is too small to be worth the extra calls.
constexpr std::uint64_t kDropOldCacheFrom = 64u << 10;
// From this size on, a file is copied by a pool thread while the walk goes on.
constexpr std::uint64_t kParallelFrom = 64u << 10;

bool isDots(const char* n) { return n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')); }

bool isSpecial(mode_t m) { return !S_ISREG(m) && !S_ISDIR(m) && !S_ISLNK(m); }

std::string joinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty() || dir == ".")
        return name;
    if (dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

void splitPath(std::string path, std::string& parent, std::string& last)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        parent = ".";
        last = path;
    } else {
        parent = slash == 0 ? "/" : path.substr(0, slash);
        last = path.substr(slash + 1);
    }
}

// The umask, read without changing it (changing it would race with other threads creating files).
mode_t currentUmask()
{
    static const mode_t mask = [] {
        mode_t m = 0777;
        if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
            char line[256];
            while (std::fgets(line, sizeof line, f))
                if (std::sscanf(line, "Umask: %o", &m) == 1)
                    break;
            std::fclose(f);
        }
        return m;
    }();
    return mask;
}

struct Node {
    std::string name;
    mode_t mode = 0;
    std::uint64_t size = 0;
    timespec times[2]{}; // access, modification: the order utimensat takes
    std::vector<Node> children;
};

struct TopItem {
    std::string srcParent;
    std::string destDir;
    std::string destName;
    Node node;
};

// An open folder shared by the file tasks that copy into or out of it.
using DirRef = std::shared_ptr<const UniqueFd>;

struct StagedEntry {
    std::uint64_t seq;
    std::string name;
    bool noReplace; // a collision-renamed target must not replace anything that appeared since
};

struct DestFolder {
    std::string path;
    std::vector<StagedEntry> staged;
};

struct FolderAttributes {
    std::string path;
    mode_t mode;
    timespec times[2];
};

class Engine {
public:
    Engine(const FileJob& job, const JobCallbacks& callbacks, const std::atomic<bool>& cancel)
        : job_(job), callbacks_(callbacks), cancel_(cancel)
    {
    }

    DWORD run();

private:
    // Failures and stopping.
    bool fail(const std::string& action, const std::string& path, DWORD code, const std::string& reason = {});
    bool failErrno(const std::string& action, const std::string& path, int err)
    {
        return fail(action, path, errorFromErrno(err));
    }
    // Latches a cancel only where the job acts on it: one that arrives while the staged files are
    // being put in place changes nothing, and the result must not claim otherwise.
    bool stopped()
    {
        if (!stop_.load(std::memory_order_relaxed) && cancel_.load(std::memory_order_relaxed)) {
            std::lock_guard lock(mutex_);
            cancelled_ = true;
            stop_ = true;
        }
        return stop_.load(std::memory_order_relaxed);
    }
    // Counts work done and tells the observers.
    void advance(std::uint64_t bytes, std::uint64_t files, const std::string& current);
    DWORD result() const;
    Answer ask(const std::string& text, bool offerAll);
    bool mayCreateFolder(const std::string& path);
    void report(const std::string& current);

    // Planning.
    bool expand(const std::string& source, const std::string& destDir, const std::string* destName,
                std::vector<TopItem>& items);
    bool scan(int dirFd, const std::string& path, Node& node);
    bool checkNotIntoItself(const TopItem& item, int srcParent, int dest);

    // Copying.
    void copyItems(std::vector<TopItem>& items, std::vector<bool>* itemOk);
    int openDestFolder(const std::string& path, bool create);
    int ensureFolder(int parentFd, const std::string& parentPath, const std::string& name, std::string& path);
    void removeStaleStaging(int dirFd);
    void stageChildren(const DirRef& src, const std::string& srcPath, const DirRef& dst, const std::string& dstPath,
                       std::size_t folderIndex, const std::vector<Node>& children, bool& ok);
    bool stageEntry(const DirRef& src, const std::string& srcPath, const DirRef& dst, const std::string& dstPath,
                    std::size_t folderIndex, const Node& node, const std::string& targetName);
    void staged(std::size_t folderIndex, StagedEntry entry, std::uint64_t bytes, const std::string& srcPath);
    bool stageFile(int srcFd, const std::string& srcPath, int dstFd, const std::string& tmp, const std::string& name,
                   const Node& node);
    void dropCachedOldTarget(int dstFd, const std::string& name);
    int copyData(int in, int out, std::uint64_t size, const std::string& srcPath);
    bool collisionName(int dstFd, const std::string& name, std::string& chosen);
    std::string stagingName(std::uint64_t seq) const;
    void commit();
    void rollback();
    void syncDestinations();
    void rememberFileSystem(int fd);

    // The other operations.
    void moveItems(std::vector<TopItem>& items);
    void deleteItems(std::vector<TopItem>& items);
    void renameItems();
    bool removeTree(int parentFd, const std::string& path, const std::string& name, mode_t mode);

    const FileJob& job_;
    const JobCallbacks& callbacks_;
    const std::atomic<bool>& cancel_;
    CopyProgressSink* sink_ = nullptr;

    DWORD firstError_ = ERROR_SUCCESS;
    // Guards what the file tasks share with the walk: failures, progress, the staged lists.
    std::recursive_mutex mutex_;
    bool cancelled_ = false;
    std::atomic<bool> stop_{false};
    bool skipAll_ = false;
    bool replaceAll_ = false;

    CopyProgress progress_;
    std::vector<DestFolder> folders_;
    std::vector<FolderAttributes> folderAttributes_; // in creation order; applied in reverse
    std::vector<std::string> createdFolders_;
    std::map<dev_t, UniqueFd> fileSystems_;
    std::map<std::string, std::size_t> topFolders_; // destination folder -> index in folders_
    std::uint64_t nextSeq_ = 0;
    const std::string stagingPrefix_ = kStagingPrefix + std::to_string(::getpid()) + "-";
    std::unique_ptr<TaskPool> pool_;
};

bool Engine::fail(const std::string& action, const std::string& path, DWORD code, const std::string& reason)
{
    // One question at a time; the other tasks wait for the answer at their next report.
    std::lock_guard lock(mutex_);
    if (firstError_ == ERROR_SUCCESS)
        firstError_ = code;
    if (sink_)
        sink_->failed(path.c_str(), code);
    if (skipAll_)
        return true;
    if (job_.has(FOF_NOERRORUI) || !callbacks_.askOnError) {
        stop_ = true;
        return false;
    }
    switch (callbacks_.askOnError(JobFailure{action, path, reason, code})) {
    case ErrorDecision::Skip: return true;
    case ErrorDecision::SkipAll: skipAll_ = true; return true;
    case ErrorDecision::Cancel: break;
    }
    cancelled_ = stop_ = true;
    return false;
}

DWORD Engine::result() const
{
    if (cancelled_)
        return ERROR_CANCELLED;
    return firstError_;
}

Answer Engine::ask(const std::string& text, bool offerAll)
{
    if (!callbacks_.confirm)
        return Answer::Yes;
    Answer a = callbacks_.confirm(Question{text, offerAll});
    if (a == Answer::Cancel)
        cancelled_ = stop_ = true;
    return a;
}

// The destination folder of the job, when it is missing: created, after asking unless told not to.
bool Engine::mayCreateFolder(const std::string& path)
{
    if (job_.has(FOF_NOCONFIRMMKDIR) || ::access(path.c_str(), F_OK) == 0)
        return true;
    if (ask("The folder '" + path + "' does not exist. Do you want to create it?", false) == Answer::Yes)
        return true;
    cancelled_ = stop_ = true;
    return false;
}

void Engine::advance(std::uint64_t bytes, std::uint64_t files, const std::string& current)
{
    std::lock_guard lock(mutex_);
    progress_.bytesDone += bytes;
    progress_.filesDone += files;
    report(current);
}

void Engine::report(const std::string& current)
{
    std::lock_guard lock(mutex_);
    if (callbacks_.progress)
        callbacks_.progress(progress_, current);
    if (sink_)
        sink_->progressed(progress_, current.c_str());
}

// ---------------------------------------------------------------------------------------------
// Planning

bool Engine::expand(const std::string& source, const std::string& destDir, const std::string* destName,
                    std::vector<TopItem>& items)
{
    std::string parent, last;
    splitPath(source, parent, last);
    if (hasWildcards(last)) {
        UniqueFd dir(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dir)
            return fail("find", source, errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : errorFromErrno(errno));
        DIR* d = ::fdopendir(::dup(dir.get()));
        if (d == nullptr)
            return failErrno("read the folder", parent, errno);
        std::vector<TopItem> found;
        while (dirent* e = ::readdir(d)) {
            if (isDots(e->d_name) || isStagingName(e->d_name) || !matchesWildcard(last, e->d_name))
                continue;
            if (job_.has(FOF_FILESONLY) && e->d_type == DT_DIR)
                continue; // not even scanned: its contents do not count towards the progress
            TopItem item{parent, destDir, e->d_name, {}};
            item.node.name = e->d_name;
            found.push_back(std::move(item));
        }
        ::closedir(d);
        std::sort(found.begin(), found.end(), [](const TopItem& a, const TopItem& b) { return a.destName < b.destName; });
        for (auto& item : found) {
            if (!scan(dir.get(), joinPath(parent, item.node.name), item.node))
                continue;
            if (job_.has(FOF_FILESONLY) && S_ISDIR(item.node.mode))
                continue;
            items.push_back(std::move(item));
        }
        return !stopped();
    }

    if (last.empty() || last == "." || last == "..") {
        char resolved[PATH_MAX];
        if (::realpath(source.c_str(), resolved) == nullptr)
            return failErrno("find", source, errno);
        splitPath(resolved, parent, last);
        if (last.empty())
            return fail("copy", source, ERROR_INVALID_PARAMETER, "the root folder cannot be copied");
    }
    UniqueFd dir(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return fail("find", source, errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : errorFromErrno(errno));
    TopItem item{parent, destDir, destName ? *destName : last, {}};
    item.node.name = last;
    if (scan(dir.get(), source, item.node))
        items.push_back(std::move(item));
    return !stopped();
}

bool Engine::scan(int dirFd, const std::string& path, Node& node)
{
    struct stat st;
    if (::fstatat(dirFd, node.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return fail("find", path, ERROR_FILE_NOT_FOUND), false;
        return failErrno("read", path, errno), false;
    }
    node.mode = st.st_mode;
    node.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    node.times[0] = st.st_atim;
    node.times[1] = st.st_mtim;
    ++progress_.filesTotal;
    progress_.bytesTotal += node.size;
    if (!S_ISDIR(st.st_mode))
        return true;

    UniqueFd sub(::openat(dirFd, node.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    DIR* d = sub ? ::fdopendir(sub.get()) : nullptr;
    if (d == nullptr)
        return failErrno("read the folder", path, errno), false;
    int fd = sub.release();
    std::vector<std::string> names;
    errno = 0;
    while (dirent* e = ::readdir(d))
        if (!isDots(e->d_name) && !isStagingName(e->d_name))
            names.emplace_back(e->d_name);
    bool ok = errno == 0;
    int readErr = errno;
    std::sort(names.begin(), names.end());
    node.children.reserve(names.size());
    for (auto& n : names) {
        if (stopped())
            break;
        Node child;
        child.name = std::move(n);
        if (scan(fd, joinPath(path, child.name), child))
            node.children.push_back(std::move(child));
    }
    ::closedir(d);
    if (!ok)
        return failErrno("read the folder", path, readErr), false;
    return true;
}

// A folder copied into itself (or onto itself) would never end, or would read what it writes.
// `srcParent` and `dest` are the open folders the item comes from and goes into.
bool Engine::checkNotIntoItself(const TopItem& item, int srcParent, int dest)
{
    struct stat parent, target;
    std::string srcPath = joinPath(item.srcParent, item.node.name);
    if (::fstat(srcParent, &parent) != 0 || ::fstat(dest, &target) != 0)
        return true; // any real trouble with these folders surfaces when copying
    bool destIsParent = target.st_dev == parent.st_dev && target.st_ino == parent.st_ino;
    if (destIsParent && item.destName == item.node.name && !job_.has(FOF_RENAMEONCOLLISION))
        return fail("copy", srcPath, ERROR_FILE_EXISTS, "the source and the destination are the same");
    struct stat src;
    if (!S_ISDIR(item.node.mode) || ::fstatat(srcParent, item.node.name.c_str(), &src, AT_SYMLINK_NOFOLLOW) != 0)
        return true;
    // Walk from the destination up to the root, looking for the source folder.
    UniqueFd fd(::dup(dest));
    for (int depth = 0; fd && depth < 4096; ++depth) {
        struct stat here;
        if (::fstat(fd.get(), &here) != 0)
            break;
        if (here.st_dev == src.st_dev && here.st_ino == src.st_ino)
            return fail("copy", srcPath, ERROR_BAD_PATHNAME, "the destination folder is inside the source folder");
        UniqueFd up(::openat(fd.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat above;
        if (!up || ::fstat(up.get(), &above) != 0 || (above.st_dev == here.st_dev && above.st_ino == here.st_ino))
            break;
        fd = std::move(up);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Copying

std::string Engine::stagingName(std::uint64_t seq) const
{
    return stagingPrefix_ + std::to_string(seq) + kStagingSuffix;
}

void Engine::rememberFileSystem(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) == 0 && !fileSystems_.count(st.st_dev))
        fileSystems_.emplace(st.st_dev, UniqueFd(::dup(fd)));
}

// Temporary files of a run that was killed; those of a live process (another job) stay.
void Engine::removeStaleStaging(int dirFd)
{
    DIR* d = ::fdopendir(::dup(dirFd));
    if (d == nullptr)
        return;
    std::vector<std::string> stale;
    while (dirent* e = ::readdir(d)) {
        if (!isStagingName(e->d_name))
            continue;
        long pid = std::strtol(e->d_name + sizeof kStagingPrefix - 1, nullptr, 10);
        if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            stale.emplace_back(e->d_name);
    }
    ::closedir(d);
    for (const auto& n : stale)
        ::unlinkat(dirFd, n.c_str(), 0);
}

// Opens the folder a top item goes into, creating it and its missing parents.
int Engine::openDestFolder(const std::string& path, bool create)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 || !create || errno != ENOENT)
        return fd;
    std::string parent, last;
    splitPath(path, parent, last);
    if (parent == path)
        return -1;
    UniqueFd up(openDestFolder(parent, true));
    if (!up)
        return -1;
    if (::mkdirat(up.get(), last.c_str(), 0777) != 0 && errno != EEXIST)
        return -1;
    createdFolders_.push_back(path);
    return ::openat(up.get(), last.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The target folder of a source folder: merged into when it exists, created when it does not.
// A symbolic link in its place is replaced by a real folder, never followed.
int Engine::ensureFolder(int parentFd, const std::string& parentPath, const std::string& name, std::string& path)
{
    path = joinPath(parentPath, name);
    if (::mkdirat(parentFd, name.c_str(), 0700) == 0) {
        createdFolders_.push_back(path);
    } else if (errno == EEXIST) {
        struct stat st;
        if (::fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return -1;
        if (S_ISLNK(st.st_mode)) {
            if (::unlinkat(parentFd, name.c_str(), 0) != 0 || ::mkdirat(parentFd, name.c_str(), 0700) != 0)
                return -1;
            createdFolders_.push_back(path);
        } else if (!S_ISDIR(st.st_mode)) {
            errno = EEXIST;
            return -1;
        }
    } else {
        return -1;
    }
    int fd = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && (createdFolders_.empty() || createdFolders_.back() != path))
        removeStaleStaging(fd);
    return fd;
}

bool Engine::collisionName(int dstFd, const std::string& name, std::string& chosen)
{
    struct stat st;
    chosen = name;
    for (int n = 1; n < 10000; ++n) {
        if (::fstatat(dstFd, chosen.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT;
        chosen = n == 1 ? "Copy of " + name : "Copy (" + std::to_string(n) + ") of " + name;
    }
    return false;
}

void Engine::copyItems(std::vector<TopItem>& items, std::vector<bool>* itemOk)
{
    // Items come grouped by source and destination folder; each folder is opened once per group.
    std::string srcPathOpen, dstPathOpen;
    std::shared_ptr<UniqueFd> srcFd = std::make_shared<UniqueFd>(), dstFd = std::make_shared<UniqueFd>();
    int srcErr = 0, dstErr = 0;
    for (std::size_t i = 0; i < items.size() && !stopped(); ++i) {
        TopItem& item = items[i];
        std::string srcPath = joinPath(item.srcParent, item.node.name);
        if (!*srcFd || item.srcParent != srcPathOpen) {
            srcPathOpen = item.srcParent;
            srcFd = std::make_shared<UniqueFd>(::open(item.srcParent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            srcErr = errno;
        }
        if (!*dstFd || item.destDir != dstPathOpen) {
            if (!mayCreateFolder(item.destDir))
                break;
            dstPathOpen = item.destDir;
            bool existed = ::access(item.destDir.c_str(), F_OK) == 0;
            dstFd = std::make_shared<UniqueFd>(openDestFolder(item.destDir, true));
            dstErr = errno;
            if (*dstFd && topFolders_.try_emplace(item.destDir, folders_.size()).second) {
                rememberFileSystem(dstFd->get());
                if (existed)
                    removeStaleStaging(dstFd->get());
                std::lock_guard lock(mutex_);
                folders_.push_back(DestFolder{item.destDir, {}});
            }
        }
        bool ok = false;
        if (!*srcFd)
            failErrno("copy", srcPath, srcErr);
        else if (!*dstFd)
            failErrno("create the folder", item.destDir, dstErr);
        else if (checkNotIntoItself(item, srcFd->get(), dstFd->get()))
            ok = stageEntry(srcFd, srcPath, dstFd, item.destDir, topFolders_[item.destDir], item.node, item.destName);
        if (itemOk)
            itemOk->push_back(ok);
    }
    // Every file in flight is finished (or, once stopped, abandoned and removed) before the
    // staged files are put in place or taken back.
    if (pool_)
        pool_->drain();
}

void Engine::stageChildren(const DirRef& src, const std::string& srcPath, const DirRef& dst,
                           const std::string& dstPath, std::size_t folderIndex, const std::vector<Node>& children,
                           bool& ok)
{
    for (const Node& child : children) {
        if (stopped())
            return;
        if (!stageEntry(src, joinPath(srcPath, child.name), dst, dstPath, folderIndex, child, child.name))
            ok = false;
    }
}

void Engine::staged(std::size_t folderIndex, StagedEntry entry, std::uint64_t bytes, const std::string& srcPath)
{
    std::lock_guard lock(mutex_);
    folders_[folderIndex].staged.push_back(std::move(entry));
    advance(bytes, 1, srcPath);
}

// Folders, links and questions are dealt with here, in order; a regular file becomes a task of its
// own, so that several copy at once. A regular file's failure is therefore reported by its task
// (and the result returned here only says it was handed over).
bool Engine::stageEntry(const DirRef& src, const std::string& srcPath, const DirRef& dst,
                        const std::string& dstPath, std::size_t folderIndex, const Node& node,
                        const std::string& targetName)
{
    const int srcFd = src->get(), dstFd = dst->get();
    std::string name = targetName;
    bool renamed = false;
    if (job_.has(FOF_RENAMEONCOLLISION)) {
        if (!collisionName(dstFd, targetName, name))
            return fail("copy", srcPath, ERROR_FILE_EXISTS), false;
        renamed = name != targetName;
    }

    if (S_ISDIR(node.mode)) {
        std::string path;
        auto target = std::make_shared<UniqueFd>(ensureFolder(dstFd, dstPath, name, path));
        if (!*target)
            return failErrno("create the folder", joinPath(dstPath, name), errno), false;
        auto source = std::make_shared<UniqueFd>(
            ::openat(srcFd, node.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!*source)
            return failErrno("copy", srcPath, errno), false;
        rememberFileSystem(target->get());
        std::size_t index;
        {
            std::lock_guard lock(mutex_);
            index = folders_.size();
            folders_.push_back(DestFolder{path, {}});
        }
        bool ok = true;
        stageChildren(source, srcPath, target, path, index, node.children, ok);
        FolderAttributes attrs{path, static_cast<mode_t>(node.mode & 07777), {node.times[0], node.times[1]}};
        folderAttributes_.push_back(attrs);
        advance(0, 1, srcPath);
        return ok;
    }

    if (isSpecial(node.mode))
        return fail("copy", srcPath, ERROR_CANT_ACCESS_FILE, "it is a device, pipe or socket, not a file"), false;

    struct stat existing;
    if (!job_.has(FOF_NOCONFIRMATION) && !renamed && !replaceAll_ && callbacks_.confirm &&
        ::fstatat(dstFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(existing.st_mode)) {
        switch (ask("This folder already contains a file named '" + name + "' (" + joinPath(dstPath, name) +
                        "). Would you like to replace the existing file?",
                    true)) {
        case Answer::Yes: break;
        case Answer::YesToAll: replaceAll_ = true; break;
        case Answer::No: // left as it is: not a failure
            advance(node.size, 1, srcPath);
            return true;
        case Answer::Cancel: return false;
        }
    }

    std::uint64_t seq = nextSeq_++;
    std::string tmp = stagingName(seq);
    if (S_ISREG(node.mode)) {
        auto task = [this, src, dst, srcPath, tmp, name, folderIndex, seq, renamed, &node] {
            if (stopped())
                return;
            if (stageFile(src->get(), srcPath, dst->get(), tmp, name, node))
                staged(folderIndex, StagedEntry{seq, name, renamed}, 0, srcPath);
        };
        // Small files go faster one after another: in parallel they only contend for the folder.
        if (pool_ && node.size >= kParallelFrom)
            pool_->submit(std::move(task));
        else
            task();
        return true;
    }
    bool ok = false;
    if (S_ISLNK(node.mode)) {
        std::string target(PATH_MAX, '\0');
        ssize_t n = ::readlinkat(srcFd, node.name.c_str(), target.data(), target.size());
        ok = n >= 0;
        if (!ok)
            failErrno("copy", srcPath, errno);
        else {
            target.resize(static_cast<std::size_t>(n));
            ok = ::symlinkat(target.c_str(), dstFd, tmp.c_str()) == 0;
            if (!ok)
                failErrno("copy", srcPath, errno);
            else
                ::utimensat(dstFd, tmp.c_str(), node.times, AT_SYMLINK_NOFOLLOW);
        }
    }
    if (!ok)
        return false;
    staged(folderIndex, StagedEntry{seq, name, renamed}, 0, srcPath);
    return true;
}

// The old version's cached pages are of no use once it is replaced. Handing them back before the
// new copy is written lets the copy reuse them instead of growing the page cache by the size of the
// update; on a virtual machine, where fresh memory is slow to touch, that is most of the copy's time.
// The old file itself is not changed.
void Engine::dropCachedOldTarget(int dstFd, const std::string& name)
{
    UniqueFd old(::openat(dstFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    if (old && ::fstat(old.get(), &st) == 0 && S_ISREG(st.st_mode))
        ::posix_fadvise(old.get(), 0, 0, POSIX_FADV_DONTNEED);
}

bool Engine::stageFile(int srcFd, const std::string& srcPath, int dstFd, const std::string& tmp,
                       const std::string& name, const Node& node)
{
    // O_NONBLOCK: should the entry have become a FIFO since the scan, opening it must not hang.
    UniqueFd in(::openat(srcFd, node.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in)
        return failErrno("copy", srcPath, errno);
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return failErrno("copy", srcPath, errno);
    if (!S_ISREG(st.st_mode))
        return fail("copy", srcPath, ERROR_CANT_ACCESS_FILE, "it is a device, pipe or socket, not a file");

    const mode_t mode = st.st_mode & 07777;
    if (static_cast<std::uint64_t>(st.st_size) >= kDropOldCacheFrom)
        dropCachedOldTarget(dstFd, name);
    UniqueFd out(::openat(dstFd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode & 0777));
    if (!out)
        return failErrno("copy", srcPath, errno);
    if (static_cast<std::uint64_t>(st.st_size) != node.size) {
        std::lock_guard lock(mutex_);
        progress_.bytesTotal += static_cast<std::uint64_t>(st.st_size) - node.size; // it changed since the scan
    }
    int err = copyData(in.get(), out.get(), static_cast<std::uint64_t>(st.st_size), srcPath);
    if (err == 0 && (mode & ~currentUmask()) != mode && ::fchmod(out.get(), mode) != 0)
        err = errno;
    timespec times[2] = {st.st_atim, st.st_mtim};
    if (err == 0 && ::futimens(out.get(), times) != 0)
        err = errno;
    if (err == 0 && ::close(out.release()) != 0)
        err = errno;
    if (err != 0 || stopped()) {
        out.reset();
        ::unlinkat(dstFd, tmp.c_str(), 0);
        if (err == ECANCELED || err == 0)
            return false;
        return failErrno("copy", srcPath, err);
    }
    return true;
}

// Returns 0 or an errno value; ECANCELED when the job was cancelled in the middle.
int Engine::copyData(int in, int out, std::uint64_t size, const std::string& srcPath)
{
    std::uint64_t done = 0, unreported = 0;
    bool kernelCopy = true;
    std::unique_ptr<char[]> buffer;
    while (done < size) {
        if (stopped())
            return ECANCELED;
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, kChunk));
        ssize_t n;
        if (kernelCopy) {
            n = ::copy_file_range(in, nullptr, out, nullptr, want, 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                          errno == EPERM || errno == ETXTBSY)) {
                kernelCopy = false;
                continue;
            }
            if (n == 0) {
                // Some file systems answer 0 for data they cannot copy in the kernel; read to tell
                // that apart from a file that shrank.
                kernelCopy = false;
                continue;
            }
        } else {
            if (!buffer)
                buffer.reset(new char[kFallbackBuffer]);
            n = ::read(in, buffer.get(), std::min(want, kFallbackBuffer));
            if (n == 0)
                break; // shrank since the scan: copy what is there
            if (n > 0) {
                for (ssize_t w = 0; w < n;) {
                    ssize_t m = ::write(out, buffer.get() + w, static_cast<std::size_t>(n - w));
                    if (m < 0) {
                        if (errno == EINTR)
                            continue;
                        return errno;
                    }
                    w += m;
                }
            }
        }
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return errno;
        }
        done += static_cast<std::uint64_t>(n);
        unreported += static_cast<std::uint64_t>(n);
        if (unreported >= kChunk) {
            advance(unreported, 0, srcPath);
            unreported = 0;
        }
    }
    if (unreported)
        advance(unreported, 0, srcPath);
    return 0;
}

void Engine::syncDestinations()
{
    for (auto& [dev, fd] : fileSystems_)
        ::syncfs(fd.get());
}

void Engine::commit()
{
    if (callbacks_.committing)
        callbacks_.committing();
    bool skipRest = false;
    for (const DestFolder& folder : folders_) {
        if (folder.staged.empty())
            continue;
        UniqueFd dir(::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dir) {
            failErrno("replace the files in", folder.path, errno);
            continue;
        }
        for (const StagedEntry& e : folder.staged) {
            std::string tmp = stagingName(e.seq);
            if (skipRest) {
                ::unlinkat(dir.get(), tmp.c_str(), 0);
                continue;
            }
            int rc = e.noReplace ? ::renameat2(dir.get(), tmp.c_str(), dir.get(), e.name.c_str(), RENAME_NOREPLACE)
                                 : ::renameat(dir.get(), tmp.c_str(), dir.get(), e.name.c_str());
            if (rc != 0) {
                int err = errno;
                ::unlinkat(dir.get(), tmp.c_str(), 0);
                // Past this point a cancel cannot bring back what was replaced; it only stops.
                if (!failErrno("replace", joinPath(folder.path, e.name), err))
                    skipRest = true;
            }
        }
    }
    // Deepest first, so that setting a parent's time is not undone by work inside it.
    for (auto it = folderAttributes_.rbegin(); it != folderAttributes_.rend(); ++it) {
        UniqueFd dir(::open(it->path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (dir) {
            ::fchmod(dir.get(), it->mode);
            ::futimens(dir.get(), it->times);
        }
    }
}

void Engine::rollback()
{
    for (const DestFolder& folder : folders_) {
        UniqueFd dir(::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dir)
            continue;
        for (const StagedEntry& e : folder.staged)
            ::unlinkat(dir.get(), stagingName(e.seq).c_str(), 0);
    }
    for (auto it = createdFolders_.rbegin(); it != createdFolders_.rend(); ++it)
        ::rmdir(it->c_str());
}

// ---------------------------------------------------------------------------------------------
// Move, delete, rename

void Engine::moveItems(std::vector<TopItem>& items)
{
    // Within one file system a move is a rename; everything else is a copy and a delete.
    std::vector<TopItem> toCopy;
    for (TopItem& item : items) {
        if (stopped())
            return;
        std::string src = joinPath(item.srcParent, item.node.name);
        if (!mayCreateFolder(item.destDir))
            return;
        UniqueFd dst(openDestFolder(item.destDir, true));
        if (!dst) {
            failErrno("create the folder", item.destDir, errno);
            continue;
        }
        if (::renameat2(AT_FDCWD, src.c_str(), dst.get(), item.destName.c_str(), RENAME_NOREPLACE) == 0) {
            advance(item.node.size, 1, src);
            continue;
        }
        toCopy.push_back(std::move(item));
    }
    std::vector<bool> ok;
    copyItems(toCopy, &ok);
    if (stopped()) {
        rollback();
        return;
    }
    syncDestinations();
    commit();
    syncDestinations();
    for (std::size_t i = 0; i < toCopy.size() && i < ok.size(); ++i) {
        if (!ok[i])
            continue;
        UniqueFd parent(::open(toCopy[i].srcParent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (parent)
            removeTree(parent.get(), joinPath(toCopy[i].srcParent, toCopy[i].node.name), toCopy[i].node.name,
                       toCopy[i].node.mode);
    }
}

bool Engine::removeTree(int parentFd, const std::string& path, const std::string& name, mode_t mode)
{
    if (S_ISDIR(mode)) {
        UniqueFd fd(::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd)
            return failErrno("delete", path, errno);
        DIR* d = ::fdopendir(::dup(fd.get()));
        if (d == nullptr)
            return failErrno("delete", path, errno);
        std::vector<std::pair<std::string, mode_t>> entries;
        while (dirent* e = ::readdir(d)) {
            if (isDots(e->d_name))
                continue;
            struct stat st;
            if (::fstatat(fd.get(), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                entries.emplace_back(e->d_name, st.st_mode);
        }
        ::closedir(d);
        bool ok = true;
        for (auto& [n, m] : entries) {
            if (stopped())
                return false;
            if (!removeTree(fd.get(), joinPath(path, n), n, m))
                ok = false;
        }
        if (!ok)
            return false;
        if (::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) != 0)
            return failErrno("delete", path, errno);
    } else if (::unlinkat(parentFd, name.c_str(), 0) != 0) {
        return failErrno("delete", path, errno);
    }
    ++progress_.filesDone;
    report(path);
    return true;
}

void Engine::deleteItems(std::vector<TopItem>& items)
{
    for (TopItem& item : items) {
        if (stopped())
            return;
        UniqueFd parent(::open(item.srcParent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        std::string path = joinPath(item.srcParent, item.node.name);
        if (!parent)
            failErrno("delete", path, errno);
        else
            removeTree(parent.get(), path, item.node.name, item.node.mode);
    }
}

void Engine::renameItems()
{
    for (std::size_t i = 0; i < job_.sources.size() && !stopped(); ++i) {
        const std::string& from = job_.sources[i];
        std::string to = job_.destinations[job_.pairMode() ? i : 0];
        std::string parent, last;
        splitPath(from, parent, last);
        if (to.find('/') == std::string::npos)
            to = joinPath(parent, to); // a bare new name stays in the source's folder
        struct stat st;
        if (::lstat(from.c_str(), &st) != 0) {
            failErrno("rename", from, errno);
            continue;
        }
        if (job_.has(FOF_RENAMEONCOLLISION)) {
            std::string toParent, toLast, chosen;
            splitPath(to, toParent, toLast);
            UniqueFd dir(::open(toParent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (dir && collisionName(dir.get(), toLast, chosen))
                to = joinPath(toParent, chosen);
        }
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
            failErrno("rename", from, errno);
            continue;
        }
        ++progress_.filesDone;
        report(from);
    }
}

DWORD Engine::run()
{
    sink_ = currentCopyProgressSink();

    if (job_.operation == FO_RENAME) {
        progress_.filesTotal = job_.sources.size();
        if (sink_)
            sink_->started(progress_);
        renameItems();
    } else {
        std::vector<TopItem> items;
        for (std::size_t i = 0; i < job_.sources.size() && !stopped(); ++i) {
            if (job_.operation == FO_DELETE) {
                expand(job_.sources[i], {}, nullptr, items);
            } else if (!job_.pairMode()) {
                expand(job_.sources[i], job_.destinations.front(), nullptr, items);
            } else {
                // Pair mode: the target is a full name, or a folder when the source is a pattern.
                std::string srcParent, srcLast, dstParent, dstLast;
                splitPath(job_.sources[i], srcParent, srcLast);
                splitPath(job_.destinations[i], dstParent, dstLast);
                if (hasWildcards(srcLast))
                    expand(job_.sources[i], hasWildcards(dstLast) ? dstParent : job_.destinations[i], nullptr, items);
                else
                    expand(job_.sources[i], dstParent, &dstLast, items);
            }
        }
        if (sink_)
            sink_->started(progress_);
        report({});
        if (stopped()) {
            // Nothing has been touched yet.
        } else if (job_.operation == FO_DELETE) {
            if (items.empty() || job_.has(FOF_NOCONFIRMATION) ||
                ask("Are you sure you want to permanently delete " +
                        (items.size() == 1 ? "'" + joinPath(items[0].srcParent, items[0].node.name) + "'"
                                           : "these " + std::to_string(items.size()) + " items") +
                        "?",
                    false) == Answer::Yes)
                deleteItems(items);
            else
                cancelled_ = stop_ = true;
        } else if (job_.operation == FO_MOVE) {
            pool_ = std::make_unique<TaskPool>(TaskPool::suitableThreads());
            moveItems(items);
        } else {
            pool_ = std::make_unique<TaskPool>(TaskPool::suitableThreads());
            copyItems(items, nullptr);
            if (stopped()) {
                rollback();
            } else {
                syncDestinations(); // the data is on disk before any target points at it
                commit();
                syncDestinations();
            }
        }
    }
    DWORD rc = result();
    if (sink_)
        sink_->finished(progress_, rc);
    return rc;
}

} // namespace

bool isStagingName(const char* name)
{
    std::size_t prefix = sizeof kStagingPrefix - 1, suffix = sizeof kStagingSuffix - 1;
    std::size_t len = std::strlen(name);
    if (len <= prefix + suffix || std::strncmp(name, kStagingPrefix, prefix) != 0 ||
        std::strcmp(name + len - suffix, kStagingSuffix) != 0)
        return false;
    bool dash = false;
    for (std::size_t i = prefix; i < len - suffix; ++i) {
        if (name[i] == '-' && !dash && i > prefix)
            dash = true;
        else if (name[i] < '0' || name[i] > '9')
            return false;
    }
    return dash;
}

DWORD runFileJobEngine(const FileJob& job, const JobCallbacks& callbacks, const std::atomic<bool>& cancel)
{
    Engine engine(job, callbacks, cancel);
    return engine.run();
}

} // namespace wincompat::detail
