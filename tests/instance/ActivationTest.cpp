// Bringing the running instance forward on a real X display (Xvfb), with a window manager that
// restores and activates on request and without one, where the window is raised and focused.
#include "InstanceTestSupport.h"
#include "support/Prerequisite.h"

#include "support/TempDir.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using instance_test::HelperProcess;
using namespace std::chrono_literals;

namespace {

bool installed(const char* program)
{
    return access(program, X_OK) == 0;
}

// A child process started with fork/exec and killed at the end of the test.
class Daemon {
public:
    explicit Daemon(std::vector<std::string> argv, int keepFd = -1)
    {
        pid_ = fork();
        if (pid_ == 0) {
            std::vector<char*> args;
            for (auto& a : argv)
                args.push_back(a.data());
            args.push_back(nullptr);
            if (keepFd < 0) {
                freopen("/dev/null", "w", stdout);
                freopen("/dev/null", "w", stderr);
            }
            execv(args[0], args.data());
            _exit(127);
        }
    }
    ~Daemon()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

private:
    pid_t pid_ = -1;
};

class Activation : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_PREREQUISITE(installed("/usr/bin/Xvfb"), "Xvfb is not installed (Debian package xvfb)");
        // Xvfb picks a free display and writes its number to the descriptor it is given.
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        xvfb = std::make_unique<Daemon>(std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]),
                                                                 "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                                        fds[1]);
        close(fds[1]);
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        display = ":" + number;
    }

    bool startWindowManager()
    {
        if (!installed("/usr/bin/openbox"))
            return false;
        setenv("DISPLAY", display.c_str(), 1);
        wm = std::make_unique<Daemon>(std::vector<std::string>{"/usr/bin/openbox", "--sm-disable"});
        // Ready once it has announced itself on the root window.
        for (int i = 0; i < 100; ++i) {
            if (std::system("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'") == 0) {
                unsetenv("DISPLAY");
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        unsetenv("DISPLAY");
        return false;
    }

    std::unique_ptr<HelperProcess> start(instance_test::Environment extra = {})
    {
        extra["DISPLAY"] = display;
        extra["QT_QPA_PLATFORM"] = "xcb";
        if (extra.count("HELPER_FORM") == 0)
            extra["HELPER_FORM"] = "main";
        return std::make_unique<HelperProcess>("utility", extra);
    }

    // Minimises the first instance's window and waits until it is.
    static void minimize(HelperProcess& first)
    {
        first.send("minimize");
        ASSERT_EQ(waitForState(first, minimized), minimized);
    }

    static constexpr const char* minimized = "STATE minimized=1 active=0 visible=1";
    static constexpr const char* inactive = "STATE minimized=0 active=0 visible=1";
    static constexpr const char* active = "STATE minimized=0 active=1 visible=1";

    // Asks the helper for its main window's state until it reads expected, or the time is up.
    static std::string waitForState(HelperProcess& helper, const std::string& expected,
                                    std::chrono::milliseconds timeout = 10s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string state;
        do {
            helper.send("state");
            state = helper.waitForLine("STATE", 5s);
            if (state == expected)
                break;
            std::this_thread::sleep_for(100ms);
        } while (std::chrono::steady_clock::now() < deadline);
        return state;
    }

    instance_test::PrivateRuntimeDir runtime;
    ScopedCompatRoot root;
    std::unique_ptr<Daemon> xvfb;
    std::unique_ptr<Daemon> wm;
    std::string display;
};

} // namespace

TEST_F(Activation, ASecondStartRestoresTheMinimisedFirstThroughTheWindowManager)
{
    REQUIRE_PREREQUISITE(startWindowManager(), "no window manager to run under Xvfb (Debian package openbox)");
    auto first = start();
    ASSERT_EQ(first->waitForLine("RUNNING"), "RUNNING") << first->transcript();
    minimize(*first);

    auto second = start();
    EXPECT_EQ(second->waitForLine("BOX").substr(0, 27), "BOX caption=Update Utility|");
    EXPECT_EQ(second->waitForExit(), 0);
    EXPECT_EQ(waitForState(*first, active), active);

    // Not minimised but behind another window: the window manager is asked to activate it.
    first->send("blur");
    ASSERT_EQ(waitForState(*first, inactive), inactive);
    auto third = start();
    EXPECT_EQ(third->waitForExit(), 0);
    EXPECT_EQ(waitForState(*first, active), active);
    first->send("quit");
    EXPECT_EQ(first->waitForExit(), 0);
}

TEST_F(Activation, WithActivationSwitchedOffTheFirstStaysMinimised)
{
    REQUIRE_PREREQUISITE(startWindowManager(), "no window manager to run under Xvfb (Debian package openbox)");
    auto first = start({{"HELPER_FORM", "guard"}});
    ASSERT_EQ(first->waitForLine("RUNNING"), "RUNNING") << first->transcript();
    minimize(*first);

    auto second = start({{"HELPER_FORM", "guard"}, {"HELPER_ActivatePrevInstance", "False"}});
    EXPECT_EQ(second->waitForLine("CREATED"), "CREATED terminated=1 show=0");
    EXPECT_EQ(second->waitForExit(), 0);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(waitForState(*first, minimized, 0ms), minimized);

    // The same start with activation on brings it back: the check above would have seen it.
    auto third = start({{"HELPER_FORM", "guard"}});
    EXPECT_EQ(third->waitForExit(), 0);
    EXPECT_EQ(waitForState(*first, active), active);
    first->send("quit");
    EXPECT_EQ(first->waitForExit(), 0);
}

TEST_F(Activation, WithoutAWindowManagerTheFirstIsRaisedAndFocused)
{
    auto first = start();
    ASSERT_EQ(first->waitForLine("RUNNING"), "RUNNING") << first->transcript();
    first->send("blur");
    ASSERT_EQ(waitForState(*first, inactive), inactive);

    auto second = start();
    EXPECT_EQ(second->waitForLine("BOX").substr(0, 27), "BOX caption=Update Utility|");
    EXPECT_EQ(second->waitForExit(), 0);
    EXPECT_EQ(waitForState(*first, active), active);
    first->send("quit");
    EXPECT_EQ(first->waitForExit(), 0);
}
