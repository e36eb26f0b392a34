#include "platform/fileop/phases/copy_planner.h"

#include "platform/base/case_fold.h"
#include "platform/fileop/phases/copy_paths.h"
#include "platform/base/unique_dir.h"
#include "platform/base/unique_fd.h"
#include "platform/fileop/phases/wildcard.h"
#include "platform/system.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace wincompat::fileop {
namespace {

constexpr char kCaseClash[] = "another file of the update has the same name apart from letter case";
constexpr char kFolderInTheWay[] = "a folder of that name is in the way";
constexpr char kFileInTheWay[] = "a file of that name is in the way";
constexpr char kSpecialFile[] = "it is a device, pipe or socket, not a file";

DWORD notFound(int err)
{
    return err == ENOENT || err == ENOTDIR ? ERROR_PATH_NOT_FOUND : errorFromErrno(err);
}

} // namespace

std::vector<TopItem> CopyPlanner::expandSources()
{
    std::vector<TopItem> items;
    for (std::size_t i = 0; i < job_.sources.size() && !reporter_.stopped(); ++i) {
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
    return items;
}

bool CopyPlanner::expand(const std::string& source, const std::string& destDir, const std::string* destName,
                         std::vector<TopItem>& items)
{
    std::string parent, last;
    splitPath(source, parent, last);
    if (hasWildcards(last)) {
        UniqueFd dir(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dir)
            return reporter_.fail("find", source, notFound(errno));
        UniqueDir d = readFolderOf(dir.get());
        if (!d)
            return reporter_.failErrno("read the folder", parent, errno);
        std::vector<TopItem> found;
        while (dirent* e = ::readdir(d.get())) {
            if (isDots(e->d_name) || isStagingName(e->d_name) || !matchesWildcard(last, e->d_name))
                continue;
            if (job_.has(FOF_FILESONLY) && e->d_type == DT_DIR)
                continue; // not even scanned: its contents do not count towards the progress
            TopItem item{parent, destDir, e->d_name, {}};
            item.node.name = e->d_name;
            found.push_back(std::move(item));
        }
        d.reset();
        std::sort(found.begin(), found.end(),
                  [](const TopItem& a, const TopItem& b) { return a.destName < b.destName; });
        for (auto& item : found) {
            if (!scan(dir.get(), joinPath(parent, item.node.name), item.node))
                continue;
            if (job_.has(FOF_FILESONLY) && S_ISDIR(item.node.mode))
                continue;
            items.push_back(std::move(item));
        }
        return !reporter_.stopped();
    }

    if (last.empty() || last == "." || last == "..") {
        char resolved[PATH_MAX];
        if (::realpath(source.c_str(), resolved) == nullptr)
            return reporter_.failErrno("find", source, errno);
        splitPath(resolved, parent, last);
        if (last.empty())
            return reporter_.fail("copy", source, ERROR_INVALID_PARAMETER, "the root folder cannot be copied");
    }
    UniqueFd dir(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return reporter_.fail("find", source, notFound(errno));
    TopItem item{parent, destDir, destName ? *destName : last, {}};
    item.node.name = last;
    if (scan(dir.get(), source, item.node))
        items.push_back(std::move(item));
    return !reporter_.stopped();
}

bool CopyPlanner::scan(int dirFd, const std::string& path, SourceNode& node)
{
    struct stat st;
    if (::fstatat(dirFd, node.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return reporter_.fail("find", path, ERROR_FILE_NOT_FOUND), false;
        return reporter_.failErrno("read", path, errno), false;
    }
    node.mode = st.st_mode;
    node.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    node.times[0] = st.st_atim;
    node.times[1] = st.st_mtim;
    node.dev = st.st_dev;
    node.ino = st.st_ino;
    reporter_.addToTotal(node.size, 1);
    if (!S_ISDIR(st.st_mode))
        return true;

    UniqueDir d =
        readFolder(UniqueFd(::openat(dirFd, node.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
    if (!d)
        return reporter_.failErrno("read the folder", path, errno), false;
    const int fd = ::dirfd(d.get());
    std::vector<std::string> names;
    errno = 0;
    while (dirent* e = ::readdir(d.get()))
        if (!isDots(e->d_name) && !isStagingName(e->d_name))
            names.emplace_back(e->d_name);
    bool ok = errno == 0;
    int readErr = errno;
    std::sort(names.begin(), names.end());
    node.children.reserve(names.size());
    for (auto& n : names) {
        if (reporter_.stopped())
            break;
        SourceNode child;
        child.name = std::move(n);
        if (scan(fd, joinPath(path, child.name), child))
            node.children.push_back(std::move(child));
    }
    d.reset();
    if (!ok)
        return reporter_.failErrno("read the folder", path, readErr), false;
    return true;
}

// A folder copied into itself would never end, or would read what it writes. The destination may
// not exist yet: its nearest existing folder decides.
bool CopyPlanner::checkNotIntoItself(const TopItem& item)
{
    if (!S_ISDIR(item.node.mode))
        return true;
    std::string at = item.destDir, parent, last;
    UniqueFd fd;
    for (int depth = 0; depth < 4096 && !fd; ++depth) {
        fd.reset(::open(at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        splitPath(at, parent, last);
        if (!fd && (errno != ENOENT || parent == at))
            return true; // any real trouble with the destination surfaces when it is created
        at = parent;
    }
    for (int depth = 0; fd && depth < 4096; ++depth) {
        struct stat here;
        if (::fstat(fd.get(), &here) != 0)
            break;
        if (here.st_dev == item.node.dev && here.st_ino == item.node.ino)
            return reporter_.fail("copy", joinPath(item.srcParent, item.node.name), ERROR_BAD_PATHNAME,
                                  "the destination folder is inside the source folder");
        UniqueFd up(::openat(fd.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat above;
        if (!up || ::fstat(up.get(), &above) != 0 || (above.st_dev == here.st_dev && above.st_ino == here.st_ino))
            break;
        fd = std::move(up);
    }
    return true;
}

CopyPlanner::SourceDirIndex CopyPlanner::sourceDir(const std::string& path)
{
    auto [it, added] = sourceDirs_.try_emplace(path, plan_->sourceDirs.size());
    if (added) {
        SourceDir dir{path};
        struct stat st;
        if (::stat(path.c_str(), &st) == 0) {
            dir.dev = st.st_dev;
            dir.ino = st.st_ino;
        }
        plan_->sourceDirs.push_back(std::move(dir));
    }
    return SourceDirIndex{it->second};
}

// A folder the job names as its destination; kNoFolder when the job stops or skips the item.
std::size_t CopyPlanner::destinationFolder(const std::string& path, ItemIndex top)
{
    if (auto it = topFolders_.find(path); it != topFolders_.end())
        return it->second;
    PlannedFolder folder;
    folder.path = path;
    folder.top = top.value;
    folder.followLink = true; // named by the job: a link there is the administrator's own choice
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode))
            return failPlacing(top, path, ERROR_ALREADY_EXISTS, kFileInTheWay), kNoFolder;
        folder.exists = true;
        folder.dev = st.st_dev;
        folder.ino = st.st_ino;
    } else if (errno != ENOENT) {
        return failPlacing(top, path, errorFromErrno(errno)), kNoFolder;
    } else if (!job_.has(FOF_NOCONFIRMMKDIR) &&
               reporter_.confirm("The folder '" + path + "' does not exist. Do you want to create it?", false) !=
                   Answer::Yes) {
        reporter_.stop(true);
        return kNoFolder;
    }
    std::size_t index = plan_->folders.size();
    plan_->folders.push_back(std::move(folder));
    listings_.emplace_back();
    topFolders_.emplace(path, index);
    return index;
}

CopyPlanner::Listing& CopyPlanner::listing(FolderIndex folder)
{
    Listing& l = listings_[folder.value];
    if (l.loaded)
        return l;
    l.loaded = true;
    const PlannedFolder& f = plan_->folders[folder.value];
    if (!f.exists)
        return l;
    if (::faccessat(AT_FDCWD, f.path.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        l.writeError = errno;
    if (UniqueDir d = readFolderAt(f.path)) {
        while (dirent* e = ::readdir(d.get()))
            if (!isDots(e->d_name) && !isStagingName(e->d_name))
                l.names.emplace(upperCaseName(e->d_name), e->d_name);
    }
    return l;
}

std::string renamedCopyName(const std::string& name, int attempt)
{
    return attempt == 1 ? "Copy of " + name : "Copy (" + std::to_string(attempt) + ") of " + name;
}

bool CopyPlanner::collisionName(const Listing& l, const std::string& name, std::string& chosen)
{
    for (int n = 1; n < 10000; ++n) {
        chosen = renamedCopyName(name, n);
        std::string key = upperCaseName(chosen);
        if (!l.names.count(key) && !l.claimed.count(key))
            return true;
    }
    return false;
}

bool CopyPlanner::failPlacing(ItemIndex top, const std::string& path, DWORD code, const std::string& reason)
{
    plan_->items[top.value].incomplete = true;
    return reporter_.fail("copy", path, code, reason);
}

bool CopyPlanner::place(FolderIndex folder, SourceDirIndex srcDir, const std::string& srcPath, const SourceNode& node,
                        const std::string& targetName, ItemIndex top)
{
    if (reporter_.stopped())
        return false;
    const std::string destPath = joinPath(plan_->folders[folder.value].path, targetName);
    if (isSpecial(node.mode))
        return failPlacing(top, srcPath, ERROR_CANT_ACCESS_FILE, kSpecialFile);
    if (targetName.size() > NAME_MAX || destPath.size() >= PATH_MAX)
        return failPlacing(top, destPath, ERROR_FILENAME_EXCED_RANGE);

    Listing& l = listing(folder);
    if (l.writeError != 0)
        return failPlacing(top, plan_->folders[folder.value].path, errorFromErrno(l.writeError));
    std::string key = upperCaseName(targetName);
    if (auto claimed = l.claimed.find(key); claimed != l.claimed.end()) {
        // Two sources of one name: folders merge, anything else would overwrite one with the other.
        if (S_ISDIR(node.mode) && claimed->second != kNoFolder) {
            FolderIndex sub{claimed->second};
            SourceDirIndex subDir = sourceDir(srcPath);
            for (const SourceNode& child : node.children)
                if (!place(sub, subDir, joinPath(srcPath, child.name), child, child.name, top) && reporter_.stopped())
                    return false;
            return true;
        }
        return failPlacing(top, srcPath, ERROR_ALREADY_EXISTS, kCaseClash);
    }

    std::string name = targetName;
    bool exists = false, renamed = false;
    if (auto match = l.names.find(key); match != l.names.end()) {
        if (job_.has(FOF_RENAMEONCOLLISION)) {
            if (!collisionName(l, targetName, name))
                return failPlacing(top, destPath, ERROR_FILE_EXISTS);
            key = upperCaseName(name);
            renamed = true;
        } else {
            name = match->second;
            exists = true;
        }
    }
    const PlannedFolder& parent = plan_->folders[folder.value];
    struct stat target {};
    if (exists && ::fstatat(AT_FDCWD, joinPath(parent.path, name).c_str(), &target, AT_SYMLINK_NOFOLLOW) != 0)
        exists = false; // gone since the listing
    // An update's file that is a hard link of the installed one is that file already. Elsewhere a
    // copy onto itself is refused, as the shell refuses it.
    const bool sameFile = exists && target.st_dev == node.dev && target.st_ino == node.ino;
    if (sameFile && !(job_.keeping() && S_ISREG(node.mode)))
        return failPlacing(top, srcPath, ERROR_FILE_EXISTS, "the source and the destination are the same");

    if (S_ISDIR(node.mode))
        return placeFolder(folder, srcPath, node, key, name, exists, top);

    PlannedEntry entry;
    if (exists) {
        bool folderInTheWay = S_ISDIR(target.st_mode);
        struct stat through;
        if (S_ISLNK(target.st_mode) && ::stat(joinPath(parent.path, name).c_str(), &through) == 0 &&
            S_ISDIR(through.st_mode))
            folderInTheWay = true; // a folder link stays, as a junction would
        if (folderInTheWay)
            return failPlacing(top, joinPath(parent.path, name), ERROR_ALREADY_EXISTS, kFolderInTheWay);
        if (!job_.has(FOF_NOCONFIRMATION) && !replaceAll_) {
            switch (reporter_.confirm("This folder already contains a file named '" + name + "' (" +
                                          joinPath(parent.path, name) +
                                          "). Would you like to replace the existing file?",
                                      true)) {
            case Answer::Yes: break;
            case Answer::YesToAll: replaceAll_ = true; break;
            case Answer::No: // left as it is: not a failure, but not moved either
                plan_->items[top.value].incomplete = true;
                reporter_.advance(node.size, 1, srcPath);
                return true;
            case Answer::Cancel: return false;
            }
        }
        entry.targetExists = true;
        entry.targetIsFile = S_ISREG(target.st_mode);
        entry.targetSize = static_cast<std::uint64_t>(target.st_size);
    }
    entry.srcName = node.name;
    entry.name = name;
    entry.srcDir = srcDir.value;
    entry.top = top.value;
    entry.mode = node.mode;
    entry.size = node.size;
    entry.times[0] = node.times[0];
    entry.times[1] = node.times[1];
    entry.noReplace = renamed;
    if (sameFile)
        entry.outcome = Outcome::Unchanged;
    l.claimed.emplace(key, kNoFolder);
    plan_->folders[folder.value].entries.push_back(std::move(entry));
    return true;
}

bool CopyPlanner::placeFolder(FolderIndex folder, const std::string& srcPath, const SourceNode& node,
                              const std::string& key, const std::string& name, bool exists, ItemIndex top)
{
    PlannedFolder sub;
    sub.path = joinPath(plan_->folders[folder.value].path, name);
    sub.name = name;
    sub.parent = folder.value;
    sub.top = top.value;
    sub.fromSource = true;
    sub.mode = node.mode & 07777;
    sub.times[0] = node.times[0];
    sub.times[1] = node.times[1];
    if (exists) {
        struct stat st, through;
        if (::lstat(sub.path.c_str(), &st) != 0)
            return failPlacing(top, sub.path, errorFromErrno(errno));
        if (S_ISLNK(st.st_mode)) {
            if (::stat(sub.path.c_str(), &through) != 0 || !S_ISDIR(through.st_mode))
                return failPlacing(top, sub.path, ERROR_ALREADY_EXISTS, kFileInTheWay);
            // Followed only when it belongs to whoever owns the folder it is in (or to root):
            // a link another user planted in a shared folder must not redirect the update.
            struct stat holder;
            if (::stat(plan_->folders[folder.value].path.c_str(), &holder) != 0 ||
                (st.st_uid != 0 && st.st_uid != holder.st_uid))
                return failPlacing(top, sub.path, ERROR_ACCESS_DENIED, "the folder link belongs to another user");
            sub.followLink = true;
            st = through;
        } else if (!S_ISDIR(st.st_mode)) {
            return failPlacing(top, sub.path, ERROR_ALREADY_EXISTS, kFileInTheWay);
        }
        sub.exists = true;
        sub.dev = st.st_dev;
        sub.ino = st.st_ino;
    }
    FolderIndex index{plan_->folders.size()};
    plan_->folders.push_back(std::move(sub));
    listings_.emplace_back();
    listings_[folder.value].claimed.emplace(key, index.value);
    SourceDirIndex childDir = sourceDir(srcPath);
    for (const SourceNode& child : node.children)
        if (!place(index, childDir, joinPath(srcPath, child.name), child, child.name, top) && reporter_.stopped())
            return false;
    return true;
}

bool CopyPlanner::plan(const std::vector<TopItem>& items, CopyPlan& plan)
{
    plan_ = &plan;
    plan.items.assign(items.size(), ItemStatus{});
    for (std::size_t i = 0; i < items.size() && !reporter_.stopped(); ++i) {
        const TopItem& item = items[i];
        if (!checkNotIntoItself(item)) {
            plan.items[i].incomplete = true;
            continue;
        }
        std::size_t folder = destinationFolder(item.destDir, ItemIndex{i});
        if (folder == kNoFolder)
            continue;
        place(FolderIndex{folder}, sourceDir(item.srcParent), joinPath(item.srcParent, item.node.name), item.node,
              item.destName, ItemIndex{i});
    }
    plan_ = nullptr;
    return !reporter_.stopped();
}

std::string CopyPlanner::existingName(const std::string& folder, const std::string& name)
{
    UniqueDir d = readFolderAt(folder);
    if (!d)
        return {};
    const std::string key = upperCaseName(name);
    while (dirent* e = ::readdir(d.get()))
        if (!isDots(e->d_name) && upperCaseName(e->d_name) == key)
            return e->d_name;
    return {};
}

} // namespace wincompat::fileop
