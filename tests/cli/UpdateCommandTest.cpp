// tallyrune-updatectl update: the window's update from a terminal or a script, with its exit
// statuses, its prompts on a real pseudo-terminal and its JSON report.
#include "RunUpdatectl.h"
#include "update/UpdateLock.h"
#include "update/UpdateProcedure.h"
#include "support/Prerequisite.h"
#include "support/UpdateInstall.h"
#include "support/UpdatePath.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cerrno>
#include <cstdlib>
#include <functional>
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
    int replaced = 0, added = 0;
    for (auto& e : std::filesystem::recursive_directory_iterator(install.update()))
        if (e.is_regular_file())
            ++(std::filesystem::exists(install.program() / std::filesystem::relative(e.path(), install.update()))
                   ? replaced
                   : added);
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
    EXPECT_GT(files, 0);
    EXPECT_FALSE(j.contains("files_copied"));
    EXPECT_EQ(j["files_replaced"].toInt(), replaced);
    EXPECT_EQ(j["files_added"].toInt(), added);
    EXPECT_EQ(j["files_unchanged"].toInt(), 0);
    EXPECT_EQ(static_cast<std::uintmax_t>(j["bytes_copied"].toDouble()), bytes);
    EXPECT_GE(j["seconds"].toDouble(), 0.0);
    EXPECT_EQ(j["copy_result"].toInt(), 0);
    EXPECT_TRUE(j["copy_message"].isString());
    EXPECT_TRUE(j["last_update_written"].toBool());
    ASSERT_TRUE(lastUpdateValue().has_value());
    EXPECT_EQ(j["last_update"].toString().toStdString(), *lastUpdateValue());
    // Today, local time with its offset from UTC.
    const QString iso = j["last_update_iso"].toString();
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$").match(iso).hasMatch())
        << iso.toStdString();
    EXPECT_TRUE(iso.startsWith(QDate::currentDate().toString("yyyy-MM-dd")) ||
                iso.startsWith(QDate::currentDate().addDays(-1).toString("yyyy-MM-dd")))
        << iso.toStdString();
    const QDateTime recorded = QDateTime::fromString(iso, Qt::ISODate);
    ASSERT_TRUE(recorded.isValid()) << iso.toStdString();
    EXPECT_LE(std::abs(recorded.secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_TRUE(j["failed_path"].isNull());
    EXPECT_TRUE(j["error"].isNull());
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
    const std::string pipe = (install.update() / "pipe").string();
    EXPECT_NE(r.err.find("The update did not complete: " + pipe + ": "), std::string::npos) << r.err;
    const QJsonObject j = r.json();
    EXPECT_EQ(j["outcome"].toString(), "copy-failed");
    EXPECT_EQ(j["failed_path"].toString().toStdString(), pipe);
    EXPECT_TRUE(j["error"].toString().startsWith("The update did not complete: ")) << r.out;
    EXPECT_TRUE(j["last_update_iso"].isNull());
    EXPECT_NE(j["copy_result"].toInt(), 0);
    EXPECT_FALSE(j["copy_message"].toString().isEmpty());
    EXPECT_FALSE(j["last_update_written"].toBool());
    EXPECT_TRUE(j["last_update"].isNull());
    EXPECT_EQ(j["after"]["current"]["File Version"].toString(), "1.0.0.4");
    EXPECT_EQ(install.installedFiles(), before);
    EXPECT_FALSE(lastUpdateValue().has_value());
}

TEST_F(UpdateCommand, RefusedRecordAfterTheCopyGivesStatus5WithTheMessage)
{
    // An ordinary user reads the machine hive but may not write it; root could write anything.
    REQUIRE_PREREQUISITE(geteuid() == 0 && std::filesystem::exists("/usr/bin/setpriv"),
                         "needs root and setpriv to run the update as nobody");
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    setUpdatePath(install.update().string()); // the hive exists, as root's
    ASSERT_EQ(chmod(root.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(install.base().c_str(), 0755), 0);
    ASSERT_EQ(chown(install.program().c_str(), 65534, 65534), 0);
    for (const auto& e : std::filesystem::recursive_directory_iterator(install.program()))
        ASSERT_EQ(lchown(e.path().c_str(), 65534, 65534), 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("XDG_RUNTIME_DIR"); // root's, which nobody cannot use
    const UpdatectlOutcome r = runUpdatectl({"--reuid=65534", "--regid=65534", "--clear-groups", "--",
                                             QString::fromStdString(updatectl()), "update", "--yes", "--json",
                                             "--program-folder", QString::fromStdString(install.programFolder())},
                                            "/usr/bin/setpriv", {}, env);
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_NE(r.err.find("Failed to create key Update"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(install.program() / "readme.txt"), "new readme") << "the copy went through";
    const QJsonObject j = Outcome{r.status, r.out, r.err}.json();
    EXPECT_EQ(j["outcome"].toString(), "record-failed");
    EXPECT_TRUE(j["copied"].toBool());
    EXPECT_FALSE(j["last_update_written"].toBool());
    EXPECT_TRUE(j["last_update_iso"].isNull());
    EXPECT_NE(j["error"].toString().toStdString().find("Failed to create key Update"), std::string::npos) << r.out;
    EXPECT_FALSE(lastUpdateValue().has_value());
}

TEST_F(UpdateCommand, SettingsThatCannotBeReadStopBeforeAnyQuestionAndJsonStillReports)
{
    struct Row {
        const char* name;
        std::function<void(const std::filesystem::path&)> breakHive;
    } rows[] = {
        {"garbage", [](const std::filesystem::path& hive) { writeFile(hive, std::string(4096, 'x')); }},
        {"a folder", [](const std::filesystem::path& hive) { std::filesystem::create_directories(hive); }},
    };
    for (const Row& row : rows) {
        UpdateInstall install("1.0.0.4", "1.0.0.5");
        std::filesystem::remove_all(root.path() / "registry");
        row.breakHive(root.path() / "registry" / "HKLM.db");
        const auto before = install.installedFiles();
        Outcome r = runPiped(
            {"update", "--yes", "--json", "--program-folder", QString::fromStdString(install.programFolder())});
        EXPECT_EQ(r.status, 1) << row.name;
        EXPECT_EQ(r.err, "tallyrune-updatectl update: Failed to read 'Update Path': The configuration registry "
                         "database is corrupt.\n")
            << row.name;
        EXPECT_EQ(install.installedFiles(), before) << row.name << ": nothing from the default folder";
        const QJsonObject j = r.json();
        EXPECT_EQ(j["outcome"].toString(), "settings-unreadable") << row.name;
        EXPECT_EQ(j["program_folder"].toString().toStdString(), install.programFolder()) << row.name;
        EXPECT_EQ(j["error"].toString(),
                  "Failed to read 'Update Path': The configuration registry database is corrupt.")
            << row.name;
        for (const char* key : {"before", "after", "last_update", "last_update_iso", "failed_path"})
            EXPECT_TRUE(j[key].isNull()) << row.name << ": " << key;
        EXPECT_FALSE(j["copied"].toBool()) << row.name;
        EXPECT_EQ(j["files_replaced"].toInt(-1), 0) << row.name;
    }
}

TEST_F(UpdateCommand, ARelativeUpdatePathIsTakenBelowTheProgramFolderNotTheCurrentOne)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    std::filesystem::rename(install.update(), install.program() / "Newer");
    // The same name below the current folder holds something else.
    writeFile(install.base() / "Newer" / "readme.txt", "wrong readme");
    setUpdatePath("Newer");
    const UpdatectlOutcome r =
        runUpdatectl({"update", "--yes", "--json", "--program-folder", QString::fromStdString(install.programFolder())},
                     {}, QString::fromStdString(install.base().string()));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(install.program() / "readme.txt"), "new readme");
    const QJsonObject j = Outcome{r.status, r.out, r.err}.json();
    EXPECT_EQ(j["before"]["update"]["File Version"].toString(), "1.0.0.5");
}

TEST_F(UpdateCommand, FoldersThatAreOrHoldTheProgramFolderAreRefusedWithStatus2)
{
    struct Row {
        const char* name;
        std::string value; // filled in below where it depends on the install
        const char* why;
    } rows[] = {
        {"program folder with \".\"", "", "it is the program folder"},
        {"program folder through a link", "", "it is the program folder"},
        {"parent of the program folder", "", "it contains the program folder"},
        {"root", "/", "it is the root of the file system"},
        {"root with \".\"", "/.", "it is the root of the file system"},
    };
    for (Row& row : rows) {
        UpdateInstall install("1.0.0.4", "1.0.0.5");
        const std::string name = row.name;
        if (name == "program folder with \".\"")
            row.value = install.program().string() + "/.";
        if (name == "program folder through a link") {
            std::filesystem::create_directory_symlink(install.program(), install.base() / "till");
            row.value = (install.base() / "till").string();
        }
        if (name == "parent of the program folder")
            row.value = install.base().string();
        setUpdatePath(row.value);
        const auto before = install.installedFiles();
        Outcome r = runPiped(
            {"update", "--yes", "--json", "--program-folder", QString::fromStdString(install.programFolder())});
        EXPECT_EQ(r.status, 2) << row.name;
        const std::string message = "The update folder \"" + row.value + "\" cannot be used: " + row.why + ".";
        EXPECT_EQ(r.err, "tallyrune-updatectl update: " + message + "\n") << row.name << ": no question asked";
        EXPECT_EQ(install.installedFiles(), before) << row.name;
        const QJsonObject j = r.json();
        EXPECT_EQ(j["outcome"].toString(), "refused") << row.name;
        EXPECT_EQ(j["error"].toString().toStdString(), message) << row.name;
        EXPECT_FALSE(j["copied"].toBool()) << row.name;
    }
}

TEST_F(UpdateCommand, AnotherUpdateOfTheSameFolderGivesStatus4)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    const auto before = install.installedFiles();
    // Held under another spelling of the same folder.
    const UpdateLock held(install.program().string() + "/../POS");
    ASSERT_TRUE(held.Held());
    Outcome r =
        runPiped({"update", "--yes", "--json", "--program-folder", QString::fromStdString(install.programFolder())});
    EXPECT_EQ(r.status, 4);
    const std::string message = "Another update of " + install.programFolder() + " is running.";
    EXPECT_EQ(r.err, "tallyrune-updatectl update: " + message + "\n");
    EXPECT_EQ(install.installedFiles(), before);
    const QJsonObject j = r.json();
    EXPECT_EQ(j["outcome"].toString(), "busy");
    EXPECT_EQ(j["error"].toString().toStdString(), message);
    EXPECT_TRUE(j["before"].isNull());

    // Another folder is not held.
    UpdateInstall other("1.0.0.4", "1.0.0.5");
    EXPECT_EQ(runPiped({"update", "--yes", "--program-folder", QString::fromStdString(other.programFolder())}).status,
              0);
}

TEST_F(UpdateCommand, IfNeededUpdatesOnlyADifferentUpdateWithoutPrompting)
{
    struct Row {
        const char* name;
        std::optional<std::string> update;
        int status;
        std::string answered; // the last question put, with its answer
    } rows[] = {
        {"no update", std::nullopt, 3, "Update Not Found. Do you want to update anyway? [y/N] n\n"},
        {"same version", "1.0.0.4", 3,
         "Program update might not be necessary. Are you sure you want to continue? [y/N] n\n"},
        {"newer", "1.0.0.5", 0,
         "Please ensure that Tallyrune is not runnning. Are you sure you want to continue? [y/N] y\n"},
    };
    for (const Row& row : rows) {
        UpdateInstall install("1.0.0.4", row.update);
        const auto before = install.installedFiles();
        Outcome r = runPiped({"update", "--if-needed", "--program-folder",
                              QString::fromStdString(install.programFolder())});
        EXPECT_EQ(r.status, row.status) << row.name << r.err;
        EXPECT_NE(r.err.find(row.answered), std::string::npos) << row.name << r.err;
        if (row.status == 3) {
            EXPECT_EQ(install.installedFiles(), before) << row.name;
            EXPECT_FALSE(lastUpdateValue().has_value()) << row.name;
        } else {
            EXPECT_EQ(readFile(install.program() / "readme.txt"), "new readme") << row.name;
            EXPECT_TRUE(lastUpdateValue().has_value()) << row.name;
        }
    }
    EXPECT_EQ(runPiped({"update", "--if-needed", "--yes"}).status, 2) << "one way of answering";
}

TEST_F(UpdateCommand, UpdatePathThatWouldCopyElsewhereIsRefusedWithStatus2)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    const auto elsewhere = install.base() / "elsewhere";
    setUpdatePath(install.update().string() + "=" + elsewhere.string());
    const auto before = install.installedFiles();
    Outcome r = runPiped({"update", "--yes", "--program-folder", QString::fromStdString(install.programFolder())});
    EXPECT_EQ(r.status, 2);
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

TEST_F(UpdateCommand, RollbackPutsBackTheFilesAndLastUpdateOnceOnly)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    const auto before = install.installedFiles();
    const QString folder = QString::fromStdString(install.programFolder());
    ASSERT_EQ(runPiped({"update", "--yes", "--program-folder", folder}).status, 0);
    ASSERT_TRUE(lastUpdateValue().has_value());

    Outcome r = runPiped({"rollback", "--yes", "--json", "--program-folder", folder});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.json()["outcome"].toString(), "rolled-back");
    EXPECT_GT(r.json()["files_restored"].toInt(), 0);
    EXPECT_EQ(install.installedFiles(), before);
    EXPECT_FALSE(lastUpdateValue().has_value()) << "there was none before the update";

    r = runPiped({"rollback", "--yes", "--program-folder", folder});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("There is no update of " + install.programFolder() + " to take back."), std::string::npos)
        << r.err;
}

// A completed update whose record of completion never reached the disk (killed just before it) is
// an unfinished one: the next command takes it back before anything else and says so.
TEST_F(UpdateCommand, AnUnfinishedUpdateIsTakenBackFirstAndSaidSo)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    const auto before = install.installedFiles();
    const QString folder = QString::fromStdString(install.programFolder());
    ASSERT_EQ(runPiped({"update", "--yes", "--program-folder", folder}).status, 0);
    const auto kept = install.program() / ".update-rollback";
    std::filesystem::rename(kept / "previous", kept / "pending");
    std::string journal = readFile(kept / "pending" / "journal");
    ASSERT_TRUE(journal.ends_with("complete\n"));
    writeFile(kept / "pending" / "journal", journal.substr(0, journal.size() - 9));

    const Outcome r = runPiped({"rollback", "--yes", "--program-folder", folder});
    EXPECT_NE(r.err.find("An unfinished update of " + install.programFolder() +
                         " was found and taken back: the program files are as they were before it."),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.status, 2) << "and then there is no completed update left to take back";
    EXPECT_EQ(install.installedFiles(), before);
    EXPECT_FALSE(std::filesystem::exists(kept));
}
