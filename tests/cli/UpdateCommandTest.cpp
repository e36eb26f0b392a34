// tallyrune-updatectl update: the window's update from a terminal or a script, with its exit
// statuses, its prompts on a real pseudo-terminal and its JSON report.
#include "RunUpdatectl.h"
#include "update/UpdateProcedure.h"
#include "support/UpdateInstall.h"
#include "support/UpdatePath.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cerrno>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
    QJsonObject json() const { return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object(); }
};

std::string updatectl()
{
    return (binDir() / "tallyrune-updatectl").string();
}

// Without a terminal: standard input is closed, as under cron or a pipe.
Outcome runPiped(const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    const UpdatectlOutcome r = runUpdatectl(args, {}, {}, env);
    return {r.status, r.out, r.err};
}

// On a pseudo-terminal, typing `typed` ahead; everything the program writes comes back in `out`.
Outcome runOnTerminal(const std::vector<std::string>& args, const std::string& typed)
{
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::vector<char*> argv;
        std::string program = updatectl();
        argv.push_back(program.data());
        std::vector<std::string> copy = args;
        for (auto& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Outcome r;
    if (pid < 0)
        return r;
    if (!typed.empty())
        (void)!write(master, typed.data(), typed.size());
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0)
            r.out.append(buffer, static_cast<std::size_t>(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break; // EIO once the program has ended
    }
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class UpdateCommand : public ::testing::Test {
protected:
    ScopedCompatRoot root;
};

} // namespace

TEST_F(UpdateCommand, WithoutATerminalAndWithoutYesItRefusesBeforeChangingAnything)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    const auto before = install.installedFiles();
    Outcome r = runPiped({"update", "--program-folder", QString::fromStdString(install.programFolder())});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
    EXPECT_EQ(install.installedFiles(), before);
    EXPECT_FALSE(lastUpdateValue().has_value());
    EXPECT_FALSE(std::filesystem::exists(root.path() / "registry")) << "not even the settings were opened";
}

TEST_F(UpdateCommand, YesCopiesRecordsAndReportsEveryFieldInJson)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    Outcome r =
        runPiped({"update", "--yes", "--json", "--program-folder", QString::fromStdString(install.programFolder())});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(std::string(NotRunningQuestion) + "[y/N] y"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(UpdateNotFoundQuestion), std::string::npos) << "only the third question applies";
    EXPECT_EQ(readFile(install.program() / "readme.txt"), "new readme");

    const QJsonObject j = r.json();
    ASSERT_FALSE(j.isEmpty()) << r.out;
    EXPECT_EQ(j["outcome"].toString(), "completed");
    EXPECT_EQ(j["before"]["current"]["File Version"].toString(), "1.0.0.4");
    EXPECT_EQ(j["before"]["update"]["File Version"].toString(), "1.0.0.5");
    EXPECT_EQ(j["before"]["update"]["Product Name"].toString(), "Tallyrune");
    EXPECT_EQ(j["after"]["current"]["File Version"].toString(), "1.0.0.5") << "re-read after the copy";
    // Folders are made, not copied; every file of this update differs from the installed one or is new.
    std::uintmax_t bytes = 0;
    int files = 0;
    for (auto& e : std::filesystem::recursive_directory_iterator(install.update())) {
        if (e.is_regular_file()) {
            ++files;
            bytes += e.file_size();
        }
    }
    EXPECT_EQ(j["files_copied"].toInt(), files);
    EXPECT_EQ(j["files_unchanged"].toInt(), 0);
    EXPECT_EQ(static_cast<std::uintmax_t>(j["bytes_copied"].toDouble()), bytes);
    EXPECT_GE(j["seconds"].toDouble(), 0.0);
    EXPECT_EQ(j["copy_result"].toInt(), 0);
    EXPECT_TRUE(j["copy_message"].isString());
    EXPECT_TRUE(j["last_update_written"].toBool());
    ASSERT_TRUE(lastUpdateValue().has_value());
    EXPECT_EQ(j["last_update"].toString().toStdString(), *lastUpdateValue());
}

TEST_F(UpdateCommand, LastUpdateFollowsTheTimeLocale)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LC_ALL");
    env.insert("LANG", "C");
    env.insert("LC_TIME", "de_DE.UTF-8");
    Outcome r = runPiped({"update", "--yes", "--program-folder", QString::fromStdString(install.programFolder())}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(lastUpdateValue().has_value());
    // German short date and long time: 08.12.26 14:05:09, or the date alone at midnight.
    EXPECT_TRUE(QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d\\d( \\d\\d:\\d\\d:\\d\\d)?$")
                    .match(QString::fromStdString(*lastUpdateValue()))
                    .hasMatch())
        << *lastUpdateValue();
}

