#pragma once
// What a copy will do, decided before anything is written: every destination folder (in the order
// to create them, parents first) and every file and link that goes into each, under the name it
// will have there.
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace wincompat::fileop {

constexpr std::size_t kNoFolder = static_cast<std::size_t>(-1);

enum class Outcome : std::uint8_t { Pending, Staged, Unchanged, Skipped, Failed };

struct PlannedEntry {
    std::string srcName;
    std::string name; // in the destination: the installed entry's own name when one matches
    std::size_t srcDir = 0; // index into CopyPlan::sourceDirs
    std::size_t top = 0;    // the job's item it belongs to (a move removes an item's source once all of it is placed)
    mode_t mode = 0;
    std::uint64_t size = 0;
    timespec times[2]{};        // access, modification: the order utimensat takes
    bool targetExists = false;  // something is there to replace
    bool targetIsFile = false;  // a regular file, not a link: its contents may be the same already
    std::uint64_t targetSize = 0;
    bool noReplace = false;     // a collision-renamed copy must not replace what appeared since
    // Written by the one staging task that handles the entry, read once the tasks are drained.
    Outcome outcome = Outcome::Pending;
    std::uint64_t seq = 0;      // its temporary name
    bool attrsDiffer = false;   // an unchanged target whose mode or times are not the source's
};

struct PlannedFolder {
    std::string path;     // destination path; through a followed link where there is one
    std::string name;     // its name in `parent`
    std::size_t parent = kNoFolder; // kNoFolder: a destination the job names
    std::size_t top = 0;
    bool exists = false;
    bool followLink = false; // reached through a link to a folder, which stays
    bool fromSource = false; // a copied folder: it takes the source's mode and times
    mode_t mode = 0;
    timespec times[2]{};
    dev_t dev = 0;        // of an existing folder, checked again when it is opened
    ino_t ino = 0;
    std::vector<PlannedEntry> entries;
};

struct SourceDir {
    std::string path;
    dev_t dev = 0;
    ino_t ino = 0;
};

// What became of one item of the job, for a move to decide whether its source goes. Two plain
// bools rather than one combined state: the staging thread marks an item incomplete while its tasks
// read whether it was renamed, and as separate bytes the two never race.
struct ItemStatus {
    bool incomplete = false; // part of it was left out after a failure or a No: a move keeps its source
    bool renamed = false;    // moved by a plain rename already: nothing of it is copied
};

struct CopyPlan {
    std::vector<PlannedFolder> folders;
    std::vector<SourceDir> sourceDirs;
    std::vector<ItemStatus> items; // one per item of the job, once planning has begun
};

} // namespace wincompat::fileop
