#pragma once
// The first phase of a file job: finds what the sources name and, for a copy or a move, decides
// where each file goes and what is in its way, before anything is written. Names in a destination
// folder match without regard to case (the installed entry keeps its name); a folder link there is
// followed as Windows follows a junction. Every clash that can be known now (a file against a
// folder, two sources with one name, a name too long, a folder that cannot be written) is reported
// here, so that a job that stops for it has changed nothing.
#include "platform/fileop/phases/copy_plan.h"
#include "platform/fileop/copy_reporter.h"

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace wincompat::fileop {

struct SourceNode {
    std::string name;
    mode_t mode = 0;
    std::uint64_t size = 0;
    timespec times[2]{};
    dev_t dev = 0;
    ino_t ino = 0;
    std::vector<SourceNode> children;
};

// One thing a source entry names: a file, link or folder (with everything in it).
struct TopItem {
    std::string srcParent;
    std::string destDir;
    std::string destName;
    SourceNode node;
};

class CopyPlanner {
public:
    CopyPlanner(const FileJob& job, CopyReporter& reporter) : job_(job), reporter_(reporter) {}

    // Every source of the job, in order, with the folder (and name) each goes to.
    std::vector<TopItem> expandSources();
    // False when the job stops; nothing has been changed then.
    bool plan(const std::vector<TopItem>& items, CopyPlan& plan);
    // What the item's target is called in its destination folder, when something of that name is
    // there already (matched without regard to case); empty when the name is free.
    std::string existingName(const std::string& folder, const std::string& name);

private:
    // An index into one of the lists planning fills, of a type of its own per list so that two
    // handed on together cannot be swapped.
    template <class Into>
    struct Index {
        explicit Index(std::size_t i) : value(i) {}
        std::size_t value;
    };
    using FolderIndex = Index<PlannedFolder>;  // CopyPlan::folders
    using SourceDirIndex = Index<SourceDir>;   // CopyPlan::sourceDirs
    using ItemIndex = Index<TopItem>;          // the job's items, and CopyPlan::items

    struct Listing {
        bool loaded = false;
        int writeError = 0; // why the folder cannot take new entries
        std::unordered_map<std::string, std::string> names;     // upper-case form -> name on disk
        std::unordered_map<std::string, std::size_t> claimed;   // names this job writes -> folder or kNoFolder
    };

    bool expand(const std::string& source, const std::string& destDir, const std::string* destName,
                std::vector<TopItem>& items);
    bool scan(int dirFd, const std::string& path, SourceNode& node);
    bool checkNotIntoItself(const TopItem& item);
    std::size_t destinationFolder(const std::string& path, ItemIndex top);
    SourceDirIndex sourceDir(const std::string& path);
    bool place(FolderIndex folder, SourceDirIndex srcDir, const std::string& srcPath, const SourceNode& node,
               const std::string& targetName, ItemIndex top);
    bool placeFolder(FolderIndex folder, const std::string& srcPath, const SourceNode& node, const std::string& key,
                     const std::string& name, bool exists, ItemIndex top);
    Listing& listing(FolderIndex folder);
    bool collisionName(const Listing& l, const std::string& name, std::string& chosen);
    bool failPlacing(ItemIndex top, const std::string& path, DWORD code, const std::string& reason = {});

    const FileJob& job_;
    CopyReporter& reporter_;
    CopyPlan* plan_ = nullptr;
    std::vector<Listing> listings_; // one per planned folder
    std::map<std::string, std::size_t> topFolders_;
    std::map<std::string, std::size_t> sourceDirs_;
    bool replaceAll_ = false;
};

// The name FOF_RENAMEONCOLLISION gives a copy at its `attempt`th try (from 1) when `name` is taken:
// "Copy of <name>", then "Copy (2) of <name>", "Copy (3) of <name>", ...
std::string renamedCopyName(const std::string& name, int attempt);

} // namespace wincompat::fileop
