#include "platform/mutex.h"

#include "platform/mutex/mutex_files.h"
#include "platform/system.h"

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

using wincompat::mutex::MutexFiles;

namespace {

// One per mutex in this process, shared by all its handles here. Between processes the lock
// files stand for the object; within the process ownership is counted per thread, so that the
// owning thread takes it again as often as it likes.
struct MutexObject {
    std::string key; // namespace and name; empty: unnamed
    std::unique_ptr<MutexFiles> files;
    std::thread::id owner;
    unsigned recursion = 0;
    unsigned handles = 0;
};

struct HandleEntry {
    MutexObject* object;
};

struct Table {
    std::mutex lock;
    std::map<std::string, MutexObject*> named;
    std::set<HandleEntry*> live;

    // The entry of a live handle; null with ERROR_INVALID_HANDLE for anything else.
    HandleEntry* find(HANDLE handle)
    {
        auto* entry = reinterpret_cast<HandleEntry*>(handle);
        if (live.count(entry) != 0)
            return entry;
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }

    HANDLE open(MutexObject* object)
    {
        ++object->handles;
        auto* entry = new HandleEntry{object};
        live.insert(entry);
        return reinterpret_cast<HANDLE>(entry);
    }

    // An object lives while a handle is open or a thread owns it, as the kernel keeps it. An
    // unnamed one that has lost its last handle can never be reached again, owned or not.
    void dropIfUnused(MutexObject* object)
    {
        if (object->handles != 0 || (object->recursion != 0 && !object->key.empty()))
            return;
        if (!object->key.empty())
            named.erase(object->key);
        delete object;
    }
};

Table& table()
{
    // Never destroyed: the process's last handles are closed by other objects' destructors at exit.
    static auto* instance = new Table;
    return *instance;
}

enum class Attempt { taken, abandoned, busy };

Attempt tryTake(MutexObject& object)
{
    const auto self = std::this_thread::get_id();
    if (object.recursion != 0) {
        if (object.owner != self)
            return Attempt::busy;
        ++object.recursion;
        return Attempt::taken;
    }
    bool abandoned = false;
    if (object.files != nullptr && !object.files->tryOwn(abandoned))
        return Attempt::busy;
    object.owner = self;
    object.recursion = 1;
    return abandoned ? Attempt::abandoned : Attempt::taken;
}

} // namespace

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name)
{
    Table& t = table();
    std::lock_guard guard(t.lock);
    const std::string plainName = name != nullptr ? name : "";
    // The same name under another root or runtime folder is another object.
    const std::string key = plainName.empty() ? "" : wincompat::mutex::mutexNamespace() + '\n' + plainName;
    if (!key.empty()) {
        if (auto it = t.named.find(key); it != t.named.end()) {
            HANDLE handle = t.open(it->second);
            SetLastError(ERROR_ALREADY_EXISTS);
            return handle;
        }
    }
    auto object = std::make_unique<MutexObject>();
    object->key = key;
    bool created = true;
    if (!key.empty()) {
        DWORD error = ERROR_SUCCESS;
        object->files = MutexFiles::open(plainName, created, error);
        if (object->files == nullptr) {
            SetLastError(error);
            return nullptr;
        }
    }
    if (created && initialOwner)
        tryTake(*object);
    MutexObject* raw = object.release();
    if (!key.empty())
        t.named[key] = raw;
    HANDLE handle = t.open(raw);
    SetLastError(created ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return handle;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    const auto start = std::chrono::steady_clock::now();
    Table& t = table();
    while (true) {
        {
            std::lock_guard guard(t.lock);
            HandleEntry* entry = t.find(handle);
            if (entry == nullptr)
                return WAIT_FAILED;
            switch (tryTake(*entry->object)) {
            case Attempt::taken: return WAIT_OBJECT_0;
            case Attempt::abandoned: return WAIT_ABANDONED;
            case Attempt::busy: break;
            }
        }
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (milliseconds != INFINITE && waited.count() >= static_cast<long long>(milliseconds))
            return WAIT_TIMEOUT;
        // Another process gives no signal when it lets go: look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

BOOL ReleaseMutex(HANDLE handle)
{
    Table& t = table();
    std::lock_guard guard(t.lock);
    HandleEntry* entry = t.find(handle);
    if (entry == nullptr)
        return FALSE;
    MutexObject& object = *entry->object;
    if (object.recursion == 0 || object.owner != std::this_thread::get_id()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    if (--object.recursion == 0) {
        object.owner = {};
        if (object.files != nullptr)
            object.files->disown();
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE handle)
{
    Table& t = table();
    std::lock_guard guard(t.lock);
    HandleEntry* entry = t.find(handle);
    if (entry == nullptr)
        return FALSE;
    MutexObject* object = entry->object;
    t.live.erase(entry);
    delete entry;
    --object->handles;
    t.dropIfUnused(object);
    return TRUE;
}
