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

#include "platform/base/make_folders.h"
#include "platform/base/path_split.h"
#include "platform/base/unique_fd.h"
#include "platform/profile/atomic_write.h"
#include "platform/profile/in_place_write.h"
#include "platform/profile/ini_document.h"
#include "platform/profile/profile_file.h"
#include "platform/profile/profile_lock.h"
#include "platform/system.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using namespace wincompat::profile;
using wincompat::folderOf;
using wincompat::makeFolders;
using wincompat::UniqueFd;

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
            // The names before may have filled all but the last byte: then nothing of this one fits.
            const DWORD room = used < size - 2 ? size - 2 - used : 0;
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

std::vector<std::string> sectionNames(const Document& doc)
{
    std::vector<std::string> names;
    for (const Line& line : doc.lines)
        if (const Parsed p = parseLine(line.text); p.kind == Kind::section && !p.name.empty())
            names.push_back(p.name);
    return names;
}

// The keys of the section that have a value; comments are no keys.
std::vector<std::string> keyNames(const Document& doc, const std::string& section)
{
    std::vector<std::string> names;
    std::size_t first = 0, end = 0;
    if (doc.findSection(section, first, end))
        for (std::size_t i = first + 1; i < end; ++i) {
            const Parsed p = parseLine(doc.lines[i].text);
            if (p.kind == Kind::entry && p.hasValue && !p.name.empty() && p.name[0] != ';')
                names.push_back(p.name);
        }
    return names;
}

bool findValue(const Document& doc, const std::string& section, const char* key, std::string& value)
{
    std::size_t first = 0, end = 0, at = 0;
    if (!doc.findSection(section, first, end) || *key == '\0' || !doc.findKey(first, end, key, at))
        return false;
    Parsed p = parseLine(doc.lines[at].text);
    value = std::move(p.value);
    return p.hasValue;
}

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// Why a write is refused before the file is touched; ERROR_SUCCESS when it is not.
DWORD refusal(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName)
{
    if (section == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (fileName != nullptr && *fileName == '\0')
        return ERROR_INVALID_NAME;
    // Text the format cannot hold would change the file's structure (a value with a line break
    // can start a new section); Windows writes it anyway, here the write is refused.
    const auto hasBreak = [](const char* text) { return text != nullptr && std::strpbrk(text, "\r\n") != nullptr; };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value) ||
        (key != nullptr && (std::strchr(key, '=') != nullptr || trim(key).rfind('[', 0) == 0)))
        return ERROR_INVALID_PARAMETER;
    // Nor does a blank name, which no read would ever find again.
    if (value != nullptr && (trim(section).empty() || (key != nullptr && trim(key).empty())))
        return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

