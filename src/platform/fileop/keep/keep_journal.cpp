#include "platform/fileop/keep/keep_journal.h"

#include "platform/base/unique_fd.h"
#include "platform/system.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace wincompat::fileop {
namespace {

constexpr char kMagic[] = "wincompat-kept-copy 1";
constexpr char kComplete[] = "complete";

// Names may hold any byte but '/' and NUL: tabs, line ends and backslashes are escaped.
std::string escaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

bool unescaped(const std::string& text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        default: return false;
        }
    }
    return true;
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == '\t')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

std::string number(long long n) { return std::to_string(n); }

std::string timeFields(const timespec& t) { return number(t.tv_sec) + '\t' + number(t.tv_nsec); }

bool readNumber(const std::string& text, long long& n, int base = 10)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    n = std::strtoll(text.c_str(), &end, base);
    return errno == 0 && *end == '\0';
}

bool readTime(const std::string& sec, const std::string& nsec, timespec& t)
{
    long long s = 0, ns = 0;
    if (!readNumber(sec, s) || !readNumber(nsec, ns) || ns < 0 || ns >= 1000000000)
        return false;
    t.tv_sec = static_cast<time_t>(s);
    t.tv_nsec = static_cast<long>(ns);
    return true;
}

bool readAttributes(const std::vector<std::string>& f, std::size_t at, FileAttributes& a)
{
    long long mode = 0;
    if (!readNumber(f[at], mode, 8) || mode < 0 || mode > 07777)
        return false;
    a.mode = static_cast<mode_t>(mode);
    return readTime(f[at + 1], f[at + 2], a.times[0]) && readTime(f[at + 3], f[at + 4], a.times[1]);
}

std::string attributeFields(const FileAttributes& a)
{
    char mode[16];
    std::snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(a.mode & 07777));
    return std::string(mode) + '\t' + timeFields(a.times[0]) + '\t' + timeFields(a.times[1]);
}

// A path the journal may name: the destination itself or below it, without "." or ".." steps that
// could lead elsewhere. A journal is only read from a folder of the user's own, but it must never
// become a way to rename files outside the folder it was written for.
bool insideDestination(const std::string& path, const std::string& destination)
{
    std::string root = destination;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    if (root.empty() || root[0] != '/')
        return false;
    if (path == root || path == root + "/")
        return true;
    if (path.compare(0, root.size() + 1, root == "/" ? root : root + "/") != 0)
        return false;
    std::size_t start = root == "/" ? 1 : root.size() + 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string step = path.substr(start, end - start);
        if (step == "." || step == "..")
            return false;
        start = end + 1;
    }
    return true;
}

bool plainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool readEntry(const std::vector<std::string>& f, const std::string& destination, const std::string& keepPath,
               JournalEntry& e)
{
    if (f.size() != 9 || f[0].size() != 1)
        return false;
    e.kind = static_cast<JournalEntry::Kind>(f[0][0]);
    if (!unescaped(f[1], e.dir) || !unescaped(f[2], e.name) || !insideDestination(e.dir, destination) ||
        !plainName(e.name))
        return false;
    if (e.kind == JournalEntry::Kind::Touched)
        return readAttributes(f, 3, e.before) && f[8].empty();
    if (e.kind != JournalEntry::Kind::Replaced && e.kind != JournalEntry::Kind::Added)
        return false;
    if (e.kind == JournalEntry::Kind::Replaced) {
        if (!unescaped(f[3], e.kept))
            return false;
        if (plainName(e.kept))
            e.kept = keepPath + "/" + e.kept;
        else if (!insideDestination(e.kept, destination))
            return false;
    }
    long long dev = 0, ino = 0, size = 0;
    if (!readNumber(f[4], dev) || !readNumber(f[5], ino) || !readNumber(f[6], size) || size < 0)
        return false;
    e.written.dev = static_cast<dev_t>(dev);
    e.written.ino = static_cast<ino_t>(ino);
    e.written.size = static_cast<std::uint64_t>(size);
    return readTime(f[7], f[8], e.written.mtime);
}

} // namespace

std::string journalHeader(const std::string& destination, long pid)
{
    return std::string(kMagic) + '\t' + escaped(destination) + '\t' + number(pid) + '\n';
}

std::string journalLine(const JournalFolder& folder)
{
    return "F\t" + escaped(folder.path) + '\t' + (folder.created ? "1" : "0") + '\t' + attributeFields(folder.before) +
           '\n';
}

std::string journalLine(const JournalEntry& e)
{
    std::string line(1, static_cast<char>(e.kind));
    line += '\t' + escaped(e.dir) + '\t' + escaped(e.name) + '\t';
    if (e.kind == JournalEntry::Kind::Touched)
        return line + attributeFields(e.before) + "\t\n";
    return line + escaped(e.kept) + '\t' + number(static_cast<long long>(e.written.dev)) + '\t' +
           number(static_cast<long long>(e.written.ino)) + '\t' +
           number(static_cast<long long>(e.written.size)) + '\t' + timeFields(e.written.mtime) + '\n';
}

std::string journalCompleteLine() { return std::string(kComplete) + '\n'; }

DWORD appendJournal(int keepFd, const std::string& lines, bool create)
{
    const int flags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT | O_EXCL : 0);
    UniqueFd fd(::openat(keepFd, kJournalName, flags, 0600));
    if (!fd)
        return errorFromErrno(errno);
    for (std::size_t done = 0; done < lines.size();) {
        const ssize_t n = ::write(fd.get(), lines.data() + done, lines.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errorFromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0 || (create && ::fsync(keepFd) != 0))
        return errorFromErrno(errno);
    return ERROR_SUCCESS;
}

DWORD readJournal(int keepFd, const std::string& keepPath, KeepJournal& journal)
{
    journal = {};
    UniqueFd fd(::openat(keepFd, kJournalName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return errorFromErrno(errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return ERROR_INVALID_DATA;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errorFromErrno(errno);
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    std::size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            break; // a line cut short by a crash was never synced as a whole: it did not happen
        const std::vector<std::string> f = fields(text.substr(start, end - start));
        start = end + 1;
        if (first) {
            long long pid = 0;
            if (f.size() != 3 || f[0] != kMagic || !unescaped(f[1], journal.destination) || !readNumber(f[2], pid))
                return ERROR_INVALID_DATA;
            journal.pid = static_cast<long>(pid);
            first = false;
            continue;
        }
        if (f.size() == 1 && f[0] == kComplete) {
            journal.complete = true;
        } else if (f.size() == 8 && f[0] == "F") {
            JournalFolder folder;
            if (!unescaped(f[1], folder.path) || !insideDestination(folder.path, journal.destination) ||
                (f[2] != "0" && f[2] != "1") || !readAttributes(f, 3, folder.before))
                return ERROR_INVALID_DATA;
            folder.created = f[2] == "1";
            journal.folders.push_back(std::move(folder));
        } else {
            JournalEntry entry;
            if (!readEntry(f, journal.destination, keepPath, entry))
                return ERROR_INVALID_DATA;
            journal.entries.push_back(std::move(entry));
        }
    }
    return first ? ERROR_INVALID_DATA : ERROR_SUCCESS;
}

} // namespace wincompat::fileop
