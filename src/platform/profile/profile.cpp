// INI files with Windows' semantics:
// - sections and keys match without regard to case; surrounding blanks of names and values
//   do not count; a value in matching single or double quotes is read without them;
// - the first matching section and, in it, the first matching key win;
// - a read gives the default for a missing file, section or key, cut to size - 1 characters;
// - a write creates the file, the section and the key; a null value deletes the key, a null
//   key the section; the rest of the file is kept line for line; names and values that the
//   format cannot hold (line breaks, "=" in a key) are refused rather than written.
// A change is written to a temporary file in the same folder, synced and renamed over the
// old file, under an flock of the folder, so that a crash never leaves half a file and two
// processes never lose each other's changes. A file that its user may write in a folder they may
// not (no room for the temporary file) is rewritten in place instead, as Windows does, under an
// exclusive flock of the file that readers wait for.
#include "platform/profile.h"

#include "platform/base/case_fold.h"
#include "platform/base/make_folders.h"
#include "platform/base/path_split.h"
#include "platform/base/unique_fd.h"
#include "platform/system.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using wincompat::folderOf;
using wincompat::makeFolders;
using wincompat::nameOf;
using wincompat::UniqueFd;

const char utf8Bom[] = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1a;
}

std::string trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() ? a == b || wincompat::upperCaseName(a) == wincompat::upperCaseName(b)
                                : wincompat::upperCaseName(a) == wincompat::upperCaseName(b);
}

struct Line {
    std::string text;
    std::string eol; // "\r\n", "\n" or empty for a last line without a break
};

enum class Kind { blank, section, entry };

struct Parsed {
    Kind kind = Kind::blank;
    std::string name;
    bool hasValue = false;
    std::string value;
};

Parsed parseLine(const std::string& text)
{
    Parsed p;
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    if (start == text.size())
        return p;
    if (text[start] == '[') {
        const std::size_t close = text.rfind(']');
        if (close != std::string::npos && close > start) {
            p.kind = Kind::section;
            p.name = text.substr(start + 1, close - start - 1);
            return p;
        }
    }
    p.kind = Kind::entry;
    const std::string body = trim(text.substr(start));
    const std::size_t eq = body.find('=');
    if (eq == std::string::npos) {
        p.name = body;
        return p;
    }
    p.name = trim(body.substr(0, eq));
    p.hasValue = true;
    p.value = trim(body.substr(eq + 1));
    return p;
}

struct Document {
    bool exists = false;
    bool bom = false;
    std::vector<Line> lines;
    std::string eol = "\r\n"; // Windows' line break for a new file

    void parse(const std::string& bytes)
    {
        std::size_t pos = 0;
        if (bytes.compare(0, 3, utf8Bom) == 0) {
            bom = true;
            pos = 3;
        }
        bool eolSeen = false;
        while (pos < bytes.size()) {
            const std::size_t nl = bytes.find('\n', pos);
            Line line;
            if (nl == std::string::npos) {
                line.text = bytes.substr(pos);
                pos = bytes.size();
            } else {
                std::size_t end = nl;
                if (end > pos && bytes[end - 1] == '\r') {
                    --end;
                    line.eol = "\r\n";
                } else {
                    line.eol = "\n";
                }
                line.text = bytes.substr(pos, end - pos);
                pos = nl + 1;
                if (!eolSeen) {
                    eol = line.eol;
                    eolSeen = true;
                }
            }
            lines.push_back(std::move(line));
        }
    }

    std::string text() const
    {
        std::string out = bom ? utf8Bom : "";
        for (const Line& l : lines)
            out += l.text + l.eol;
        return out;
    }

