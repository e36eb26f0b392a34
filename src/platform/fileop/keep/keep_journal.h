#pragma once
// The record a kept copy leaves in its keep folder, so that its changes can be taken back after a
// failure, a kill or on request. One line per fact, appended and synced in two steps: before
// staging (the folders, and the process whose temporary files may be lying about), and before the
// first file is replaced (every file about to be replaced or added, and the attributes about to
// change). A last line marks the copy complete.
#include "platform/wintypes.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace wincompat::fileop {

struct FileAttributes {
    mode_t mode = 0;
    timespec times[2]{}; // access, modification
};

// What a file the copy wrote looked like, to tell later whether someone has changed it since.
struct WrittenFile {
    dev_t dev = 0;
    ino_t ino = 0;
    std::uint64_t size = 0;
    timespec mtime{};
    bool operator==(const WrittenFile& o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

struct JournalFolder {
    std::string path;
    bool created = false;  // made by the copy; otherwise it existed, with `before`
    FileAttributes before;
};

struct JournalEntry {
    enum class Kind : char { Replaced = 'R', Added = 'A', Touched = 'U' };
    Kind kind = Kind::Added;
    std::string dir, name;
    std::string kept;     // Replaced: where the old file is kept (written: a bare name for the keep folder)
    WrittenFile written;  // Replaced, Added: the new file
    FileAttributes before; // Touched: an unchanged file whose mode or times the copy sets
};

struct KeepJournal {
    std::string destination;
    long pid = 0; // whose temporary files to remove
    std::vector<JournalFolder> folders; // parents first
    std::vector<JournalEntry> entries;
    bool complete = false;
};

// The file name of the journal in its keep folder.
inline constexpr char kJournalName[] = "journal";

// Appends lines (each ending in '\n') to the journal in `keepFd` and syncs them; creates it when
// `create`, failing when it exists. Returns 0 or a Windows error code.
DWORD appendJournal(int keepFd, const std::string& lines, bool create);

std::string journalHeader(const std::string& destination, long pid);
std::string journalLine(const JournalFolder& folder);
std::string journalLine(const JournalEntry& entry);
std::string journalCompleteLine();

// Reads the journal of the keep folder `keepFd` at `keepPath` (a generation moves, so the files it
// keeps are named relative to it); ERROR_INVALID_DATA when it is not one, or names a path outside
// its destination.
DWORD readJournal(int keepFd, const std::string& keepPath, KeepJournal& journal);

} // namespace wincompat::fileop
