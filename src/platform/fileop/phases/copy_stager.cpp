#include "platform/fileop/phases/copy_stager.h"

#include "platform/fileop/phases/copy_paths.h"
#include "platform/fileop/copy_syscalls.h"
#include "platform/base/make_folders.h"
#include "platform/base/unique_dir.h"
#include "platform/system.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace wincompat::fileop {
namespace {

// Big enough that a large file costs few calls, small enough that Cancel answers within a blink.
constexpr std::size_t kChunk = 16u << 20;
constexpr std::size_t kFallbackBuffer = 1u << 20;
constexpr std::uint64_t kWriteEarlyFrom = 1u << 20;
constexpr std::size_t kCompareBuffer = 1u << 20;
constexpr std::size_t kFirstComparePiece = 16u << 10;
// Below this, a file's cached pages are too few to be worth the extra calls.
constexpr std::uint64_t kDropCacheFrom = 64u << 10;
// An unchanged file's pages are the installed program's, worth keeping; only files this large
// are read past the cache's use (the update's copy included) and handed back after comparing.
constexpr std::uint64_t kDropComparedFrom = 16u << 20;
// A folder's smaller files are one task, so that the threads mostly work in different folders:
// creating a file takes its folder's lock, and two threads creating files in one folder mostly
// wait for each other (on two processors, 20,000 files of 1 KiB in 100 folders took 0.7 times as
// long in folder-sized tasks as in batches of 32). A very full folder is cut into several tasks so
// that Cancel and the other threads are not kept waiting, and a large file is a task of its own so
// that large files are copied side by side.
constexpr std::size_t kBatchFiles = 2048;
constexpr std::uint64_t kBatchBytes = 64u << 20;
constexpr std::uint64_t kOwnTaskFrom = 4u << 20;

constexpr char kSpecialFile[] = "it is a device, pipe or socket, not a file";

bool sameTimes(const timespec a[2], const struct stat& st)
{
    return a[1].tv_sec == st.st_mtim.tv_sec && a[1].tv_nsec == st.st_mtim.tv_nsec && a[0].tv_sec == st.st_atim.tv_sec &&
           a[0].tv_nsec == st.st_atim.tv_nsec;
}

// Reads exactly `size` bytes from `at` on unless the file ends first; returns the count or -1.
ssize_t readFully(int fd, char* buffer, std::size_t size, off_t at)
{
    std::size_t got = 0;
    while (got < size) {
        ssize_t n = ::pread(fd, buffer + got, size - got, at + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

} // namespace

CopyStager::CopyStager(CopyPlan& plan, CopyReporter& reporter, CopyCommitter& committer, unsigned threads)
    : plan_(plan), reporter_(reporter), committer_(committer), pool_(threads)
{
}

// Temporary files of a run that was killed; those of a live process (another job) stay.
void CopyStager::removeStaleStaging(int dirFd)
{
    UniqueDir d = readFolderOf(dirFd);
    if (!d)
        return;
    std::vector<std::string> stale;
    while (dirent* e = ::readdir(d.get())) {
        if (!isStagingName(e->d_name))
            continue;
        long pid = stagingOwner(e->d_name);
        if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            stale.emplace_back(e->d_name);
    }
    d.reset();
    for (const auto& n : stale)
        ::unlinkat(dirFd, n.c_str(), 0);
}

// Opens (creating when planned so) a destination folder; `open` holds the folders opened so far
// that are still in use, by index.
CopyStager::FolderRef CopyStager::openDestination(std::size_t index, const std::vector<FolderRef>& open)
{
    const PlannedFolder& f = plan_.folders[index];
    const int follow = f.followLink ? 0 : O_NOFOLLOW;
    const int parentFd = f.parent == kNoFolder ? AT_FDCWD : open[f.parent] ? open[f.parent]->get() : -1;
    const std::string& at = f.parent == kNoFolder ? f.path : f.name;
    if (parentFd == -1)
        return nullptr; // its parent failed, and said so
    if (!f.exists) {
        if (f.parent == kNoFolder) {
            // The job's destination and any of its missing parents, as a new folder is made.
            const mode_t mode = 0777 & ~currentUmask();
            std::vector<std::string> made;
            const DWORD rc = makeFolders(f.path, mode, mode, &made);
            for (const std::string& folder : made)
                committer_.createdFolder(folder);
            if (rc != ERROR_SUCCESS)
                return reporter_.fail("create the folder", f.path, rc), nullptr;
        } else {
            // Private until its attributes are set when the job commits.
            if (::mkdirat(parentFd, at.c_str(), 0700) != 0)
                return reporter_.failErrno("create the folder", f.path, errno), nullptr;
            committer_.createdFolder(f.path);
        }
    }
    auto fd = std::make_shared<UniqueFd>(::openat(parentFd, at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | follow));
    if (!*fd)
        return reporter_.failErrno("create the folder", f.path, errno), nullptr;
    struct stat st;
    if (f.exists && (::fstat(fd->get(), &st) != 0 || st.st_dev != f.dev || st.st_ino != f.ino))
        return reporter_.fail("copy into", f.path, ERROR_PATH_NOT_FOUND, "the folder was replaced during the copy"),
               nullptr;
    committer_.rememberFileSystem(fd->get());
    if (f.exists)
        removeStaleStaging(fd->get());
    return fd;
}

CopyStager::FolderRef CopyStager::openSource(std::size_t srcDir)
{
    if (srcDir == openSrcDir_)
        return openSrc_;
    const SourceDir& dir = plan_.sourceDirs[srcDir];
    auto fd = std::make_shared<UniqueFd>(::open(dir.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!*fd || ::fstat(fd->get(), &st) != 0 || st.st_dev != dir.dev || st.st_ino != dir.ino)
        fd = nullptr; // gone or replaced since it was read: its files fail one by one
    openSrcDir_ = srcDir;
    openSrc_ = fd;
    return fd;
}

void CopyStager::stage()
{
    const std::size_t count = plan_.folders.size();
    std::vector<FolderRef> open(count);
    std::vector<bool> failed(count, false);
    std::vector<std::size_t> held; // the folders `open` holds: the chain above the next folder
    for (std::size_t i = 0; i < count && !reporter_.stopped(); ++i) {
        PlannedFolder& folder = plan_.folders[i];
        if (folder.parent != kNoFolder && plan_.items[folder.top].renamed)
            continue; // moved already, by renaming it
        if (folder.parent != kNoFolder && failed[folder.parent]) {
            failed[i] = true; // its parent's failure was reported
        } else {
            if (folder.parent != kNoFolder && !open[folder.parent])
                open[folder.parent] = reopen(folder.parent);
            open[i] = openDestination(i, open);
            failed[i] = !open[i];
        }
        if (failed[i]) {
            for (PlannedEntry& e : folder.entries)
                e.outcome = Outcome::Failed;
            plan_.items[folder.top].incomplete = true;
            continue;
        }
        held.push_back(i);
        Batch batch{i, open[i], {}, {}};
        std::uint64_t bytes = 0;
        for (std::size_t k = 0; k < folder.entries.size(); ++k) {
            PlannedEntry& e = folder.entries[k];
            e.seq = nextSeq_++;
            if (e.size >= kOwnTaskFrom) {
                submit(Batch{i, open[i], {k}, {openSource(e.srcDir)}});
                continue;
            }
            batch.entries.push_back(k);
            batch.src.push_back(openSource(e.srcDir));
            bytes += e.size;
            if (batch.entries.size() >= kBatchFiles || bytes >= kBatchBytes) {
                submit(std::exchange(batch, Batch{i, open[i], {}, {}}));
                bytes = 0;
            }
        }
        if (!batch.entries.empty())
            submit(std::move(batch));
        // Only the folders above the next one stay open here; the tasks keep their own.
        std::vector<std::size_t> chain;
        for (std::size_t a = i + 1 < count ? plan_.folders[i + 1].parent : kNoFolder; a != kNoFolder;
             a = plan_.folders[a].parent)
            chain.push_back(a);
        std::erase_if(held, [&](std::size_t h) {
            if (std::find(chain.begin(), chain.end(), h) != chain.end())
                return false;
            open[h].reset();
            return true;
        });
    }
    openSrc_.reset();
    // Every file in flight is finished (or, once stopped, abandoned and removed) before the staged
    // files are put in place or taken back.
    pool_.drain();
}

CopyStager::FolderRef CopyStager::reopen(std::size_t index)
{
    const PlannedFolder& f = plan_.folders[index];
    auto fd = std::make_shared<UniqueFd>(
        ::open(f.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (f.followLink ? 0 : O_NOFOLLOW)));
    return *fd ? fd : nullptr;
}

void CopyStager::submit(Batch batch)
{
    pool_.submit([this, b = std::move(batch)] { runBatch(b); });
}

void CopyStager::runBatch(const Batch& batch)
{
    PlannedFolder& folder = plan_.folders[batch.folder];
    for (std::size_t n = 0; n < batch.entries.size(); ++n) {
        PlannedEntry& e = folder.entries[batch.entries[n]];
        const FolderRef& src = batch.src[n];
        if (reporter_.stopped() || plan_.items[e.top].renamed) {
            e.outcome = Outcome::Skipped;
            continue;
        }
        if (!src) {
            e.outcome = Outcome::Failed;
            reporter_.fail("copy", joinPath(plan_.sourceDirs[e.srcDir].path, e.srcName), ERROR_PATH_NOT_FOUND);
            continue;
        }
        stageEntry(e, src->get(), batch.dst->get());
    }
}

void CopyStager::stageEntry(PlannedEntry& e, int srcFd, int dstFd)
{
    const std::string srcPath = joinPath(plan_.sourceDirs[e.srcDir].path, e.srcName);
    if (e.outcome == Outcome::Unchanged) { // the very same file: nothing to write or compare
        reporter_.placed(true);
        reporter_.advance(e.size, 1, srcPath);
        return;
    }
    bool ok = S_ISLNK(e.mode) ? stageLink(e, srcFd, dstFd, srcPath) : stageFile(e, srcFd, dstFd, srcPath);
    if (!ok) {
        if (e.outcome == Outcome::Pending)
            e.outcome = Outcome::Failed;
        return;
    }
    reporter_.placed(e.outcome == Outcome::Unchanged);
    reporter_.advance(0, 1, srcPath);
}

bool CopyStager::stageLink(PlannedEntry& e, int srcFd, int dstFd, const std::string& srcPath)
{
    std::string target(PATH_MAX, '\0');
    ssize_t n = ::readlinkat(srcFd, e.srcName.c_str(), target.data(), target.size());
    if (n < 0)
        return reporter_.failErrno("copy", srcPath, errno);
    target.resize(static_cast<std::size_t>(n));
    if (e.targetExists && !e.noReplace) {
        std::string existing(PATH_MAX, '\0');
        ssize_t m = ::readlinkat(dstFd, e.name.c_str(), existing.data(), existing.size());
        struct stat st;
        if (m == n && existing.compare(0, static_cast<std::size_t>(m), target) == 0 &&
            ::fstatat(dstFd, e.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            e.outcome = Outcome::Unchanged;
            e.attrsDiffer = !sameTimes(e.times, st);
            return true;
        }
    }
    const std::string tmp = stagingName(e.seq);
    if (::symlinkat(target.c_str(), dstFd, tmp.c_str()) != 0)
        return reporter_.failErrno("copy", srcPath, errno);
    if (copySystemCalls().utimensat(dstFd, tmp.c_str(), e.times, AT_SYMLINK_NOFOLLOW) != 0) {
        int err = errno;
        ::unlinkat(dstFd, tmp.c_str(), 0);
        return reporter_.failErrno("copy", srcPath, err) && false;
    }
    e.outcome = Outcome::Staged;
    return true;
}

// Both files read side by side, stopping at the first difference. `in` is the update's file (its
// offset is left where it was), `old` the installed one.
bool CopyStager::sameContents(PlannedEntry& e, int in, int old)
{
    struct stat b;
    if (::fstat(old, &b) != 0 || !S_ISREG(b.st_mode) || static_cast<std::uint64_t>(b.st_size) != e.size)
        return false;
    thread_local std::vector<char> left, right;
    const std::size_t most = static_cast<std::size_t>(std::min<std::uint64_t>(e.size, kCompareBuffer));
    if (left.size() < most) {
        left.resize(most);
        right.resize(most);
    }
    // A changed file mostly differs near its start (headers, version blocks): the first piece is
    // small, so that such a file costs a glance before it is copied; later pieces grow.
    std::size_t piece = std::min(most, kFirstComparePiece);
    const bool dropCache = e.size >= kDropComparedFrom;
    if (dropCache) {
        ::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
        ::posix_fadvise(old, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    bool same = true;
    std::uint64_t done = 0;
    while (same && done < e.size) {
        if (reporter_.stopped())
            return false;
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(e.size - done, piece));
        auto at = static_cast<off_t>(done);
        ssize_t l = readFully(in, left.data(), want, at), r = readFully(old, right.data(), want, at);
        same = l == static_cast<ssize_t>(want) && r == l && std::memcmp(left.data(), right.data(), want) == 0;
        done += want;
        piece = std::min(most, piece * 4);
    }
    if (dropCache) {
        ::posix_fadvise(in, 0, 0, POSIX_FADV_DONTNEED);
        ::posix_fadvise(old, 0, 0, POSIX_FADV_DONTNEED);
    }
    if (same)
        e.attrsDiffer = (b.st_mode & 07777) != (e.mode & 07777) || !sameTimes(e.times, b);
    return same;
}

bool CopyStager::stageFile(PlannedEntry& e, int srcFd, int dstFd, const std::string& srcPath)
{
    // O_NONBLOCK: should the entry have become a FIFO since the scan, opening it must not hang.
    constexpr int kRead = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    UniqueFd in(::openat(srcFd, e.srcName.c_str(), kRead));
    if (!in)
        return reporter_.failErrno("copy", srcPath, errno);
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return reporter_.failErrno("copy", srcPath, errno);
    if (!S_ISREG(st.st_mode))
        return reporter_.fail("copy", srcPath, ERROR_CANT_ACCESS_FILE, kSpecialFile);
    const mode_t mode = st.st_mode & 07777;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size != e.size) {
        reporter_.addToTotal(size - e.size, 0); // it changed since the scan
        e.size = size;
    }

    UniqueFd old;
    if (e.targetIsFile && !e.noReplace && (e.targetSize == size || size >= kDropCacheFrom))
        old.reset(::openat(dstFd, e.name.c_str(), kRead));
    if (old && e.targetSize == size && sameContents(e, in.get(), old.get())) {
        e.outcome = Outcome::Unchanged;
        reporter_.advance(size, 0, srcPath);
        return true;
    }
    if (reporter_.stopped())
        return false;
    // The old version's cached pages are of no use once it is replaced. Handing them back before the
    // new copy is written lets the copy reuse them instead of growing the page cache by the size of
    // the update; on a virtual machine, where fresh memory is slow to touch, that is most of the
    // copy's time. The old file itself is not changed.
    if (old && size >= kDropCacheFrom)
        ::posix_fadvise(old.get(), 0, 0, POSIX_FADV_DONTNEED);
    old.reset();

    const std::string tmp = stagingName(e.seq);
    UniqueFd out(::openat(dstFd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode & 0777));
    if (!out)
        return reporter_.failErrno("copy", srcPath, errno);
    int err = copyData(in.get(), out.get(), size, srcPath);
    const CopySystemCalls& calls = copySystemCalls();
    if (err == 0 && (mode & ~currentUmask()) != mode && calls.fchmod(out.get(), mode) != 0)
        err = errno;
    timespec times[2] = {st.st_atim, st.st_mtim};
    if (err == 0 && calls.futimens(out.get(), times) != 0)
        err = errno;
    if (err == 0 && ::close(out.release()) != 0)
        err = errno;
    if (err != 0 || reporter_.stopped()) {
        out.reset();
        ::unlinkat(dstFd, tmp.c_str(), 0);
        if (err == ECANCELED || err == 0)
            return false;
        return reporter_.failErrno("copy", srcPath, err) && false;
    }
    e.outcome = Outcome::Staged;
    return true;
}

// Returns 0 or an errno value; ECANCELED when the job was cancelled in the middle.
int CopyStager::copyData(int in, int out, std::uint64_t size, const std::string& srcPath)
{
    std::uint64_t done = 0, unreported = 0, written = 0;
    // A large file's data is sent to the disk piece by piece while the rest is copied, so that the
    // sync before the renames finds most of it there already. Small files are left to that sync,
    // which writes them together instead of one small write each.
    const bool writeEarly = size >= kWriteEarlyFrom;
    bool kernelCopy = true;
    std::unique_ptr<char[]> buffer;
    while (done < size) {
        if (reporter_.stopped())
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
            reporter_.advance(unreported, 0, srcPath);
            unreported = 0;
        }
        if (writeEarly && (done - written >= kChunk || done == size)) {
            ::sync_file_range(out, static_cast<off_t>(written), static_cast<off_t>(done - written),
                              SYNC_FILE_RANGE_WRITE);
            written = done;
        }
    }
    if (unreported)
        reporter_.advance(unreported, 0, srcPath);
    return 0;
}

} // namespace wincompat::fileop
