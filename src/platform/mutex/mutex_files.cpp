#include "platform/mutex/mutex_files.h"

#include "platform/base/unique_dir.h"
#include "platform/system.h"

#include <QCryptographicHash>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace wincompat::mutex {
namespace {

// How long a start waits for another process that is opening or closing a mutex of the same
// folder; those steps take microseconds, so running out means that process is stuck.
constexpr auto serialDeadline = std::chrono::seconds(5);
constexpr const char* serialName = ".serial";

std::uint64_t fnv1a(const std::string& text)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

bool closedToOthers(int fd, DWORD& error)
{
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        error = errorFromErrno(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 077) != 0) {
        error = ERROR_ACCESS_DENIED;
        return false;
    }
    return true;
}

DWORD openError(int err)
{
    // A link or other non-folder where a folder belongs was planted: refuse it as such.
    return err == ELOOP || err == ENOTDIR ? ERROR_ACCESS_DENIED : errorFromErrno(err);
}

// Opens, creating it when missing, a folder below parentFd that only this user may enter.
UniqueFd privateSubfolder(int parentFd, const std::string& name, DWORD& error)
{
    if (mkdirat(parentFd, name.c_str(), 0700) != 0 && errno != EEXIST) {
        error = errorFromErrno(errno);
        return {};
    }
    UniqueFd fd(openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) {
        error = openError(errno);
        return {};
    }
    if (!closedToOthers(fd.get(), error))
        return {};
    return fd;
}

struct Folder {
    std::string path;
    UniqueFd up; // the folder that holds ours, for removing it
    std::string leaf;
    UniqueFd fd;
};

// The user's runtime folder and the name of our folder in it. Without XDG_RUNTIME_DIR, the
// system's usual one; failing that /tmp, where our own folder must then pass the same checks.
bool runtimeBase(UniqueFd& base, std::string& path, std::string& leaf, DWORD& error)
{
    const std::string uid = std::to_string(geteuid());
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg != nullptr && *xdg != '\0') {
        if (*xdg != '/') {
            error = ERROR_BAD_PATHNAME;
            return false;
        }
        base.reset(open(xdg, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!base) {
            error = openError(errno);
            return false;
        }
        if (!closedToOthers(base.get(), error))
            return false;
        path = xdg;
        leaf = "wincompat";
        return true;
    }
    const std::string run = "/run/user/" + uid;
    base.reset(open(run.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    DWORD ignored = 0;
    if (base && closedToOthers(base.get(), ignored)) {
        path = run;
        leaf = "wincompat";
        return true;
    }
    base.reset(open("/tmp", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!base) {
        error = errorFromErrno(errno);
        return false;
    }
    path = "/tmp";
    leaf = "wincompat-" + uid;
    return true;
}

// Each compatibility root is a namespace of its own, as a prefix is for a compatibility layer.
std::string rootFolderName()
{
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(fnv1a(compatRoot())));
    return std::string("mutex-") + hex;
}

bool openFolder(Folder& folder, DWORD& error)
{
    UniqueFd base;
    std::string leaf;
    if (!runtimeBase(base, folder.path, leaf, error))
        return false;
    folder.up = privateSubfolder(base.get(), leaf, error);
    if (!folder.up)
        return false;
    folder.leaf = rootFolderName();
    folder.fd = privateSubfolder(folder.up.get(), folder.leaf, error);
    folder.path += "/" + leaf + "/" + folder.leaf;
    return static_cast<bool>(folder.fd);
}

// Holds the folder's serial lock. Files are opened, joined and removed only under it, so that
// testing for other holders and joining them is one step as far as every other process sees.
class Serialized {
public:
    bool enter(DWORD& error)
    {
        const auto deadline = std::chrono::steady_clock::now() + serialDeadline;
        while (true) {
            if (!openFolder(folder, error))
                return false;
            serial.reset(openat(folder.fd.get(), serialName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (serial) {
                while (flock(serial.get(), LOCK_EX | LOCK_NB) != 0) {
                    if (errno != EWOULDBLOCK && errno != EINTR) {
                        error = errorFromErrno(errno);
                        return false;
                    }
                    if (std::chrono::steady_clock::now() > deadline) {
                        error = ERROR_BUSY;
                        return false;
                    }
                    std::this_thread::sleep_for(std::chrono::microseconds(500));
                }
                struct stat st {};
                if (fstat(serial.get(), &st) != 0) {
                    error = errorFromErrno(errno);
                    return false;
                }
                if (st.st_nlink > 0)
                    return true;
            } else if (errno != ENOENT) {
                error = openError(errno);
                return false;
            }
            // The last holder removed the folder meanwhile: start again from the top.
            if (std::chrono::steady_clock::now() > deadline) {
                error = ERROR_BUSY;
                return false;
            }
        }
    }

    // Removes the folder when nothing but the serial file is left in it.
    void removeFolderIfEmpty()
    {
        UniqueDir dir = readFolderOf(folder.fd.get());
        if (!dir)
            return;
        bool empty = true;
        while (dirent* entry = readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && name != serialName) {
                empty = false;
                break;
            }
        }
        dir.reset();
        if (empty && unlinkat(folder.fd.get(), serialName, 0) == 0)
            unlinkat(folder.up.get(), folder.leaf.c_str(), AT_REMOVEDIR);
    }

    Folder folder;
    UniqueFd serial;
};

UniqueFd openLockFile(int folderFd, const std::string& name, DWORD& error)
{
    UniqueFd fd(openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd) {
        error = openError(errno);
        return {};
    }
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() || st.st_nlink != 1) {
        error = ERROR_ACCESS_DENIED;
        return {};
    }
    return fd;
}

} // namespace

std::string mutexFileStem(const std::string& name)
{
    std::string stem;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
                           c == '-' || c == '_' || c == ',' || (c == '.' && i > 0);
        if (plain) {
            stem += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            stem += escaped;
        }
    }
    // A file name holds 255 bytes: keep a readable start and tell long names apart by digest.
    constexpr std::size_t longest = 200, kept = 120;
    if (stem.size() > longest) {
        std::size_t cut = kept;
        if (stem[cut - 1] == '%')
            cut -= 1;
        else if (stem[cut - 2] == '%')
            cut -= 2;
        const QByteArray digest =
            QCryptographicHash::hash(QByteArray::fromStdString(name), QCryptographicHash::Sha256).toHex().left(32);
        stem = stem.substr(0, cut) + "~" + digest.toStdString();
    }
    return stem;
}

