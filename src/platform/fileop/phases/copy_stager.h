#pragma once
// The middle phase of a copy: creates the missing folders and writes every file and link of the
// plan beside its target under a temporary name, with the source's mode and times. A target whose
// contents are the same already is left alone (only its attributes are set when the job commits).
// Files are spread over a pool of threads, a folder's small files as one task and each large file as
// a task of its own, each task holding its folders open.
#include "platform/fileop/phases/copy_committer.h"
#include "platform/fileop/phases/copy_plan.h"
#include "platform/fileop/copy_reporter.h"
#include "platform/fileop/task_pool.h"
#include "platform/base/unique_fd.h"

#include <memory>
#include <string>

namespace wincompat::fileop {

class CopyStager {
public:
    CopyStager(CopyPlan& plan, CopyReporter& reporter, CopyCommitter& committer, unsigned threads);

    // Returns once every task has ended; the entries' outcomes say what each one came to.
    void stage();

private:
    using FolderRef = std::shared_ptr<const UniqueFd>;
    struct Batch {
        std::size_t folder = 0;
        FolderRef dst;
        std::vector<std::size_t> entries; // indexes into the folder's entries
        std::vector<FolderRef> src;       // per entry of the batch
    };

    FolderRef openDestination(std::size_t index, const std::vector<FolderRef>& open);
    FolderRef openSource(std::size_t srcDir);
    FolderRef reopen(std::size_t index);
    void submit(Batch batch);
    void runBatch(const Batch& batch);
    void stageEntry(PlannedEntry& entry, int srcFd, int dstFd);
    bool stageLink(PlannedEntry& entry, int srcFd, int dstFd, const std::string& srcPath);
    bool stageFile(PlannedEntry& entry, int srcFd, int dstFd, const std::string& srcPath);
    bool sameContents(PlannedEntry& entry, int in, int old);
    int copyData(int in, int out, std::uint64_t size, const std::string& srcPath);
    void removeStaleStaging(int dirFd);

    CopyPlan& plan_;
    CopyReporter& reporter_;
    CopyCommitter& committer_;
    TaskPool pool_;
    std::uint64_t nextSeq_ = 0;
    std::size_t openSrcDir_ = static_cast<std::size_t>(-1);
    FolderRef openSrc_;
};

} // namespace wincompat::fileop
