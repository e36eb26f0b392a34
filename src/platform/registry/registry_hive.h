#pragma once
// Private to the posix registry: the storage of one hive, an SQLite database below the
// compatibility root. Not thread-safe; registry.cpp serialises every call.
//
// Layout (documented in the README):
//   <root>/registry/HKLM.db, HKU.db, HKCR.db, HKCC.db   machine-wide, 0644 files in 0755 folders
//   <root>/registry/users/<user>/HKCU.db                  HKEY_CURRENT_USER, 0600
// users/ is shared (01777, like /tmp); each user's folder in it is made by that user, 0700, so
// that no one else can put a journal, link or file beside the hive. Folder, hive and journal are
// checked (owner, type, mode) on every open; anything not the user's own denies access.
//
// Keys form a tree of rows (id, parent, name, fold); values hang off a key id. "fold" is the
// name in upper case (simple case mapping per code point, ASCII-only for text that is not
// UTF-8), so that names match without regard to case while keeping the spelling they were
// created with. The database runs in rollback-journal mode: readers need nothing but read
// access to the file, which is what lets an ordinary user read HKEY_LOCAL_MACHINE while only
// those who may write the file (and its folder) can change it.
#include "platform/base/case_fold.h"
#include "platform/registry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace wincompat::registry {

using KeyId = std::int64_t;
constexpr KeyId rootKeyId = 0;

struct ValueData {
    DWORD type = 0;
    std::string bytes;
};

struct SubkeyInfo {
    std::string name;
    std::int64_t lastWrite = 0; // FILETIME ticks
};

inline std::string foldName(const std::string& name)
{
    return upperCaseName(name);
}

class Hive {
public:
    // The hive behind a predefined root (0x80000000...), shared while handles use it.
    // ERROR_INVALID_HANDLE for roots that have no hive (performance data, dynamic data).
    static LSTATUS forRoot(std::uintptr_t root, std::shared_ptr<Hive>& hive);
    // Where the hive of a predefined root lives; empty for roots without one.
    static std::string fileFor(std::uintptr_t root);

    Hive(std::string file, bool perUser);
    ~Hive();
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    const std::string& file() const { return file_; }

    // Whether a write could succeed as far as permissions tell: the file (or, while it does
    // not exist, the folder it would be created in) is writable by this process.
    bool mayWrite();

    // Reads. A hive file that does not exist is an empty hive; nothing is created.
    LSTATUS findKey(KeyId from, const std::vector<std::string>& path, KeyId& found);
    LSTATUS keyAlive(KeyId key);
    LSTATUS queryValue(KeyId key, const std::string& name, ValueData& value);
    LSTATUS enumKey(KeyId key, DWORD index, SubkeyInfo& info);
    LSTATUS enumValue(KeyId key, DWORD index, std::string& name, ValueData& value);

    // Writes, each one transaction. The first creates the hive file and its folders.
    LSTATUS createKey(KeyId from, const std::vector<std::string>& path, KeyId& found, bool& created);
    LSTATUS setValue(KeyId key, const std::string& name, DWORD type, const BYTE* data, DWORD size);
    LSTATUS deleteValue(KeyId key, const std::string& name);
    // The key named by path below from (or from itself when path is empty) with everything below it.
    LSTATUS deleteKey(KeyId from, const std::vector<std::string>& path);

private:
    enum class Mode { closed, readOnly, readWrite };

    LSTATUS openForRead(bool& absent);
    // Opens the hive for a lookup in key; an empty hive answers whenEmpty for its root.
    LSTATUS openContents(KeyId key, LSTATUS whenEmpty);
    LSTATUS openForWrite();
    // HKEY_CURRENT_USER: whether the user's folder, hive and journal are theirs alone.
    LSTATUS checkUserPlace() const;
    LSTATUS makeUserFolder();
    // Moves a hive that an earlier version kept in the shared folder into the user's own.
    LSTATUS adoptSharedHive();
    LSTATUS openDatabase(bool writable);
    LSTATUS checkFormat();
    LSTATUS createFile();
    LSTATUS initSchema();
    void close();
    bool hasSchema() const { return hasSchema_; }

    std::string file_;
    bool perUser_;
    sqlite3* db_ = nullptr;
    Mode mode_ = Mode::closed;
    bool hasSchema_ = false;
    // Sticky for the life of this object: a hive that could not be read is never written.
    LSTATUS broken_ = ERROR_SUCCESS;
};

} // namespace wincompat::registry
