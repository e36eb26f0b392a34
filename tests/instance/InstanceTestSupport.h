#pragma once
// Helper processes for the single-instance tests: this test program started again in a role
// (see InstanceHelper.cpp), talked to line by line over its standard input and output.
#include "support/TempDir.h"

#include <QByteArray>
#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace instance_test {

constexpr const char* helperVariable = "TALLYRUNE_INSTANCE_HELPER";
using Environment = std::map<std::string, std::string>;

// Points XDG_RUNTIME_DIR at a fresh folder only this user can enter, for the life of the object,
// so that the test's mutexes meet no one else's; the helpers it starts inherit it.
class PrivateRuntimeDir {
public:
    PrivateRuntimeDir();
    ~PrivateRuntimeDir();
    const std::filesystem::path& path() const { return dir_.path(); }
    std::string str() const { return dir_.str(); }

private:
    TempDir dir_;
    QByteArray previous_;
};

class HelperProcess {
public:
    // Starts this program in the given role with the environment of this process plus extra.
    HelperProcess(const std::string& role, const Environment& extra = {});
    ~HelperProcess(); // kills a helper that is still running
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Waits for a line starting with prefix and returns it; empty when the helper ended or the
    // time ran out first.
    std::string waitForLine(const std::string& prefix, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    void send(const std::string& line);
    void closeInput();
    // The exit code, or -1 when it did not end in time (it is then killed), or -signal.
    int waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    void kill(int signal);
    int pid() const { return pid_; }
    // Everything the helper printed so far.
    const std::vector<std::string>& lines() const { return lines_; }
    std::string transcript() const;

private:
    bool readSome(std::chrono::milliseconds timeout);

    int pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int status_ = 0;
    bool exited_ = false;
    std::string pending_;
    std::vector<std::string> lines_;
    std::size_t consumed_ = 0;
};

// Runs one role and answers "BOX" lines: the roles of InstanceHelper.cpp print what they see.
int runHelper(const std::string& role, int argc, char** argv);

} // namespace instance_test
