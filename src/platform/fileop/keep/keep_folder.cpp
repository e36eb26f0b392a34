#include "platform/fileop/keep/keep_folder.h"

#include "platform/base/unique_dir.h"
#include "platform/fileop/keep/keep_journal.h"
#include "platform/fileop/keep/keep_undo.h"
#include "platform/fileop/phases/copy_paths.h"
#include "platform/fileop/task_pool.h"
#include "platform/system.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace wincompat::fileop {

std::string keepPath(const std::string& root, const char* name) { return joinPath(root, name); }

UniqueFd openKeepFolder(const std::string& path, bool create, DWORD& error)
{
    error = ERROR_SUCCESS;
    if (create && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        error = errorFromErrno(errno);
        return {};
    }
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) {
        error = errno == ELOOP || errno == ENOTDIR ? ERROR_ACCESS_DENIED : errorFromErrno(errno);
        return {};
    }
    // Someone else's folder, or one others may write, could hold a journal that puts their files in
    // place of the program's.
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || (st.st_uid != ::geteuid() && st.st_uid != 0) || (st.st_mode & 022) != 0) {
        error = ERROR_ACCESS_DENIED;
        return {};
    }
    return fd;
}

DWORD removeKeepFolder(const std::string& path)
{
    DWORD error = ERROR_SUCCESS;
    UniqueFd fd = openKeepFolder(path, false, error);
    if (!fd)
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ERROR_SUCCESS : error;
    KeepJournal journal;
    if (readJournal(fd.get(), path, journal) == ERROR_SUCCESS)
        removeKeptElsewhere(journal, path);
    // Flat: the journal, the caller's note and the kept files, by number. Anything else (a folder
    // that has no business here) makes the removal fail rather than reach into it.
    std::vector<std::string> names;
    if (UniqueDir d = readFolderOf(fd.get()))
        while (dirent* e = ::readdir(d.get()))
            if (!isDots(e->d_name))
                names.emplace_back(e->d_name);
    // Each removal frees a replaced file's blocks, which keeps the disk busy one file at a time;
    // several threads let those waits overlap.
    {
        TaskPool pool(TaskPool::suitableThreads());
        constexpr std::size_t kBatch = 64;
        for (std::size_t from = 0; from < names.size(); from += kBatch)
            pool.submit([&, from] {
                for (std::size_t i = from; i < std::min(names.size(), from + kBatch); ++i)
                    if (names[i] != kJournalName)
                        ::unlinkat(fd.get(), names[i].c_str(), 0);
            });
    }
    // The journal goes last: until then the folder still says what it holds.
    ::unlinkat(fd.get(), kJournalName, 0);
    fd.reset();
    if (::rmdir(path.c_str()) != 0)
        return errorFromErrno(errno);
    return ERROR_SUCCESS;
}

DWORD undoKeepFolder(const std::string& root, const char* name, bool force, KeptCopyOutcome& outcome)
{
    const std::string path = keepPath(root, name);
    DWORD error = ERROR_SUCCESS;
    UniqueFd fd = openKeepFolder(path, false, error);
    if (!fd)
        return error;
    KeepJournal journal;
    error = readJournal(fd.get(), path, journal);
    if (error == ERROR_FILE_NOT_FOUND) {
        // Made, but killed before its journal: nothing was touched yet.
        fd.reset();
        ::rmdir(path.c_str());
        ::rmdir(root.c_str());
        return ERROR_SUCCESS;
    }
    if (error != ERROR_SUCCESS) {
        outcome.failedPath = joinPath(path, kJournalName);
        return error;
    }
    fd.reset();
    error = undoFiles(journal, force, outcome);
    if (error != ERROR_SUCCESS)
        return error; // the kept files stay, so that another attempt can still put them back
    if (DWORD rc = removeKeepFolder(path); rc != ERROR_SUCCESS) {
        outcome.failedPath = path;
        return rc;
    }
    ::rmdir(root.c_str()); // only when nothing else is kept
    restoreFolders(journal);
    return ERROR_SUCCESS;
}

} // namespace wincompat::fileop
