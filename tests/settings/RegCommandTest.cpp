// tallyrune-updatectl reg: the exact text of its answers, run as a real process on a private root.
#include "SettingsTestSupport.h"
#include "support/Prerequisite.h"

#include "platform/registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using settings_test::ProcessResult;
using settings_test::runProcess;

namespace {

class RegCommand : public ::testing::Test {
protected:
    ScopedCompatRoot root;

    ProcessResult reg(std::vector<std::string> args, const std::optional<std::string>& input = std::nullopt)
    {
        std::vector<std::string> argv = {settings_test::updatectl().string(), "reg"};
        argv.insert(argv.end(), args.begin(), args.end());
        return runProcess(argv, {{"WINCOMPAT_ROOT", root.path().string()}}, input);
    }
    void SetUp() override
    {
        REQUIRE_PREREQUISITE(std::filesystem::exists(settings_test::updatectl()),
                             "tallyrune-updatectl is not built in " << settings_test::updatectl());
    }
};

const std::string ok = "The operation completed successfully.\n";
const std::string notFound = "ERROR: The system was unable to find the specified registry key or value.\n";

} // namespace

TEST_F(RegCommand, AddThenQueryShowsEveryTypeAsWindowsDoes)
{
    const std::string key = "HKLM\\Software\\Harrowmere\\Tallyrune";
    EXPECT_EQ(reg({"add", key + "\\Application", "/v", "Update Path", "/d", "/srv/update"}).out, ok);
    EXPECT_EQ(reg({"add", key + "\\Application", "/v", "Count", "/t", "REG_DWORD", "/d", "291"}).out, ok);
    EXPECT_EQ(reg({"add", key + "\\Application", "/v", "Big", "/t", "reg_qword", "/d", "0x1122334455"}).out, ok);
    EXPECT_EQ(reg({"add", key + "\\Application", "/v", "Blob", "/t", "REG_BINARY", "/d", "00ff1A"}).out, ok);
    EXPECT_EQ(reg({"add", key + "\\Application", "/v", "List", "/t", "REG_MULTI_SZ", "/d", "a\\0b"}).out, ok);
    EXPECT_EQ(reg({"add", key + "\\Application", "/v", "Env", "/t", "REG_EXPAND_SZ", "/d", "%HOME%"}).out, ok);
    EXPECT_EQ(reg({"add", key + "\\Application", "/v", "Empty", "/d", ""}).out, ok);
    EXPECT_EQ(reg({"add", key + "\\Application", "/ve", "/d", "default text"}).out, ok);
    EXPECT_EQ(reg({"add", key + "\\Application\\Sub"}).out, ok);

    const ProcessResult all = reg({"query", "hklm\\software\\harrowmere\\tallyrune\\application"});
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(all.out, "\n"
                       "HKEY_LOCAL_MACHINE\\software\\harrowmere\\tallyrune\\application\n"
                       "    Update Path    REG_SZ    /srv/update\n"
                       "    Count    REG_DWORD    0x123\n"
                       "    Big    REG_QWORD    0x1122334455\n"
                       "    Blob    REG_BINARY    00FF1A\n"
                       "    List    REG_MULTI_SZ    a\\0b\n"
                       "    Env    REG_EXPAND_SZ    %HOME%\n"
                       "    Empty    REG_SZ    \n"
                       "    (Default)    REG_SZ    default text\n"
                       "\n"
                       "HKEY_LOCAL_MACHINE\\software\\harrowmere\\tallyrune\\application\\Sub\n");

    EXPECT_EQ(reg({"query", key}).out, "\nHKEY_LOCAL_MACHINE\\Software\\Harrowmere\\Tallyrune\\Application\n");
    EXPECT_EQ(reg({"query", key + "\\Application", "/v", "count"}).out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Harrowmere\\Tallyrune\\Application\n"
              "    count    REG_DWORD    0x123\n\n");
    EXPECT_EQ(reg({"query", key + "\\Application\\Sub", "/ve"}).out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Harrowmere\\Tallyrune\\Application\\Sub\n"
              "    (Default)    REG_SZ    (value not set)\n\n");
    EXPECT_EQ(reg({"query", key, "/s"}).out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Harrowmere\\Tallyrune\\Application\n"
              "    Update Path    REG_SZ    /srv/update\n"
              "    Count    REG_DWORD    0x123\n"
              "    Big    REG_QWORD    0x1122334455\n"
              "    Blob    REG_BINARY    00FF1A\n"
              "    List    REG_MULTI_SZ    a\\0b\n"
              "    Env    REG_EXPAND_SZ    %HOME%\n"
              "    Empty    REG_SZ    \n"
              "    (Default)    REG_SZ    default text\n"
              "\n"
              "HKEY_LOCAL_MACHINE\\Software\\Harrowmere\\Tallyrune\\Application\\Sub\n\n");
}