// Write through a symbolic link to the file it names, as Windows writes through to the target.
std::string writtenPath(LPCSTR fileName)
{
    std::string path = resolvePath(fileName);
    struct stat linkStat {};
    if (lstat(path.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    return path;
}

// The emulated Windows and system folders always exist under Windows; here they come into
// being with the first file written to them.
bool isEmulatedSystemFolder(const std::string& folder)
{
    return folder == wincompat::windowsFolder() || folder == wincompat::systemFolder();
}

DWORD openFolder(const std::string& folder, UniqueFd& folderFd)
{
    folderFd.reset(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd && errno == ENOENT && isEmulatedSystemFolder(folder)) {
        makeFolders(folder, 0755, 0755);
        folderFd.reset(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    if (!folderFd)
        return errno == ENOENT ? ERROR_PATH_NOT_FOUND : wincompat::errorFromErrno(errno);
    return ERROR_SUCCESS;
}

bool removeSection(Document& doc, const std::string& section)
{
    std::size_t first = 0, end = 0;
    if (!doc.findSection(section, first, end))
        return false;
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(first),
                    doc.lines.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
}

bool removeKey(Document& doc, const std::string& section, const std::string& key)
{
    std::size_t first = 0, end = 0, at = 0;
    if (!doc.findSection(section, first, end) || !doc.findKey(first, end, key, at))
        return false;
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

// After the section's last line that is not blank, so that the blank lines before the next
// section stay where they are.
void insertIntoSection(Document& doc, std::size_t first, std::size_t end, std::string entry)
{
    std::size_t insertAt = end;
    while (insertAt > first + 1 && parseLine(doc.lines[insertAt - 1].text).kind == Kind::blank)
        --insertAt;
    if (insertAt > 0 && doc.lines[insertAt - 1].eol.empty())
        doc.lines[insertAt - 1].eol = doc.eol;
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{std::move(entry), doc.eol});
}

// A new section at the end of the file, set off from what comes before by a blank line.
void appendSection(Document& doc, const std::string& section, std::string entry)
{
    if (!doc.lines.empty()) {
        if (doc.lines.back().eol.empty())
            doc.lines.back().eol = doc.eol;
        if (parseLine(doc.lines.back().text).kind != Kind::blank)
            doc.lines.push_back(Line{"", doc.eol});
    }
    doc.lines.push_back(Line{"[" + section + "]", doc.eol});
    doc.lines.push_back(Line{std::move(entry), doc.eol});
}

bool setValue(Document& doc, const std::string& section, const std::string& key, const std::string& value)
{
    std::size_t lead = 0;
    while (lead < value.size() && isBlank(value[lead]))
        ++lead;
    const std::string text = value.substr(lead);
    std::size_t first = 0, end = 0, at = 0;
    if (!doc.findSection(section, first, end)) {
        appendSection(doc, trim(section), trim(key) + "=" + text);
        return true;
    }
    if (!doc.findKey(first, end, key, at)) {
        insertIntoSection(doc, first, end, trim(key) + "=" + text);
        return true;
    }
    // The key keeps its spelling; a value that reads back the same leaves the file alone.
    const Parsed p = parseLine(doc.lines[at].text);
    if (p.hasValue && p.value == trim(text))
        return false;
    doc.lines[at].text = p.name + "=" + text;
    return true;
}

// The write's change to the document: false when it leaves the document as it was.
bool applyChange(Document& doc, LPCSTR section, LPCSTR key, LPCSTR value)
{
    if (key == nullptr)
        return removeSection(doc, section);
    if (value == nullptr)
        return removeKey(doc, section, key);
    return setValue(doc, section, key, value);
}

// Without room for a temporary file beside it, a file we may write is rewritten where it is.
DWORD save(const std::string& path, const std::string& folder, int folderFd, const Document& doc,
           const struct stat* existing)
{
    const bool folderTakesFiles = faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
    return existing != nullptr && !folderTakesFiles ? rewriteInPlace(path, doc.text())
                                                    : writeAtomically(path, folder, folderFd, doc.text(), existing);
}

std::mutex& writeMutex()
{
    static std::mutex m;
    return m;
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
        SetLastError(loaded);
        return copyList(sectionNames(doc), buffer, size);
    }
    if (key == nullptr) {
        if (const std::vector<std::string> names = keyNames(doc, section); !names.empty()) {
            SetLastError(ERROR_SUCCESS);
            return copyList(names, buffer, size);
        }
    } else if (std::string value; findValue(doc, section, key, value)) {
        SetLastError(ERROR_SUCCESS);
        return copyOut(value, true, buffer, size);
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
    if (const DWORD refused = refusal(section, key, value, fileName); refused != ERROR_SUCCESS)
        return fail(refused);
    const std::string path = writtenPath(fileName);
    const std::string folder = folderOf(path);

    std::lock_guard inProcess(writeMutex());
    UniqueFd folderFd;
    if (const DWORD rc = openFolder(folder, folderFd); rc != ERROR_SUCCESS)
        return fail(rc);
    const FolderLock lock(folderFd.get());

    Document doc;
    if (const DWORD rc = load(path, doc); rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        return fail(rc);
    struct stat existing {};
    const bool exists = doc.exists && stat(path.c_str(), &existing) == 0;
    if (exists && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return fail(wincompat::errorFromErrno(errno));
    if (applyChange(doc, section, key, value)) {
        if (const DWORD rc = save(path, folder, folderFd.get(), doc, exists ? &existing : nullptr); rc != ERROR_SUCCESS)
            return fail(rc);
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
