#pragma once
// The flocks that keep readers and writers of one INI file apart: a bounded wait on the file
// itself, and the exclusive lock of its folder that writers take in turn.
namespace wincompat::profile {

// flock with a bound: anyone who can open a file can lock it, and must not hang us for good.
// False when the lock could not be had within it.
bool lockWithin(int fd, int operation);

// Holds an exclusive flock of a folder for as long as it lives; waits as long as it takes.
class FolderLock {
public:
    explicit FolderLock(int fd);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

} // namespace wincompat::profile
