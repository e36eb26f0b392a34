// tallyrune-updatectl history: the records of a program folder as aligned text and as JSON.
#include "RunUpdatectl.h"
#include "update/UpdateHistory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <sys/stat.h>

namespace {
UpdateRecord record(const std::string& time, const std::string& action, const std::string& folder,
                    const std::string& outcome, const std::string& firstError = "")
{
    UpdateRecord r;
    r.Time = time;
    r.Action = action;
    r.User = "till";
    r.ProgramFolder = folder;
    r.UpdateFolder = folder + "Update";
    r.VersionBefore = action == "update" ? "1.4.2.310" : "1.6.0.0";
    r.VersionAfter = action == "update" ? "1.6.0.0" : "1.4.2.310";
    r.Outcome = outcome;
    r.FilesReplaced = action == "update" ? 12 : 9;
    r.FilesUnchanged = 3;
    r.FilesAdded = 1;
    r.Bytes = 2048;
    r.Seconds = 1.25;
    r.FirstError = firstError;
    return r;
}

class HistoryCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const UpdateRecord& r :
             {record("2026-12-09T10:31:05+01:00", "update", "/opt/till/", "completed"),
              record("2026-12-09T11:02:40+01:00", "update", "/opt/other", "copy-failed", "/opt/other/x: Denied."),
              record("2026-12-10T08:15:00+01:00", "rollback", "/opt/till", "rolled-back"),
              record("2026-12-10T09:00:00+01:00", "update", "/opt/till", "copy-failed", "/opt/till/a.dll: Denied.")})
            ASSERT_EQ(RecordUpdateEvent(r), "");
    }
    UpdatectlOutcome history(QStringList args)
    {
        args.prepend("history");
        return runUpdatectl(args);
    }

    ScopedCompatRoot root;
};
} // namespace

TEST_F(HistoryCommand, TextIsOneAlignedLinePerRecordOfTheFolder)
{
    UpdatectlOutcome r = history({"--program-folder", "/opt/till"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "2026-12-09T10:31:05+01:00  update    completed    1.4.2.310 -> 1.6.0.0  "
                     "12 replaced, 3 unchanged, 1 added  /opt/till/\n"
                     "2026-12-10T08:15:00+01:00  rollback  rolled-back  1.6.0.0 -> 1.4.2.310  "
                     "9 replaced, 3 unchanged, 1 added   /opt/till\n"
                     "2026-12-10T09:00:00+01:00  update    copy-failed  1.4.2.310 -> 1.6.0.0  "
                     "12 replaced, 3 unchanged, 1 added  /opt/till - /opt/till/a.dll: Denied.\n");

    r = history({"--program-folder=/opt/other/"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2026-12-09T11:02:40+01:00  update  copy-failed  1.4.2.310 -> 1.6.0.0  "
                     "12 replaced, 3 unchanged, 1 added  /opt/other - /opt/other/x: Denied.\n");

    r = history({"--program-folder", "/opt/none"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "No updates recorded for /opt/none.\n");
}

TEST_F(HistoryCommand, JsonIsAnArrayOfTheRecordsOfTheFolder)
{
    UpdatectlOutcome r = history({"--json", "--program-folder", "/opt/other"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[\n"
                     "  {\"time\":\"2026-12-09T11:02:40+01:00\",\"action\":\"update\",\"user\":\"till\","
                     "\"program_folder\":\"/opt/other\",\"update_folder\":\"/opt/otherUpdate\","
                     "\"version_before\":\"1.4.2.310\",\"version_after\":\"1.6.0.0\",\"outcome\":\"copy-failed\","
                     "\"files_replaced\":12,\"files_unchanged\":3,\"files_added\":1,\"bytes\":2048,\"seconds\":1.25,"
                     "\"first_error\":\"/opt/other/x: Denied.\"}\n"
                     "]\n");

    r = history({"--json", "--program-folder", "/opt/till"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array().size(), 3) << r.out;

    r = history({"--json", "--program-folder", "/opt/none"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[]\n");
}

TEST_F(HistoryCommand, AHistoryThatCannotBeTrustedFails)
{
    const std::filesystem::path file = root.path() / "history" / "updates.jsonl";
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    UpdatectlOutcome r = history({"--program-folder", "/opt/till"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tallyrune-updatectl history: The update history " + file.string() +
                         " cannot be read: Access is denied.\n");
}
