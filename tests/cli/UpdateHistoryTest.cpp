// The update history: records through the file and back, files that must not be trusted, and
// appends from several writers at once.
#include "update/UpdateHistory.h"
#include "support/Prerequisite.h"
#include "support/TempDir.h"

#include <QRegularExpression>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
UpdateRecord sampleRecord()
{
    UpdateRecord r;
    r.Action = "update";
    r.Time = "2026-12-09T10:31:05+01:00";
    r.User = "till";
    r.ProgramFolder = "/opt/till/";
    r.UpdateFolder = "/srv/\"new\"";
    r.VersionBefore = "1.4.2.310";
    r.VersionAfter = "1.6.0.0";
    r.Outcome = "copy-failed";
    r.FilesReplaced = 12;
    r.FilesUnchanged = 3;
    r.FilesAdded = 1;
    r.Bytes = 5000000000;
    r.Seconds = 2.5;
    r.FirstError = "/opt/till/a\\b.dll: Access is denied.\n";
    return r;
}

void expectSame(const UpdateRecord& a, const UpdateRecord& b)
{
    EXPECT_EQ(UpdateRecordJson(a), UpdateRecordJson(b));
}

class UpdateHistory : public ::testing::Test {
protected:
    fs::path folder() const { return root.path() / "history"; }
    fs::path file() const { return folder() / "updates.jsonl"; }

    ScopedCompatRoot root;
};
} // namespace

TEST_F(UpdateHistory, ARecordGoesThroughTheFileAndBack)
{
    EXPECT_FALSE(fs::exists(folder()));
    EXPECT_TRUE(ReadUpdateHistory("").empty());

    const mode_t oldMask = umask(077);
    const std::string warning = RecordUpdateEvent(sampleRecord()); // also logs, with no log daemon in CI
    umask(oldMask);
    EXPECT_EQ(warning, "");
    EXPECT_EQ(readFile(file()),
              "{\"time\":\"2026-12-09T10:31:05+01:00\",\"action\":\"update\",\"user\":\"till\","
              "\"program_folder\":\"/opt/till/\",\"update_folder\":\"/srv/\\\"new\\\"\","
              "\"version_before\":\"1.4.2.310\",\"version_after\":\"1.6.0.0\",\"outcome\":\"copy-failed\","
              "\"files_replaced\":12,\"files_unchanged\":3,\"files_added\":1,\"bytes\":5000000000,\"seconds\":2.5,"
              "\"first_error\":\"/opt/till/a\\\\b.dll: Access is denied.\\n\"}\n");
    EXPECT_EQ(fs::status(folder()).permissions(), static_cast<fs::perms>(0755));
    EXPECT_EQ(fs::status(file()).permissions(), static_cast<fs::perms>(0644));

    // Lines that do not parse are skipped; the time and user are filled in when left empty.
    std::ofstream(file(), std::ios::app) << "{\"time\":\"2026-12-\n[1]\n\n";
    UpdateRecord rollback;
    rollback.Action = "rollback";
    rollback.ProgramFolder = "/opt/till";
    rollback.Outcome = "rolled-back";
    EXPECT_EQ(RecordUpdateEvent(rollback), "");

    const std::vector<UpdateRecord> records = ReadUpdateHistory("");
    ASSERT_EQ(records.size(), 2u);
    expectSame(records[0], sampleRecord());
    EXPECT_EQ(records[1].Action, "rollback");
    EXPECT_EQ(records[1].User, getpwuid(geteuid())->pw_name);
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$")
                    .match(QString::fromStdString(records[1].Time))
                    .hasMatch())
        << records[1].Time;
}

TEST_F(UpdateHistory, FilesAnotherUserCouldHavePlantedAreRefused)
{
    REQUIRE_PREREQUISITE(geteuid() == 0, "needs root to give files to another user");
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    TempDir elsewhere;
    const fs::path target = elsewhere / "target";
    struct Case {
        const char* name;
        std::function<void()> plant;
    };
    auto plantFile = [&](mode_t mode, uid_t owner) {
        writeFile(file(), "x\n");
        ASSERT_EQ(chmod(file().c_str(), mode), 0);
        ASSERT_EQ(chown(file().c_str(), owner, 0), 0);
    };
    auto changeFolder = [&](mode_t mode, uid_t owner) {
        ASSERT_EQ(chmod(folder().c_str(), mode), 0);
        ASSERT_EQ(chown(folder().c_str(), owner, 0), 0);
    };
    const Case cases[] = {
        {"folder is a link",
         [&] {
             fs::remove(folder());
             fs::create_directory_symlink(elsewhere.path(), folder());
         }},
        {"file is a link", [&] { fs::create_symlink(target, file()); }},
        {"file is a hard link", [&] { fs::create_hard_link(target, file()); }},
        {"file is a FIFO", [&] { ASSERT_EQ(mkfifo(file().c_str(), 0644), 0); }},
        {"file is a folder", [&] { fs::create_directory(file()); }},
        {"file writable by others", [&] { plantFile(0646, 0); }},
        {"file writable by the group", [&] { plantFile(0664, 0); }},
        {"file of another user", [&] { plantFile(0644, nobody->pw_uid); }},
        {"folder writable by others", [&] { changeFolder(0757, 0); }},
        {"folder writable by the group", [&] { changeFolder(0775, 0); }},
        {"folder of another user", [&] { changeFolder(0755, nobody->pw_uid); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder());
        fs::create_directory(folder());
        ASSERT_EQ(chmod(folder().c_str(), 0755), 0);
        writeFile(target, "theirs\n");
        c.plant();
        const std::string before = fs::is_regular_file(file()) ? readFile(file()) : "";
        EXPECT_EQ(RecordUpdateEvent(sampleRecord()),
                  "The update history could not be written to " + file().string() + ": Access is denied.");
        EXPECT_EQ(readFile(target), "theirs\n");
        EXPECT_FALSE(fs::exists(elsewhere / "updates.jsonl"));
        if (fs::is_regular_file(file())) {
            EXPECT_EQ(readFile(file()), before);
        }
        EXPECT_THROW(ReadUpdateHistory(""), std::exception);
    }
}

TEST_F(UpdateHistory, ConcurrentWritersLeaveWholeLines)
{
    constexpr int perWriter = 200;
    auto writer = [](const std::string& action) {
        UpdateRecord r = sampleRecord();
        r.Action = action;
        r.FirstError = std::string(3000, action[0]); // long lines show interleaving best
        for (int i = 0; i < perWriter; ++i)
            EXPECT_EQ(RecordUpdateEvent(r), "");
    };
    std::thread a(writer, "update"), b(writer, "rollback");
    a.join();
    b.join();
    const std::string contents = readFile(file());
    EXPECT_EQ(std::count(contents.begin(), contents.end(), '\n'), 2 * perWriter);
    const std::vector<UpdateRecord> records = ReadUpdateHistory("");
    ASSERT_EQ(records.size(), 2u * perWriter);
    for (const UpdateRecord& r : records)
        EXPECT_EQ(r.FirstError, std::string(3000, r.Action[0]));
}
