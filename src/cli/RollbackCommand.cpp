// rollback [--yes] [--force] [--json] [--program-folder DIR]: takes back the last completed update.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ProgramFolderOption.h"
#include "cli/TextOutput.h"
#include "platform/system.h"
#include "settings/TLMDIniCtrl.h"
#include "update/KeptUpdate.h"
#include "update/UpdateHistory.h"
#include "update/UpdateLock.h"
#include "update/VersionPanels.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

namespace {

const char usageText[] =
    "Usage: tallyrune-updatectl rollback [--yes] [--force] [--json] [--program-folder DIR]\n"
    "\n"
    "Takes back the last completed update of the utility installed in DIR: the files it replaced\n"
    "come back, the files it added go, and \"LastUpdate\" is what it was before (removed when there\n"
    "was none). An update that never completed is taken back first.\n"
    "\n"
    "  --yes                 do not ask before taking it back (for scripts)\n"
    "  --force               take it back even when a file the update wrote has changed since\n"
    "  --json                print one JSON object: the outcome, the files put back and removed,\n"
    "                        the failing path and the message\n"
    "  --program-folder DIR  the utility's program folder; by default the folder of the\n"
    "                        tallyrune-update that stands next to this program, else the\n"
    "                        current folder\n"
    "\n"
    "The settings are read from the registry below $WINCOMPAT_ROOT, or /var/lib/wincompat.\n"
    "Exit status: 0 taken back; 1 it failed; 2 usage error, nothing to take back, or a file has\n"
    "changed since the update (without --force); 3 answered No; 4 another update or rollback of\n"
    "the folder is running; 5 the files are back but\n"
    "\"LastUpdate\" could not be restored.\n";

const char prefix[] = "tallyrune-updatectl rollback: ";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "%s%s\n", prefix, message.c_str());
    std::fputs(usageText, stderr);
    return 2;
}

struct RollbackRun {
    std::string outcome;
    std::string programFolder;
    RollbackResult result;
    std::string error;
};

void print(const RollbackRun& run, bool json)
{
    if (!json) {
        if (!run.error.empty())
            std::fprintf(stderr, "%s%s\n", prefix, PlainText(run.error).c_str());
        return;
    }
    const RollbackResult& r = run.result;
    const bool restored = run.outcome == "rolled-back";
    std::fputs((JsonLine(JsonLayout::Spaced)
                    .Add("outcome", run.outcome.c_str())
                    .Add("program_folder", JsonText(run.programFolder))
                    .Add("files_restored", qint64(r.FilesRestored))
                    .Add("files_removed", qint64(r.FilesRemoved))
                    .Add("failed_path", r.FailedPath.empty() ? QJsonValue(QJsonValue::Null) : JsonText(r.FailedPath))
                    .Add("last_update", restored && r.Note.LastUpdateBefore ? JsonText(*r.Note.LastUpdateBefore)
                                                                            : QJsonValue(QJsonValue::Null))
                    .Add("error", run.error.empty() ? QJsonValue(QJsonValue::Null) : JsonText(run.error))
                    .Text() +
                "\n")
                   .c_str(),
               stdout);
    std::fflush(stdout);
    if (!run.error.empty())
        std::fprintf(stderr, "%s%s\n", prefix, PlainText(run.error).c_str());
}

bool confirmed(const std::string& folder)
{
    std::fprintf(stderr, "Take back the last update of %s? [y/N] ", folder.c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::fputc('\n', stderr);
        return false;
    }
    return IsYesAnswer(answer);
}

} // namespace

int RunRollbackCommand(const CommandArgs& args)
{
    CommandLine line(false);
    line.AddSwitch({"y", "yes"});
    line.AddSwitch({"force"});
    line.AddSwitch({"json"});
    ProgramFolderOption programFolder;
    if (std::optional<int> status = programFolder.ReadCommandLine(line, args, usageText, usageError))
        return *status;
    const bool yes = line.IsSet("yes"), json = line.IsSet("json");
    if (!yes && !wincompat::standardInputIsTerminal()) {
        std::fprintf(stderr, "%sno terminal to ask on: run it on a terminal, or give --yes\n", prefix);
        return 2;
    }
    RollbackRun run;
    run.programFolder = UtilityInstalledIn(programFolder.Folder()).ProgramFolder;

    const UpdateLock lock(run.programFolder);
    if (!lock.Held()) {
        run.outcome = "busy";
        run.error = lock.Refusal();
        print(run, json);
        return 4;
    }
    const RecoveryResult recovery = RecoverUnfinishedUpdate(run.programFolder);
    if (recovery.Failed) {
        run.outcome = "failed";
        run.error = recovery.Message;
        print(run, json);
        return 1;
    }
    if (recovery.Recovered)
        std::fprintf(stderr, "%s\n", recovery.Message.c_str());

    TLMDIniCtrl settings(nullptr);
    try {
        ConfigureAsInMainForm(settings, "LMDIniCtrl1");
    } catch (const std::exception& e) {
        run.outcome = "failed";
        run.error = e.what();
        print(run, json);
        return 1;
    }
    if (!yes && !confirmed(run.programFolder)) {
        run.outcome = "declined";
        print(run, json);
        return 3;
    }
    run.result = RollBackLastUpdate(run.programFolder, line.IsSet("force"), settings);
    switch (run.result.Outcome) {
    case RollbackResult::NothingToTakeBack: run.outcome = "nothing"; break;
    case RollbackResult::Changed: run.outcome = "changed"; break;
    case RollbackResult::Failed: run.outcome = "failed"; break;
    case RollbackResult::RolledBack: run.outcome = "rolled-back"; break;
    }
    run.error = run.result.Message;
    if (run.result.Outcome == RollbackResult::RolledBack && !run.result.RecordError.empty())
        run.error = "The files are back, but \"LastUpdate\" was not restored: " + run.result.RecordError;
    if (run.result.Outcome != RollbackResult::NothingToTakeBack) {
        UpdateRecord entry;
        entry.Action = "rollback";
        entry.ProgramFolder = run.programFolder;
        entry.UpdateFolder = run.result.Note.UpdateFolder;
        const bool back = run.result.Outcome == RollbackResult::RolledBack;
        entry.VersionBefore = run.result.Note.VersionAfter;
        entry.VersionAfter = back ? run.result.Note.VersionBefore : run.result.Note.VersionAfter;
        entry.Outcome = run.outcome;
        entry.FilesReplaced = run.result.FilesRestored;
        entry.FilesAdded = run.result.FilesRemoved;
        entry.FirstError = run.error;
        if (const std::string warning = RecordUpdateEvent(entry); !warning.empty())
            std::fprintf(stderr, "%swarning: %s\n", prefix, PlainText(warning).c_str());
    }
    print(run, json);
    if (run.result.Outcome == RollbackResult::RolledBack) {
        if (!json)
            std::printf("Taken back: %llu file%s put back, %llu removed.\n", run.result.FilesRestored,
                        run.result.FilesRestored == 1 ? "" : "s", run.result.FilesRemoved);
        return run.result.RecordError.empty() ? 0 : 5;
    }
    return run.result.Outcome == RollbackResult::Failed ? 1 : 2;
}
