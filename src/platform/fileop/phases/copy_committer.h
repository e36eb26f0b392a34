#pragma once
// The last phase of a copy: puts what was staged in place, all or nothing as far as the disk
// allows. The staged data is synced before the first rename, so no target ever points at data
// that is not on disk; the renames and the attributes are synced before success is reported.
// A job stopped before this phase is rolled back instead: its temporary files and the folders it
// created go, and the destination is as it was. A kept copy goes further: every replaced file is
// kept first, and any failure up to the last sync takes everything back.
#include "platform/fileop/keep/kept_changes.h"
#include "platform/fileop/phases/copy_plan.h"
#include "platform/fileop/copy_reporter.h"
#include "platform/base/unique_fd.h"

#include <atomic>
#include <map>
#include <string>
#include <vector>

namespace wincompat::fileop {

class CopyCommitter {
public:
    // `threads` put folders' files in place side by side (none: all on the calling thread).
    CopyCommitter(CopyPlan& plan, CopyReporter& reporter, unsigned threads)
        : plan_(plan), reporter_(reporter), threads_(threads)
    {
    }

    // A kept copy: what it replaces is kept there, and a failure takes it all back.
    void keepChanges(KeptChanges* keep) { keep_ = keep; }

    // Called while staging, on the thread that creates folders.
    void rememberFileSystem(int fd);
    void createdFolder(const std::string& path) { created_.push_back(path); }

    // False when something could not be put in place or made durable (reported already).
    bool commit();
    void rollback();

private:
    bool sync();
    void renameAll();
    void rename(std::size_t index);
    int place(int dirFd, std::size_t folder, std::size_t entry);
    bool applyUnchangedAttributes(int dirFd, PlannedFolder& folder);
    bool applyFolderAttributes();
    int openFolder(const PlannedFolder& folder);

    CopyPlan& plan_;
    CopyReporter& reporter_;
    std::map<dev_t, std::pair<UniqueFd, std::string>> fileSystems_;
    std::vector<std::string> created_;
    KeptChanges* keep_ = nullptr;
    std::atomic<std::uint64_t> replaced_{0}, added_{0};
    const unsigned threads_;
    std::atomic<bool> ok_{true};
    std::atomic<bool> skipRest_{false}; // a failure the user chose to stop at
};

} // namespace wincompat::fileop