std::string mutexNamespace()
{
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    return std::string(xdg != nullptr ? xdg : "") + '\n' + compatRoot();
}

std::string mutexFolder(DWORD& error)
{
    Folder folder;
    return openFolder(folder, error) ? folder.path : std::string();
}

std::unique_ptr<MutexFiles> MutexFiles::open(const std::string& name, bool& created, DWORD& error)
{
    Serialized serialized;
    if (!serialized.enter(error))
        return nullptr;
    std::unique_ptr<MutexFiles> files(new MutexFiles);
    files->stem_ = mutexFileStem(name);
    const int folder = serialized.folder.fd.get();
    files->handles_ = openLockFile(folder, files->stem_ + ".handles", error);
    if (files->handles_)
        files->owner_ = openLockFile(folder, files->stem_ + ".owner", error);
    if (!files->owner_) {
        files->handles_.reset(); // nothing joined: the destructor must not count this one
        return nullptr;
    }
    // The serial lock is still held here, so a failure must not run the destructor's cleanup.
    auto fail = [&files, &error](int err) {
        error = errorFromErrno(err);
        files->handles_.reset();
        return nullptr;
    };
    if (flock(files->handles_.get(), LOCK_EX | LOCK_NB) == 0) {
        created = true;
        // A new object: an ownership mark left by a process that died belongs to an old one.
        if (ftruncate(files->owner_.get(), 0) != 0)
            return fail(errno);
    } else if (errno == EWOULDBLOCK) {
        created = false;
    } else {
        return fail(errno);
    }
    // Under the serial lock no other process tests for holders, so changing the lock is safe.
    if (flock(files->handles_.get(), LOCK_SH | LOCK_NB) != 0)
        return fail(errno);
    return files;
}

MutexFiles::~MutexFiles()
{
    if (!handles_)
        return;
    Serialized serialized;
    DWORD ignored = 0;
    if (!serialized.enter(ignored))
        return; // the files stay; they hold no lock once this process has let go
    if (flock(handles_.get(), LOCK_EX | LOCK_NB) == 0) {
        const int folder = serialized.folder.fd.get();
        unlinkat(folder, (stem_ + ".handles").c_str(), 0);
        unlinkat(folder, (stem_ + ".owner").c_str(), 0);
        serialized.removeFolderIfEmpty();
    }
    handles_.reset();
    owner_.reset();
}

bool MutexFiles::tryOwn(bool& abandoned)
{
    if (flock(owner_.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    char mark = 0;
    abandoned = pread(owner_.get(), &mark, 1, 0) == 1 && mark == '1';
    // Marked until given back: a process that dies holding it leaves the mark behind.
    if (pwrite(owner_.get(), "1", 1, 0) != 1) {
        flock(owner_.get(), LOCK_UN);
        return false;
    }
    return true;
}

void MutexFiles::disown()
{
    if (ftruncate(owner_.get(), 0) != 0) {
        // The mark stays; the next owner takes it for abandoned, which it handles the same way.
    }
    flock(owner_.get(), LOCK_UN);
}

} // namespace wincompat::mutex
