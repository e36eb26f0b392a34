#include "platform/registry/registry_hive.h"

#include "platform/base/case_fold.h"
#include "platform/base/make_folders.h"
#include "platform/base/path_split.h"
#include "platform/base/unique_fd.h"
#include "platform/system.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wincompat::registry {
namespace {

using wincompat::folderOf;
using wincompat::makeFolders;
using wincompat::UniqueFd;

constexpr int applicationId = 0x57435247; // "WCRG"
constexpr int schemaVersion = 1;
constexpr int busyTimeoutMs = 30000;
constexpr mode_t folderMode = 0755;
constexpr mode_t usersFolderMode = 01777;
constexpr mode_t userFolderMode = 0700;
constexpr mode_t machineFileMode = 0644;
constexpr mode_t userFileMode = 0600;
// What SQLite may read back into a hive besides the hive itself: the rollback journal, and a
// write-ahead log should anyone switch the file to that mode.
constexpr const char* companionSuffixes[] = {"-journal", "-wal"};

std::int64_t fileTimeNow()
{
    using namespace std::chrono;
    const auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    return since1970 / 100 + 116444736000000000LL;
}

LSTATUS fromSqlite(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW: return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_CANTOPEN: return ERROR_CANTOPEN;
    case SQLITE_IOERR: return ERROR_REGISTRY_IO_FAILED;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_SCHEMA:
    case SQLITE_ERROR: return ERROR_BADDB;
    case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
    default: return ERROR_REGISTRY_CORRUPT;
    }
}

