#include "InstanceTestSupport.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace instance_test {

PrivateRuntimeDir::PrivateRuntimeDir() : previous_(qgetenv("XDG_RUNTIME_DIR"))
{
    chmod(dir_.path().c_str(), 0700);
    qputenv("XDG_RUNTIME_DIR", dir_.str().c_str());
}

PrivateRuntimeDir::~PrivateRuntimeDir() { qputenv("XDG_RUNTIME_DIR", previous_); }

HelperProcess::HelperProcess(const std::string& role, const Environment& extra)
{
    int inPipe[2], outPipe[2];
    if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0)
        std::abort();
    signal(SIGPIPE, SIG_IGN);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        setenv(helperVariable, role.c_str(), 1);
        for (const auto& [name, value] : extra)
            setenv(name.c_str(), value.c_str(), 1);
        execl("/proc/self/exe", "instance-helper", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    in_ = inPipe[1];
    out_ = outPipe[0];
}

HelperProcess::~HelperProcess()
{
    if (!exited_ && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
    if (in_ >= 0)
        close(in_);
    if (out_ >= 0)
        close(out_);
}

bool HelperProcess::readSome(std::chrono::milliseconds timeout)
{
    if (out_ < 0)
        return false;
    pollfd fd{out_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(timeout.count())) <= 0)
        return true;
    char buffer[4096];
    const ssize_t n = read(out_, buffer, sizeof buffer);
    if (n <= 0) {
        close(out_);
        out_ = -1;
        return false;
    }
    pending_.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t nl; (nl = pending_.find('\n')) != std::string::npos; pending_.erase(0, nl + 1))
        lines_.push_back(pending_.substr(0, nl));
    return true;
}

std::string HelperProcess::waitForLine(const std::string& prefix, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        for (; consumed_ < lines_.size(); ++consumed_) {
            if (lines_[consumed_].rfind(prefix, 0) == 0)
                return lines_[consumed_++];
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readSome(std::min(left, std::chrono::milliseconds(100))))
            return {};
    }
}

void HelperProcess::send(const std::string& line)
{
    const std::string text = line + "\n";
    [[maybe_unused]] ssize_t n = write(in_, text.data(), text.size());
}

void HelperProcess::closeInput()
{
    if (in_ >= 0)
        close(in_);
    in_ = -1;
}

int HelperProcess::waitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!exited_) {
        const pid_t done = waitpid(pid_, &status_, WNOHANG);
        if (done == pid_) {
            exited_ = true;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(SIGKILL);
            return -1;
        }
        readSome(std::chrono::milliseconds(20));
    }
    while (readSome(std::chrono::milliseconds(0)) && out_ >= 0) {
        pollfd fd{out_, POLLIN, 0};
        if (poll(&fd, 1, 0) <= 0)
            break;
    }
    if (WIFSIGNALED(status_))
        return -WTERMSIG(status_);
    return WEXITSTATUS(status_);
}

void HelperProcess::kill(int signal)
{
    if (exited_)
        return;
    ::kill(pid_, signal);
    if (signal == SIGKILL) {
        waitpid(pid_, &status_, 0);
        exited_ = true;
    }
}

std::string HelperProcess::transcript() const
{
    std::string all;
    for (const auto& line : lines_)
        all += line + "\n";
    return all;
}

} // namespace instance_test
