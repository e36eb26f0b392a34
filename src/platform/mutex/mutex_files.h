#pragma once
// The files behind a named mutex: in a folder only this user can write, below the user's
// runtime folder and apart for each compatibility root, one file whose shared locks are the
// handles open in live processes and one whose exclusive lock is the ownership. The kernel
// drops both locks when a process dies, so nothing a killed process leaves blocks anyone.
#include "platform/base/unique_fd.h"
#include "platform/wintypes.h"

#include <memory>
#include <string>

namespace wincompat::mutex {

class MutexFiles {
public:
    // Joins the holders of the named mutex; created tells whether no other live process held a
    // handle to it. Null with error set when no private folder or file could be had.
    static std::unique_ptr<MutexFiles> open(const std::string& name, bool& created, DWORD& error);
    // Leaves the holders; the last one out removes the files.
    ~MutexFiles();
    MutexFiles(const MutexFiles&) = delete;
    MutexFiles& operator=(const MutexFiles&) = delete;

    // Takes the ownership if no other process has it; abandoned tells that the previous owner
    // died without giving it back.
    bool tryOwn(bool& abandoned);
    void disown();

private:
    MutexFiles() = default;
    std::string stem_;
    UniqueFd handles_;
    UniqueFd owner_;
};

// The file name stem for a mutex name: every byte that could leave the folder, hide the file or
// clash with another name is written as %XX; very long names end in a digest of the whole name.
std::string mutexFileStem(const std::string& name);

// Tells apart the namespaces that mutexFolder can give: one per runtime folder and root.
std::string mutexNamespace();

// The folder the lock files live in (created when missing), or an empty text with error set when
// it, or a folder on the way, is not a plain folder owned by this user and closed to others.
std::string mutexFolder(DWORD& error);

} // namespace wincompat::mutex
