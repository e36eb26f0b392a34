#pragma once
// One update at a time per program folder: a named mutex, whatever spelling of the folder each
// caller was given, held for the life of the object.
//
//     UpdateLock lock(programFolder);
//     if (!lock.Held())
//         return refuse(lock.Refusal());
#include "platform/wintypes.h"

#include <string>

class UpdateLock {
public:
    explicit UpdateLock(const std::string& programFolder);
    ~UpdateLock();
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

    bool Held() const { return held_; }
    // Why the lock is not held, for the user: another update runs, or the lock could not be made.
    std::string Refusal() const;
    // The mutex's name: derived from the folder's real path.
    static std::string MutexName(const std::string& programFolder);

private:
    std::string folder_;
    HANDLE handle_ = nullptr;
    bool held_ = false;
    DWORD error_ = 0; // when the mutex could not be made
};
