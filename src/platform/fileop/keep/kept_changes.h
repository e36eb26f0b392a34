#pragma once
// One kept copy under way: its pending folder and journal, where each replaced file is kept, and
// how each staged file is put in place. The engine and the committer call it in a kept copy only.
#include "platform/base/unique_fd.h"
#include "platform/fileop/copy_reporter.h"
#include "platform/fileop/phases/copy_plan.h"

#include <atomic>
#include <string>
#include <vector>

namespace wincompat::fileop {

class KeptChanges {
public:
    KeptChanges(const std::string& keepRoot, CopyPlan& plan, CopyReporter& reporter)
        : root_(keepRoot), plan_(plan), reporter_(reporter)
    {
    }

    // Before staging: makes the pending folder and records the folders and this process. False
    // (reported) when the copy must not start.
    bool begin();
    // After staging and the sync of its data, before the first replacement: records every file about
    // to be replaced or added and every attribute about to change, and syncs that.
    bool prepareCommit();
    // Puts one staged entry of an open folder in place, keeping what it replaces. 0 or an errno.
    int place(int dirFd, std::size_t folder, std::size_t entry);
    // Everything the copy did taken back, as the journal on disk says.
    void undo();

    std::uint64_t replaced() const { return replaced_; }
    std::uint64_t added() const { return added_; }

private:
    struct Slot {
        bool replaces = false;
        bool beside = false; // kept in the target's own folder: it is on another file system
        std::string keptName;
    };

    const std::string root_;
    CopyPlan& plan_;
    CopyReporter& reporter_;
    std::string pending_;
    UniqueFd pendingFd_;
    dev_t keepDev_ = 0;
    std::vector<std::vector<Slot>> slots_;
    std::atomic<std::uint64_t> replaced_{0}, added_{0};
};

} // namespace wincompat::fileop