    // [first, end) of the first section of that name: first is its header line.
    bool findSection(const std::string& section, std::size_t& first, std::size_t& end) const
    {
        const std::string wanted = trim(section);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Parsed p = parseLine(lines[i].text);
            if (p.kind != Kind::section || p.name.empty() || !sameName(p.name, wanted))
                continue;
            first = i;
            end = i + 1;
            while (end < lines.size() && parseLine(lines[end].text).kind != Kind::section)
                ++end;
            return true;
        }
        return false;
    }

    bool findKey(std::size_t first, std::size_t end, const std::string& key, std::size_t& at) const
    {
        const std::string wanted = trim(key);
        for (std::size_t i = first + 1; i < end; ++i) {
            const Parsed p = parseLine(lines[i].text);
            if (p.kind == Kind::entry && sameName(p.name, wanted)) {
                at = i;
                return true;
            }
        }
        return false;
    }
};

// A bare file name lives in the Windows folder, as under Windows.
std::string resolvePath(LPCSTR fileName)
{
    std::string name = fileName != nullptr ? fileName : "win.ini";
    if (name.find('/') != std::string::npos)
        return name;
    return wincompat::windowsFolder() + "/" + name;
}

// flock with a bound: anyone who can open a file can lock it, and must not hang us for good.
bool lockWithin(int fd, int operation)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (flock(fd, operation | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

DWORD readWhole(const std::string& path, std::string& bytes)
{
    const UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return wincompat::errorFromErrno(errno);
    struct stat st {};
    if (fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode))
        return ERROR_ACCESS_DENIED;
    // Never half of an in-place rewrite; past the bound, read what is there.
    lockWithin(fd.get(), LOCK_SH);
    bytes.clear();
    char buffer[65536];
    while (true) {
        const ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return wincompat::errorFromErrno(errno);
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return ERROR_SUCCESS;
}

DWORD load(const std::string& path, Document& doc)
{
    std::string bytes;
    const DWORD rc = readWhole(path, bytes);
    if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND)
        return rc;
    if (rc != ERROR_SUCCESS)
        return rc;
    doc.exists = true;
    doc.parse(bytes);
    return ERROR_SUCCESS;
}

// Windows' copy of a value: without surrounding matching quotes, cut to size - 1.
DWORD copyOut(std::string value, bool stripQuotes, LPSTR buffer, DWORD size)
{
    if (stripQuotes && value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (size == 0)
        return 0;
    const std::size_t n = std::min<std::size_t>(value.size(), size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

// A list of names, each ended by a zero, the list ended by another one. A list that does not
// fit is cut, its last name ended by two zeros, and the result is size - 2, as Windows does.
DWORD copyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size)
{
    if (size == 0)
        return 0;
    if (size == 1) {
        buffer[0] = '\0';
        return 0;
    }
    DWORD used = 0;
    for (const std::string& name : names) {
        if (used + name.size() + 1 > size - 1) {
            const DWORD room = size - 2 - used;
            std::memcpy(buffer + used, name.data(), room);
            buffer[size - 2] = '\0';
            buffer[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer + used, name.c_str(), name.size() + 1);
        used += static_cast<DWORD>(name.size() + 1);
    }
    buffer[used] = '\0';
    return used;
}

std::string withoutTrailingSpaces(const char* text)
{
    std::string s = text != nullptr ? text : "";
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

class FolderLock {
public:
    explicit FolderLock(int fd) : fd_(fd)
    {
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock() { flock(fd_, LOCK_UN); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

std::string temporaryName(const std::string& folder, const std::string& path)
{
    static std::mt19937_64 random{std::random_device{}()};
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
    return folder + "/." + nameOf(path) + "." + suffix + ".tmp";
}

DWORD writeAtomically(const std::string& path, const std::string& folder, int folderFd, const std::string& bytes,
                      const struct stat* existing)
{
    std::string temp;
    UniqueFd fd;
    for (int attempt = 0; attempt < 16 && !fd; ++attempt) {
        temp = temporaryName(folder, path);
        fd.reset(open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                      existing != nullptr ? (existing->st_mode & 07777) : 0666));
        if (!fd && errno != EEXIST)
            return wincompat::errorFromErrno(errno);
    }
    if (!fd)
        return ERROR_CANNOT_MAKE;
    DWORD rc = ERROR_SUCCESS;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            rc = wincompat::errorFromErrno(errno);
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (rc == ERROR_SUCCESS && existing != nullptr) {
        // Keep the file's permissions (the umask narrowed them at creation) and, for root, its owner.
        if (geteuid() == 0 && (existing->st_uid != 0 || existing->st_gid != 0) &&
            fchown(fd.get(), existing->st_uid, existing->st_gid) != 0)
            rc = wincompat::errorFromErrno(errno);
        if (rc == ERROR_SUCCESS && fchmod(fd.get(), existing->st_mode & 07777) != 0)
            rc = wincompat::errorFromErrno(errno);
    }
    if (rc == ERROR_SUCCESS && fsync(fd.get()) != 0)
        rc = wincompat::errorFromErrno(errno);
    // Closed here, not on leaving, because a failed close can mean the data never reached the disk.
    if (close(fd.release()) != 0 && rc == ERROR_SUCCESS)
        rc = wincompat::errorFromErrno(errno);
    if (rc == ERROR_SUCCESS && rename(temp.c_str(), path.c_str()) != 0)
        rc = wincompat::errorFromErrno(errno);
    if (rc != ERROR_SUCCESS) {
        unlink(temp.c_str());
        return rc;
    }
    fsync(folderFd);
    return ERROR_SUCCESS;
}

// The new text over the old one, then the file cut to its length; the inode, owner and mode stay.
DWORD rewriteInPlace(const std::string& path, const std::string& bytes)
{
    const UniqueFd fd(open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd)
        return wincompat::errorFromErrno(errno);
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return ERROR_ACCESS_DENIED;
    if (!lockWithin(fd.get(), LOCK_EX))
        return ERROR_SHARING_VIOLATION;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pwrite(fd.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return wincompat::errorFromErrno(errno);
        done += static_cast<std::size_t>(n);
    }
    if (ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || fsync(fd.get()) != 0)
        return wincompat::errorFromErrno(errno);
    return ERROR_SUCCESS;
}

// The emulated Windows and system folders always exist under Windows; here they come into
// being with the first file written to them.
bool isEmulatedSystemFolder(const std::string& folder)
{
    return folder == wincompat::windowsFolder() || folder == wincompat::systemFolder();
}

std::mutex& writeMutex()
{
    static std::mutex m;
    return m;
}

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName)
{
    if (buffer == nullptr || size == 0)
        return 0;
    const std::string fallback = withoutTrailingSpaces(defaultValue);
    Document doc;
    const DWORD loaded = load(resolvePath(fileName), doc);
    if (section == nullptr) {
        std::vector<std::string> names;
        for (const Line& line : doc.lines)
            if (const Parsed p = parseLine(line.text); p.kind == Kind::section && !p.name.empty())
                names.push_back(p.name);
        SetLastError(loaded);
        return copyList(names, buffer, size);
    }
    std::size_t first = 0, end = 0;
    const bool found = doc.findSection(section, first, end);
    if (key == nullptr) {
        std::vector<std::string> names;
        if (found)
            for (std::size_t i = first + 1; i < end; ++i) {
                const Parsed p = parseLine(doc.lines[i].text);
                if (p.kind == Kind::entry && p.hasValue && !p.name.empty() && p.name[0] != ';')
                    names.push_back(p.name);
            }
        if (!names.empty()) {
            SetLastError(ERROR_SUCCESS);
            return copyList(names, buffer, size);
        }
        SetLastError(loaded != ERROR_SUCCESS ? loaded : ERROR_FILE_NOT_FOUND);
        return copyOut(fallback, true, buffer, size);
    }
    std::size_t at = 0;
    if (found && *key != '\0' && doc.findKey(first, end, key, at)) {
        const Parsed p = parseLine(doc.lines[at].text);
        if (p.hasValue) {
            SetLastError(ERROR_SUCCESS);
            return copyOut(p.value, true, buffer, size);
        }
    }
    SetLastError(loaded != ERROR_SUCCESS ? loaded : ERROR_FILE_NOT_FOUND);
    return copyOut(fallback, true, buffer, size);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName)
{
    if (section == nullptr && key == nullptr && value == nullptr) {
        // The documented cache flush. Every write went to disk already; Windows answers FALSE.
        SetLastError(ERROR_SUCCESS);
        return FALSE;
    }
    if (section == nullptr)
        return fail(ERROR_INVALID_PARAMETER);
    if (fileName != nullptr && *fileName == '\0')
        return fail(ERROR_INVALID_NAME);
    // Text the format cannot hold would change the file's structure (a value with a line break
    // can start a new section); Windows writes it anyway, here the write is refused.
    const auto hasBreak = [](const char* text) { return text != nullptr && std::strpbrk(text, "\r\n") != nullptr; };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value) ||
        (key != nullptr && (std::strchr(key, '=') != nullptr || trim(key).rfind('[', 0) == 0)))
        return fail(ERROR_INVALID_PARAMETER);
    // Nor does a blank name, which no read would ever find again.
    if (value != nullptr && (trim(section).empty() || (key != nullptr && trim(key).empty())))
        return fail(ERROR_INVALID_PARAMETER);

    std::string path = resolvePath(fileName);
    // Write through a symbolic link to the file it names, as Windows writes through to the target.
    struct stat linkStat {};
    if (lstat(path.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    const std::string folder = folderOf(path);

    std::lock_guard inProcess(writeMutex());
    UniqueFd folderFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd && errno == ENOENT && isEmulatedSystemFolder(folder)) {
        makeFolders(folder, 0755, 0755);
        folderFd.reset(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    if (!folderFd)
        return fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : wincompat::errorFromErrno(errno));
    FolderLock lock(folderFd.get());

    Document doc;
    if (DWORD rc = load(path, doc); rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        return fail(rc);
    struct stat existing {};
    const bool exists = doc.exists && stat(path.c_str(), &existing) == 0;
    if (exists && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return fail(wincompat::errorFromErrno(errno));

    bool changed = false;
    std::size_t first = 0, end = 0;
    const bool found = doc.findSection(section, first, end);
    if (key == nullptr) {
        if (found) {
            doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(first),
                            doc.lines.begin() + static_cast<std::ptrdiff_t>(end));
            changed = true;
        }
    } else if (value == nullptr) {
        std::size_t at = 0;
        if (found && doc.findKey(first, end, key, at)) {
            doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(at));
            changed = true;
        }
    } else {
        std::string text = value;
        std::size_t lead = 0;
        while (lead < text.size() && isBlank(text[lead]))
            ++lead;
        text.erase(0, lead);
        const std::string keyName = trim(key);
        std::size_t at = 0;
        if (found && doc.findKey(first, end, key, at)) {
            // The key keeps its spelling; a value that reads back the same leaves the file alone.
            const Parsed p = parseLine(doc.lines[at].text);
            if (!p.hasValue || p.value != trim(text)) {
                doc.lines[at].text = p.name + "=" + text;
                changed = true;
            }
        } else if (found) {
            std::size_t insertAt = end;
            while (insertAt > first + 1 && parseLine(doc.lines[insertAt - 1].text).kind == Kind::blank)
                --insertAt;
            if (insertAt > 0 && doc.lines[insertAt - 1].eol.empty())
                doc.lines[insertAt - 1].eol = doc.eol;
            doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                             Line{keyName + "=" + text, doc.eol});
            changed = true;
        } else {
            if (!doc.lines.empty()) {
                if (doc.lines.back().eol.empty())
                    doc.lines.back().eol = doc.eol;
                if (parseLine(doc.lines.back().text).kind != Kind::blank)
                    doc.lines.push_back(Line{"", doc.eol});
            }
            doc.lines.push_back(Line{"[" + trim(section) + "]", doc.eol});
            doc.lines.push_back(Line{keyName + "=" + text, doc.eol});
            changed = true;
        }
    }
    if (!changed) {
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    // Without room for a temporary file beside it, a file we may write is rewritten where it is.
    const bool folderTakesFiles = faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
    const DWORD rc = exists && !folderTakesFiles
                         ? rewriteInPlace(path, doc.text())
                         : writeAtomically(path, folder, folderFd.get(), doc.text(), exists ? &existing : nullptr);
    if (rc != ERROR_SUCCESS)
        return fail(rc);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