// One prepared statement, finalised on every path.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return rc_ == SQLITE_OK; }
    int prepareResult() const { return rc_; }
    Statement& bind(int index, std::int64_t value)
    {
        sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Statement& bindText(int index, const std::string& value)
    {
        sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bindBlob(int index, const void* data, int size)
    {
        // A zero-length blob must still be a blob, not NULL.
        sqlite3_bind_blob(stmt_, index, size > 0 ? data : "", size, SQLITE_TRANSIENT);
        return *this;
    }
    int step() { return sqlite3_step(stmt_); }
    std::int64_t int64(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string bytes(int column) const
    {
        const void* p = sqlite3_column_blob(stmt_, column);
        const int n = sqlite3_column_bytes(stmt_, column);
        return p != nullptr && n > 0 ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(n))
                                     : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_ = SQLITE_OK;
};

// BEGIN IMMEDIATE takes the write lock up front, so two writers never deadlock on an upgrade;
// the busy timeout makes the second one wait instead of failing.
class Transaction {
public:
    explicit Transaction(sqlite3* db) : db_(db)
    {
        rc_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    ~Transaction()
    {
        if (rc_ == SQLITE_OK && !done_)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    LSTATUS begun() const { return fromSqlite(rc_); }
    LSTATUS commit()
    {
        const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            done_ = true;
        return fromSqlite(rc);
    }

private:
    sqlite3* db_;
    int rc_;
    bool done_ = false;
};

std::string userName()
{
    passwd pw{};
    passwd* found = nullptr;
    char scratch[4096];
    if (getpwuid_r(geteuid(), &pw, scratch, sizeof scratch, &found) == 0 && found != nullptr && found->pw_name[0])
        return found->pw_name;
    return "uid-" + std::to_string(geteuid());
}

bool writableFolder(const std::string& folder)
{
    return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// The shared users folder may hold entries of every user, but only its owner (root, or us) may
// rename or remove what others put there, unless the sticky bit keeps everyone to their own.
bool trustedSharedFolder(const struct stat& st)
{
    return S_ISDIR(st.st_mode) && (st.st_uid == 0 || st.st_uid == geteuid()) &&
           (!(st.st_mode & (S_IWGRP | S_IWOTH)) || (st.st_mode & S_ISVTX));
}

// A user's own folder, hive or journal: theirs, not a link, and writable by no one else.
bool privateFolder(const struct stat& st)
{
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && !(st.st_mode & (S_IWGRP | S_IWOTH));
}

bool privateFile(const struct stat& st)
{
    return S_ISREG(st.st_mode) && st.st_uid == geteuid() && !(st.st_mode & (S_IWGRP | S_IWOTH));
}

// Nothing there passes; something there must pass the check, or access is denied.
LSTATUS checkEntry(const std::string& path, bool (*acceptable)(const struct stat&))
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? ERROR_SUCCESS : errorFromErrno(errno);
    return acceptable(st) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// A file of ours with no other name: safe to move out of a folder that others may write.
bool soleFileOfOurs(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_nlink == 1;
}

struct HiveCache {
    std::map<std::string, std::weak_ptr<Hive>> hives;
};

HiveCache& cache()
{
    static HiveCache instance;
    return instance;
}

} // namespace

std::string Hive::fileFor(std::uintptr_t root)
{
    const std::string folder = compatRoot() + "/registry";
    switch (root) {
    case 0x80000000u: return folder + "/HKCR.db";
    case 0x80000001u: return folder + "/users/" + userName() + "/HKCU.db";
    case 0x80000002u: return folder + "/HKLM.db";
    case 0x80000003u: return folder + "/HKU.db";
    case 0x80000005u: return folder + "/HKCC.db";
    default: return {};
    }
}

LSTATUS Hive::forRoot(std::uintptr_t root, std::shared_ptr<Hive>& hive)
{
    const std::string file = fileFor(root);
    if (file.empty())
        return ERROR_INVALID_HANDLE;
    auto& hives = cache().hives;
    if (auto it = hives.find(file); it != hives.end()) {
        if ((hive = it->second.lock()))
            return ERROR_SUCCESS;
    }
    hive = std::make_shared<Hive>(file, root == 0x80000001u);
    hives[file] = hive;
    // Forget hives no longer in use, so that the map does not grow with every WINCOMPAT_ROOT.
    for (auto it = hives.begin(); it != hives.end();)
        it = it->second.expired() ? hives.erase(it) : std::next(it);
    return ERROR_SUCCESS;
}

Hive::Hive(std::string file, bool perUser) : file_(std::move(file)), perUser_(perUser) {}

Hive::~Hive()
{
    close();
}

void Hive::close()
{
    if (db_ != nullptr)
        sqlite3_close_v2(db_);
    db_ = nullptr;
    mode_ = Mode::closed;
    hasSchema_ = false;
}

bool Hive::mayWrite()
{
    if (broken_ != ERROR_SUCCESS || (perUser_ && checkUserPlace() != ERROR_SUCCESS))
        return false;
    struct stat st {};
    if (lstat(file_.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return false;
        // The folder must take the rollback journal too.
        return faccessat(AT_FDCWD, file_.c_str(), W_OK, AT_EACCESS) == 0 && writableFolder(folderOf(file_));
    }
    // Not there yet: whoever may create it in the nearest folder that exists may write it.
    std::string folder = folderOf(file_);
    while (true) {
        if (stat(folder.c_str(), &st) == 0)
            return S_ISDIR(st.st_mode) && writableFolder(folder);
        if (errno != ENOENT)
            return false;
        const std::string up = folderOf(folder);
        if (up == folder)
            return false;
        folder = up;
    }
}

LSTATUS Hive::openDatabase(bool writable)
{
    close();
    // Never follow a link planted in place of the hive, and never create the file here: only
    // createFile() creates, with the modes that decide who may write.
    const int flags = (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOFOLLOW |
                      SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_PRIVATECACHE;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file_.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        return rc == SQLITE_CANTOPEN ? ERROR_CANTOPEN : fromSqlite(rc);
    }
    db_ = db;
    mode_ = writable ? Mode::readWrite : Mode::readOnly;
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    // A hive file is data, never code: no triggers or views from it run with our rights.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    return checkFormat();
}

// Tells our own hives from anything else: garbage, a damaged file, or some other database.
// Whatever it is, it is left exactly as it is.
LSTATUS Hive::checkFormat()
{
    Statement id(db_, "PRAGMA application_id");
    if (!id.ok()) {
        broken_ = ERROR_BADDB;
        close();
        return broken_;
    }
    const int rc = id.step();
    if (rc != SQLITE_ROW) {
        const bool busy = (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
        if (!busy)
            broken_ = fromSqlite(rc) == ERROR_REGISTRY_IO_FAILED ? ERROR_REGISTRY_IO_FAILED : ERROR_BADDB;
        close();
        return busy ? ERROR_BUSY : broken_;
    }
    const std::int64_t appId = id.int64(0);
    Statement tables(db_, "SELECT count(*) FROM sqlite_schema");
    if (!tables.ok() || tables.step() != SQLITE_ROW) {
        broken_ = ERROR_BADDB;
        close();
        return broken_;
    }
    const std::int64_t objects = tables.int64(0);
    if (objects == 0 && appId == 0) {
        hasSchema_ = false; // a new, empty hive
        return ERROR_SUCCESS;
    }
    if (appId != applicationId) {
        broken_ = ERROR_BADDB;
        close();
        return broken_;
    }
    Statement check(db_, "SELECT count(*) FROM sqlite_schema WHERE type='table' AND name IN ('keys','vals')");
    if (!check.ok() || check.step() != SQLITE_ROW || check.int64(0) != 2) {
        broken_ = ERROR_BADDB;
        close();
        return broken_;
    }
    hasSchema_ = true;
    return ERROR_SUCCESS;
}

LSTATUS Hive::openForRead(bool& absent)
{
    absent = false;
    if (broken_ != ERROR_SUCCESS)
        return broken_;
    if (db_ != nullptr)
        // An empty hive may have been given its tables by another process since we looked.
        return hasSchema_ ? ERROR_SUCCESS : checkFormat();
    if (perUser_) {
        if (LSTATUS rc = adoptSharedHive(); rc != ERROR_SUCCESS)
            return rc;
        if (LSTATUS rc = checkUserPlace(); rc != ERROR_SUCCESS)
            return rc;
    }
    struct stat st {};
    if (lstat(file_.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            absent = true;
            return ERROR_SUCCESS;
        }
        return errorFromErrno(errno);
    }
    if (!S_ISREG(st.st_mode)) {
        broken_ = ERROR_BADDB;
        return broken_;
    }
    // Read-write when permitted, so that a reader can roll back a journal a crashed writer
    // left behind; read-only otherwise.
    return openDatabase(mayWrite());
}

LSTATUS Hive::checkUserPlace() const
{
    const std::string own = folderOf(file_);
    if (LSTATUS rc = checkEntry(folderOf(own), trustedSharedFolder); rc != ERROR_SUCCESS)
        return rc;
    if (LSTATUS rc = checkEntry(own, privateFolder); rc != ERROR_SUCCESS)
        return rc;
    if (LSTATUS rc = checkEntry(file_, privateFile); rc != ERROR_SUCCESS)
        return rc;
    for (const char* suffix : companionSuffixes)
        if (LSTATUS rc = checkEntry(file_ + suffix, privateFile); rc != ERROR_SUCCESS)
            return rc;
    return ERROR_SUCCESS;
}

LSTATUS Hive::makeUserFolder()
{
    const std::string own = folderOf(file_);
    const std::string shared = folderOf(own);
    if (LSTATUS rc = makeFolders(shared, usersFolderMode, folderMode); rc != ERROR_SUCCESS)
        return rc;
    if (mkdir(own.c_str(), userFolderMode) == 0)
        chmod(own.c_str(), userFolderMode);
    else if (errno != EEXIST)
        return errorFromErrno(errno);
    // Whoever made it, it must be ours alone before anything goes in.
    return checkUserPlace();
}

LSTATUS Hive::adoptSharedHive()
{
    struct stat st {};
    if (lstat(file_.c_str(), &st) == 0 || errno != ENOENT)
        return ERROR_SUCCESS;
    const std::string shared = folderOf(file_) + ".db"; // users/<user>.db
    if (!soleFileOfOurs(shared))
        return ERROR_SUCCESS; // nothing of ours; whatever else is there stays unread
    if (LSTATUS rc = makeUserFolder(); rc != ERROR_SUCCESS)
        return rc;
    // The journal first: should we stop halfway, the hive still moves, and finds it, next time.
    for (const char* suffix : companionSuffixes) {
        const std::string from = shared + suffix, to = file_ + suffix;
        if (soleFileOfOurs(from) && lstat(to.c_str(), &st) != 0 && rename(from.c_str(), to.c_str()) != 0)
            return errorFromErrno(errno);
    }
    if (rename(shared.c_str(), file_.c_str()) != 0 && errno != ENOENT)
        return errorFromErrno(errno);
    return ERROR_SUCCESS;
}

LSTATUS Hive::createFile()
{
    const std::string folder = folderOf(file_);
    if (perUser_) {
        if (LSTATUS rc = makeUserFolder(); rc != ERROR_SUCCESS)
            return rc;
    } else {
        if (LSTATUS rc = makeFolders(folder, folderMode, folderMode); rc != ERROR_SUCCESS)
            return rc;
        // Whoever sets up the machine-wide hives also makes room for every user's own folder.
        makeFolders(compatRoot() + "/registry/users", usersFolderMode, folderMode);
    }
    const mode_t mode = perUser_ ? userFileMode : machineFileMode;
    const UniqueFd fd(open(file_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
    if (!fd)
        return errno == EEXIST ? ERROR_SUCCESS : errorFromErrno(errno);
    fchmod(fd.get(), mode);
    // Make the new directory entry durable before anything is written into the file.
    if (const UniqueFd dirFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dirFd)
        fsync(dirFd.get());
    return ERROR_SUCCESS;
}

LSTATUS Hive::initSchema()
{
    Transaction tx(db_);
    if (LSTATUS rc = tx.begun(); rc != ERROR_SUCCESS)
        return rc;
    // Another writer may have done it while we waited for the lock.
    Statement check(db_, "SELECT count(*) FROM sqlite_schema WHERE type='table' AND name IN ('keys','vals')");
    if (!check.ok() || check.step() != SQLITE_ROW)
        return ERROR_BADDB;
    if (check.int64(0) != 2) {
        const char* ddl = "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
                          " name TEXT NOT NULL, fold TEXT NOT NULL, mtime INTEGER NOT NULL, UNIQUE(parent, fold));"
                          "CREATE TABLE vals(key INTEGER NOT NULL, name TEXT NOT NULL, fold TEXT NOT NULL,"
                          " type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, fold));";
        if (int rc = sqlite3_exec(db_, ddl, nullptr, nullptr, nullptr); rc != SQLITE_OK)
            return fromSqlite(rc);
        const std::string pragmas = "PRAGMA application_id=" + std::to_string(applicationId) +
                                    ";PRAGMA user_version=" + std::to_string(schemaVersion) + ";";
        if (int rc = sqlite3_exec(db_, pragmas.c_str(), nullptr, nullptr, nullptr); rc != SQLITE_OK)
            return fromSqlite(rc);
    }
    if (LSTATUS rc = tx.commit(); rc != ERROR_SUCCESS)
        return rc;
    hasSchema_ = true;
    return ERROR_SUCCESS;
}

LSTATUS Hive::openForWrite()
{
    if (broken_ != ERROR_SUCCESS)
        return broken_;
    if (!mayWrite())
        return ERROR_ACCESS_DENIED;
    if (mode_ != Mode::readWrite) {
        if (perUser_)
            if (LSTATUS rc = adoptSharedHive(); rc != ERROR_SUCCESS)
                return rc;
        struct stat st {};
        if (lstat(file_.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return errorFromErrno(errno);
            if (LSTATUS rc = createFile(); rc != ERROR_SUCCESS)
                return rc;
        }
        if (LSTATUS rc = openDatabase(true); rc != ERROR_SUCCESS)
            return rc;
    }
    if (!hasSchema_)
        return initSchema();
    return ERROR_SUCCESS;
}

LSTATUS Hive::keyAlive(KeyId key)
{
    if (key == rootKeyId)
        return ERROR_SUCCESS;
    bool absent = false;
    if (LSTATUS rc = openForRead(absent); rc != ERROR_SUCCESS)
        return rc;
    if (absent || !hasSchema_)
        return ERROR_KEY_DELETED;
    Statement s(db_, "SELECT 1 FROM keys WHERE id=?1");
    if (!s.ok())
        return fromSqlite(s.prepareResult());
    s.bind(1, key);
    const int rc = s.step();
    if (rc == SQLITE_ROW)
        return ERROR_SUCCESS;
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : fromSqlite(rc);
}

LSTATUS Hive::openContents(KeyId key, LSTATUS whenEmpty)
{
    bool absent = false;
    if (LSTATUS rc = openForRead(absent); rc != ERROR_SUCCESS)
        return rc;
    // A hive with no file or no tables holds only its empty root.
    if (absent || !hasSchema_)
        return key == rootKeyId ? whenEmpty : ERROR_KEY_DELETED;
    return ERROR_SUCCESS;
}

LSTATUS Hive::findKey(KeyId from, const std::vector<std::string>& path, KeyId& found)
{
    bool absent = false;
    if (LSTATUS rc = openForRead(absent); rc != ERROR_SUCCESS)
        return rc;
    if (absent || !hasSchema_) {
        if (from != rootKeyId)
            return ERROR_KEY_DELETED;
        if (!path.empty())
            return ERROR_FILE_NOT_FOUND;
        found = rootKeyId;
        return ERROR_SUCCESS;
    }
    if (LSTATUS rc = keyAlive(from); rc != ERROR_SUCCESS)
        return rc;
    KeyId current = from;
    for (const std::string& component : path) {
        Statement s(db_, "SELECT id FROM keys WHERE parent=?1 AND fold=?2");
        if (!s.ok())
            return fromSqlite(s.prepareResult());
        s.bind(1, current).bindText(2, foldName(component));
        const int rc = s.step();
        if (rc == SQLITE_DONE)
            return ERROR_FILE_NOT_FOUND;
        if (rc != SQLITE_ROW)
            return fromSqlite(rc);
        current = s.int64(0);
    }
    found = current;
    return ERROR_SUCCESS;
}

LSTATUS Hive::queryValue(KeyId key, const std::string& name, ValueData& value)
{
    if (LSTATUS rc = openContents(key, ERROR_FILE_NOT_FOUND); rc != ERROR_SUCCESS)
        return rc;
    Statement s(db_, "SELECT type, data FROM vals WHERE key=?1 AND fold=?2");
    if (!s.ok())
        return fromSqlite(s.prepareResult());
    s.bind(1, key).bindText(2, foldName(name));
    const int rc = s.step();
    if (rc == SQLITE_ROW) {
        value.type = static_cast<DWORD>(s.int64(0));
        value.bytes = s.bytes(1);
        return ERROR_SUCCESS;
    }
    if (rc != SQLITE_DONE)
        return fromSqlite(rc);
    if (LSTATUS alive = keyAlive(key); alive != ERROR_SUCCESS)
        return alive;
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS Hive::enumKey(KeyId key, DWORD index, SubkeyInfo& info)
{
    if (LSTATUS rc = openContents(key, ERROR_NO_MORE_ITEMS); rc != ERROR_SUCCESS)
        return rc;
    if (LSTATUS rc = keyAlive(key); rc != ERROR_SUCCESS)
        return rc;
    Statement s(db_, "SELECT name, mtime FROM keys WHERE parent=?1 ORDER BY fold LIMIT 1 OFFSET ?2");
    if (!s.ok())
        return fromSqlite(s.prepareResult());
    s.bind(1, key).bind(2, index);
    const int rc = s.step();
    if (rc == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW)
        return fromSqlite(rc);
    info.name = s.bytes(0);
    info.lastWrite = s.int64(1);
    return ERROR_SUCCESS;
}

LSTATUS Hive::enumValue(KeyId key, DWORD index, std::string& name, ValueData& value)
{
    if (LSTATUS rc = openContents(key, ERROR_NO_MORE_ITEMS); rc != ERROR_SUCCESS)
        return rc;
    if (LSTATUS rc = keyAlive(key); rc != ERROR_SUCCESS)
        return rc;
    // Values come in the order they were first set, as Windows lists them.
    Statement s(db_, "SELECT name, type, data FROM vals WHERE key=?1 ORDER BY rowid LIMIT 1 OFFSET ?2");
    if (!s.ok())
        return fromSqlite(s.prepareResult());
    s.bind(1, key).bind(2, index);
    const int rc = s.step();
    if (rc == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW)
        return fromSqlite(rc);
    name = s.bytes(0);
    value.type = static_cast<DWORD>(s.int64(1));
    value.bytes = s.bytes(2);
    return ERROR_SUCCESS;
}

LSTATUS Hive::createKey(KeyId from, const std::vector<std::string>& path, KeyId& found, bool& created)
{
    created = false;
    if (LSTATUS rc = openForWrite(); rc != ERROR_SUCCESS)
        return rc;
    Transaction tx(db_);
    if (LSTATUS rc = tx.begun(); rc != ERROR_SUCCESS)
        return rc;
    if (LSTATUS rc = keyAlive(from); rc != ERROR_SUCCESS)
        return rc;
    const std::int64_t now = fileTimeNow();
    KeyId current = from;
    for (const std::string& component : path) {
        const std::string fold = foldName(component);
        Statement find(db_, "SELECT id FROM keys WHERE parent=?1 AND fold=?2");
        if (!find.ok())
            return fromSqlite(find.prepareResult());
        find.bind(1, current).bindText(2, fold);
        const int rc = find.step();
        if (rc == SQLITE_ROW) {
            current = find.int64(0);
            continue;
        }
        if (rc != SQLITE_DONE)
            return fromSqlite(rc);
        Statement insert(db_, "INSERT INTO keys(parent, name, fold, mtime) VALUES(?1, ?2, ?3, ?4)");
        if (!insert.ok())
            return fromSqlite(insert.prepareResult());
        insert.bind(1, current).bindText(2, component).bindText(3, fold).bind(4, now);
        if (int irc = insert.step(); irc != SQLITE_DONE)
            return fromSqlite(irc);
        if (current != rootKeyId) {
            Statement touch(db_, "UPDATE keys SET mtime=?1 WHERE id=?2");
            touch.bind(1, now).bind(2, current);
            if (int trc = touch.step(); trc != SQLITE_DONE)
                return fromSqlite(trc);
        }
        current = sqlite3_last_insert_rowid(db_);
        created = true;
    }
    if (LSTATUS rc = tx.commit(); rc != ERROR_SUCCESS) {
        created = false;
        return rc;
    }
    found = current;
    return ERROR_SUCCESS;
}

LSTATUS Hive::setValue(KeyId key, const std::string& name, DWORD type, const BYTE* data, DWORD size)
{
    if (LSTATUS rc = openForWrite(); rc != ERROR_SUCCESS)
        return rc;
    Transaction tx(db_);
    if (LSTATUS rc = tx.begun(); rc != ERROR_SUCCESS)
        return rc;
    if (LSTATUS rc = keyAlive(key); rc != ERROR_SUCCESS)
        return rc;
    // The name keeps the spelling it was first set with, and its place in the enumeration.
    Statement s(db_, "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                     " ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data");
    if (!s.ok())
        return fromSqlite(s.prepareResult());
    s.bind(1, key)
        .bindText(2, name)
        .bindText(3, foldName(name))
        .bind(4, type)
        .bindBlob(5, data, static_cast<int>(size));
    if (int rc = s.step(); rc != SQLITE_DONE)
        return fromSqlite(rc);
    if (key != rootKeyId) {
        Statement touch(db_, "UPDATE keys SET mtime=?1 WHERE id=?2");
        touch.bind(1, fileTimeNow()).bind(2, key);
        if (int rc = touch.step(); rc != SQLITE_DONE)
            return fromSqlite(rc);
    }
    return tx.commit();
}

LSTATUS Hive::deleteValue(KeyId key, const std::string& name)
{
    if (LSTATUS rc = openContents(key, ERROR_FILE_NOT_FOUND); rc != ERROR_SUCCESS)
        return rc;
    if (LSTATUS rc = openForWrite(); rc != ERROR_SUCCESS)
        return rc;
    Transaction tx(db_);
    if (LSTATUS rc = tx.begun(); rc != ERROR_SUCCESS)
        return rc;
    if (LSTATUS rc = keyAlive(key); rc != ERROR_SUCCESS)
        return rc;
    Statement s(db_, "DELETE FROM vals WHERE key=?1 AND fold=?2");
    if (!s.ok())
        return fromSqlite(s.prepareResult());
    s.bind(1, key).bindText(2, foldName(name));
    if (int rc = s.step(); rc != SQLITE_DONE)
        return fromSqlite(rc);
    if (sqlite3_changes(db_) == 0)
        return ERROR_FILE_NOT_FOUND;
    return tx.commit();
}

LSTATUS Hive::deleteKey(KeyId from, const std::vector<std::string>& path)
{
    KeyId target = rootKeyId;
    if (LSTATUS rc = findKey(from, path, target); rc != ERROR_SUCCESS)
        return rc;
    if (target == rootKeyId)
        return ERROR_ACCESS_DENIED; // a hive's root is not deleted
    if (LSTATUS rc = openForWrite(); rc != ERROR_SUCCESS)
        return rc;
    Transaction tx(db_);
    if (LSTATUS rc = tx.begun(); rc != ERROR_SUCCESS)
        return rc;
    // Look again inside the transaction: another process may have changed the tree.
    if (LSTATUS rc = findKey(from, path, target); rc != ERROR_SUCCESS)
        return rc;
    static const char* const statements[] = {
        "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id)"
        " DELETE FROM vals WHERE key IN (SELECT id FROM sub)",
        "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id)"
        " DELETE FROM keys WHERE id IN (SELECT id FROM sub)",
    };
    for (const char* sql : statements) {
        Statement s(db_, sql);
        if (!s.ok())
            return fromSqlite(s.prepareResult());
        s.bind(1, target);
        if (int rc = s.step(); rc != SQLITE_DONE)
            return fromSqlite(rc);
    }
    return tx.commit();
}

} // namespace wincompat::registry