TEST_F(RegCommand, MissingKeysAndValuesAreErrors)
{
    ProcessResult r = reg({"query", "HKLM\\Software\\Nothing"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, notFound);
    EXPECT_TRUE(settings_test::snapshot(root.path()).empty());
    reg({"add", "HKCU\\Software\\T", "/v", "a", "/d", "1"});
    r = reg({"query", "HKEY_CURRENT_USER\\Software\\T", "/v", "b"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, notFound);
    r = reg({"delete", "HKCU\\Software\\T", "/v", "b", "/f"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, notFound);
    r = reg({"delete", "HKCU\\Software\\Gone", "/f"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, notFound);

    writeFile(root.path() / "registry" / "HKLM.db", std::string(4096, '\x01'));
    r = reg({"query", "HKLM\\Software"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "ERROR: The configuration registry database is corrupt.\n");
    r = reg({"add", "HKLM\\Software\\X", "/f"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readFile(root.path() / "registry" / "HKLM.db"), std::string(4096, '\x01'));
}

TEST_F(RegCommand, OverwriteAndDeleteAskUnlessForced)
{
    const std::string key = "HKCU\\Software\\T";
    EXPECT_EQ(reg({"add", key, "/v", "a", "/d", "1"}).out, ok);
    // No one to answer (a script, cron): nothing changes, and the command fails rather than
    // reporting a change that did not happen as done.
    const std::string unanswered =
        "ERROR: No answer could be read. Nothing was changed; add /f to go ahead without asking.\n";
    ProcessResult r = reg({"add", key, "/v", "a", "/d", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Value a exists, overwrite(Yes/No)? \n");
    EXPECT_EQ(r.err, unanswered);
    r = reg({"add", key, "/v", "a", "/d", "2"}, std::string("no\n"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Value a exists, overwrite(Yes/No)? The operation was canceled by the user.\n");
    EXPECT_EQ(reg({"query", key, "/v", "a"}).out, "\nHKEY_CURRENT_USER\\Software\\T\n    a    REG_SZ    1\n\n");
    r = reg({"add", key, "/v", "a", "/d", "3"}, std::string("maybe\nyes\n"));
    EXPECT_EQ(r.out, "Value a exists, overwrite(Yes/No)? Value a exists, overwrite(Yes/No)? " + ok);
    EXPECT_EQ(reg({"query", key, "/v", "a"}).out, "\nHKEY_CURRENT_USER\\Software\\T\n    a    REG_SZ    3\n\n");
    EXPECT_EQ(reg({"add", key, "/v", "a", "/d", "4", "/f"}).out, ok);

    r = reg({"delete", key, "/v", "a"}, std::string("n\n"));
    EXPECT_EQ(r.out, "Delete the registry value a (Yes/No)? The operation was canceled by the user.\n");
    r = reg({"delete", key, "/v", "a"}, std::string("Y\n"));
    EXPECT_EQ(r.out, "Delete the registry value a (Yes/No)? " + ok);
    EXPECT_EQ(reg({"query", key, "/v", "a"}).exitCode, 1);

    reg({"add", key + "\\Sub", "/v", "x", "/d", "1"});
    reg({"add", key, "/v", "y", "/d", "1"});
    r = reg({"delete", key, "/va", "/f"});
    EXPECT_EQ(r.out, ok);
    EXPECT_EQ(reg({"query", key}).out, "\nHKEY_CURRENT_USER\\Software\\T\\Sub\n");
    r = reg({"delete", key});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Permanently delete the registry key HKEY_CURRENT_USER\\Software\\T (Yes/No)? \n");
    EXPECT_EQ(r.err, unanswered);
    EXPECT_EQ(reg({"delete", key, "/f"}).out, ok);
    EXPECT_EQ(reg({"query", key}).exitCode, 1);
}

TEST_F(RegCommand, UsageErrorsExitWithTwo)
{
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"frobnicate"},
        {"query"},
        {"query", "HKLM\\Software", "/v"},
        {"query", "HKLM\\Software", "/v", "a", "/ve"},
        {"add", "HKLM\\Software\\T", "/t", "REG_DWORD"},
        {"add", "HKLM\\Software\\T", "/t", "REG_DWORD_BIG_ENDIAN"},
        {"add", "HKLM\\Software\\T", "/t", "REG_QWORD"},
        {"add", "HKLM\\Software\\T", "/t", "REG_WHATEVER", "/d", "1"},
        {"delete", "HKLM\\Software\\T", "/va", "/ve"},
    };
    for (const auto& args : wrong) {
        const ProcessResult r = reg(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(r.err.rfind("ERROR: Invalid syntax.\nType \"tallyrune-updatectl reg ", 0), 0u) << r.err;
    }
    ProcessResult r = reg({"query", "HKXX\\Software"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "ERROR: Invalid key name.\nType \"tallyrune-updatectl reg query /?\" for usage.\n");
    r = reg({"add", "HKLM\\Software\\T", "/v", "n", "/t", "REG_DWORD", "/d", "twelve"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.rfind("ERROR: Invalid syntax. Specify valid numeric value.\n", 0), 0u);
    EXPECT_EQ(reg({"add", "/?"}).exitCode, 0);
    EXPECT_TRUE(settings_test::snapshot(root.path()).empty());
}
