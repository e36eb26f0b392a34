#include "SettingsTestSupport.h"

#include "support/TempDir.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace settings_test {
namespace {

std::vector<std::string> mergedEnvironment(const Environment& extra)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto& [k, v] : extra)
            replaced = replaced || k == name;
        if (!replaced)
            env.push_back(entry);
    }
    for (const auto& [k, v] : extra)
        env.push_back(k + "=" + v);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> p;
    for (auto& s : strings)
        p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

// Everything is prepared before fork: the child only duplicates descriptors and execs.
int spawn(std::vector<std::string> argv, const Environment& extra, int in, int out, int err)
{
    std::vector<std::string> env = mergedEnvironment(extra);
    auto argp = pointers(argv);
    auto envp = pointers(env);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    return pid;
}

} // namespace

int waitProcess(int pid, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (true) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (r < 0)
            return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int startProcess(const std::vector<std::string>& argv, const Environment& extra)
{
    const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    const int pid = spawn(argv, extra, devNull, devNull, devNull);
    close(devNull);
    return pid;
}

ProcessResult runProcess(const std::vector<std::string>& argv, const Environment& extra,
                         const std::optional<std::string>& stdinText, int timeoutMs)
{
    int outPipe[2], errPipe[2], inPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0 || pipe2(inPipe, O_CLOEXEC) != 0)
        return {};
    int in = inPipe[0];
    int devNull = -1;
    if (!stdinText) {
        devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
        in = devNull;
    }
    const int pid = spawn(argv, extra, in, outPipe[1], errPipe[1]);
    close(outPipe[1]);
    close(errPipe[1]);
    close(inPipe[0]);
    if (devNull >= 0)
        close(devNull);
    if (stdinText && !stdinText->empty()) {
        signal(SIGPIPE, SIG_IGN);
        [[maybe_unused]] ssize_t n = write(inPipe[1], stdinText->data(), stdinText->size());
    }
    close(inPipe[1]);

    ProcessResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int remaining = 2;
    while (remaining > 0 && std::chrono::steady_clock::now() < deadline) {
        if (poll(fds, 2, 100) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --remaining;
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0)
            close(f.fd);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    result.exitCode = waitProcess(pid, static_cast<int>(std::max<long long>(left.count(), 1000)));
    result.timedOut = result.exitCode == -2;
    return result;
}

std::filesystem::path updatectl()
{
    return binDir() / "tallyrune-updatectl";
}

std::filesystem::path selfExecutable()
{
    return std::filesystem::read_symlink("/proc/self/exe");
}

std::filesystem::path executableForOthers()
{
    const std::filesystem::path self = selfExecutable();
    if (traversableByOthers(self))
        return self;
    static TempDir folder;
    const std::filesystem::path copy = folder / self.filename();
    if (!std::filesystem::exists(copy)) {
        chmod(folder.path().c_str(), 0755);
        std::filesystem::copy_file(self, copy);
        chmod(copy.c_str(), 0755);
    }
    return copy;
}

std::vector<std::string> asNobody()
{
    if (geteuid() != 0)
        return {};
    if (access("/usr/bin/setpriv", X_OK) == 0)
        return {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"};
    if (access("/usr/sbin/runuser", X_OK) == 0)
        return {"/usr/sbin/runuser", "-u", "nobody", "--"};
    return {};
}

bool traversableByOthers(std::filesystem::path p)
{
    for (; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        struct stat st {};
        if (stat(p.c_str(), &st) != 0 || !(st.st_mode & S_IXOTH))
            return false;
    }
    return true;
}

std::string currentUser()
{
    const passwd* pw = getpwuid(geteuid());
    return pw != nullptr ? pw->pw_name : "uid-" + std::to_string(geteuid());
}

std::string rollbackJournalFor(const std::string& database)
{
    const auto put32 = [](std::string& out, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((v >> shift) & 0xff);
    };
    const std::uint32_t stored = static_cast<std::uint8_t>(database[16]) << 8 | static_cast<std::uint8_t>(database[17]);
    const std::uint32_t pageSize = stored == 1 ? 65536 : stored;
    const auto pages = static_cast<std::uint32_t>(database.size() / pageSize);
    constexpr std::uint32_t nonce = 0x5eed1234, sectorSize = 512;
    std::string journal = std::string("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
    put32(journal, pages);      // records that follow
    put32(journal, nonce);      // checksum seed
    put32(journal, pages);      // the database's size to restore, in pages
    put32(journal, sectorSize); // the header fills one sector
    put32(journal, pageSize);
    journal.resize(sectorSize, '\0');
    for (std::uint32_t page = 1; page <= pages; ++page) {
        const std::string data = database.substr(std::size_t{page - 1} * pageSize, pageSize);
        std::uint32_t checksum = nonce;
        for (std::uint32_t at = pageSize - 200; at > 0 && at < pageSize; at -= 200)
            checksum += static_cast<std::uint8_t>(data[at]);
        put32(journal, page);
        journal += data;
        put32(journal, checksum);
    }
    return journal;
}

std::map<std::string, std::string> snapshot(const std::filesystem::path& root)
{
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string relative = std::filesystem::relative(it->path(), root).string();
        files[relative] = it->is_regular_file() ? readFile(it->path()) : std::string("<dir>");
    }
    return files;
}

} // namespace settings_test
