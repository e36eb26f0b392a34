#pragma once
// Helpers of the settings tests: child processes (the command-line companion, or this test
// program again in a helper role, possibly as another user) and snapshots of folders.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace settings_test {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    bool timedOut = false;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs argv[0] with the environment of this process plus extra; stdinText, when given, is the
// child's whole standard input, otherwise the child gets /dev/null.
ProcessResult runProcess(const std::vector<std::string>& argv, const Environment& extra = {},
                         const std::optional<std::string>& stdinText = std::nullopt, int timeoutMs = 120000);

// Starts a child without waiting; wait for it with waitProcess.
int startProcess(const std::vector<std::string>& argv, const Environment& extra);
int waitProcess(int pid, int timeoutMs = 120000);

std::filesystem::path updatectl();
std::filesystem::path selfExecutable();
// This test program where another user (nobody) can start it: itself when every folder on its way
// lets others through, else a copy in a temporary folder that does (a checkout below /root does not).
std::filesystem::path executableForOthers();

// A command prefix that runs a program as nobody (a second, ordinary user), or empty when this
// machine cannot: not root, or neither setpriv nor runuser.
std::vector<std::string> asNobody();
// Whether every folder on the way to p may be searched by other users.
bool traversableByOthers(std::filesystem::path p);
// The user this process runs as, by name.
std::string currentUser();

// A hot rollback journal built from the published journal layout: replayed over any database,
// it leaves exactly the pages of `database` behind.
std::string rollbackJournalFor(const std::string& database);

// Every file below root with its size and contents, to show that nothing changed.
std::map<std::string, std::string> snapshot(const std::filesystem::path& root);

// The helper roles this test program takes on when TALLYRUNE_SETTINGS_HELPER names one
// (see HelperMode.cpp): "write" and "read" run the settings store as the main window
// configures it; "hammer" writes many values.
constexpr const char* helperVariable = "TALLYRUNE_SETTINGS_HELPER";

} // namespace settings_test