TEST_F(UpdateCommand, TerminalPromptsInTheWindowsOrderAndNoStopsWithStatus3)
{
    {
        UpdateInstall install(std::nullopt, std::nullopt);
        const auto before = install.installedFiles();
        Outcome r = runOnTerminal({"update", "--program-folder", install.programFolder()}, "y\ny\nn\n");
        EXPECT_EQ(r.status, 3) << r.out;
        const auto q1 = r.out.find(std::string(UpdateNotFoundQuestion) + " [y/N] ");
        const auto q2 = r.out.find(std::string(SameVersionQuestion) + "[y/N] ");
        const auto q3 = r.out.find(std::string(NotRunningQuestion) + "[y/N] ");
        ASSERT_NE(q1, std::string::npos) << r.out;
        ASSERT_NE(q2, std::string::npos) << r.out;
        ASSERT_NE(q3, std::string::npos) << r.out;
        EXPECT_LT(q1, q2);
        EXPECT_LT(q2, q3);
        EXPECT_EQ(install.installedFiles(), before);
        EXPECT_FALSE(lastUpdateValue().has_value());
    }
    {
        UpdateInstall install("1.0.0.4", "1.0.0.4");
        Outcome r = runOnTerminal({"update", "--program-folder", install.programFolder()}, "n\n");
        EXPECT_EQ(r.status, 3) << r.out;
        EXPECT_NE(r.out.find(SameVersionQuestion), std::string::npos);
        EXPECT_EQ(r.out.find(NotRunningQuestion), std::string::npos) << "No at the second question stops";
    }
    {
        UpdateInstall install("1.0.0.4", "1.0.0.5");
        Outcome r = runOnTerminal({"update", "--program-folder", install.programFolder()}, "y\n");
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find(UpdateCompletedNotice), std::string::npos);
        EXPECT_EQ(readFile(install.program() / "readme.txt"), "new readme");
        EXPECT_TRUE(lastUpdateValue().has_value());
    }
}

TEST_F(UpdateCommand, FailedCopyGivesStatus1AndNoRecord)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    ASSERT_EQ(mkfifo((install.update() / "pipe").c_str(), 0644), 0);
    const auto before = install.installedFiles();
    Outcome r =
        runPiped({"update", "--yes", "--json", "--program-folder", QString::fromStdString(install.programFolder())});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(UpdateIncompletePrefix), std::string::npos) << r.err;
    const QJsonObject j = r.json();
    EXPECT_EQ(j["outcome"].toString(), "copy-failed");
    EXPECT_NE(j["copy_result"].toInt(), 0);
    EXPECT_FALSE(j["copy_message"].toString().isEmpty());
    EXPECT_FALSE(j["last_update_written"].toBool());
    EXPECT_TRUE(j["last_update"].isNull());
    EXPECT_EQ(j["after"]["current"]["File Version"].toString(), "1.0.0.4");
    EXPECT_EQ(install.installedFiles(), before);
    EXPECT_FALSE(lastUpdateValue().has_value());
}

TEST_F(UpdateCommand, RefusedRecordGivesStatus1WithTheMessage)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    std::filesystem::create_directories(root.path() / "registry" / "HKLM.db");
    Outcome r =
        runPiped({"update", "--yes", "--json", "--program-folder", QString::fromStdString(install.programFolder())});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Failed to create key Update"), std::string::npos) << r.err;
    const QJsonObject j = r.json();
    EXPECT_EQ(j["outcome"].toString(), "record-failed");
    EXPECT_TRUE(j["copied"].toBool());
    EXPECT_FALSE(j["last_update_written"].toBool());
}

TEST_F(UpdateCommand, UpdatePathThatWouldCopyElsewhereIsRefusedWithStatus1)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    const auto elsewhere = install.base() / "elsewhere";
    setUpdatePath(install.update().string() + "=" + elsewhere.string());
    const auto before = install.installedFiles();
    Outcome r = runPiped({"update", "--yes", "--program-folder", QString::fromStdString(install.programFolder())});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("contains \"=\""), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(NotRunningQuestion), std::string::npos) << "refused before the first question";
    EXPECT_FALSE(std::filesystem::exists(elsewhere));
    EXPECT_EQ(install.installedFiles(), before);
}

TEST_F(UpdateCommand, UsageErrorsGiveStatus2)
{
    EXPECT_EQ(runPiped({"update", "--frobnicate"}).status, 2);
    EXPECT_EQ(runPiped({"update", "--program-folder"}).status, 2);
    EXPECT_EQ(runPiped({"update", "--program-folder="}).status, 2);
    Outcome help = runPiped({"update", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
}
