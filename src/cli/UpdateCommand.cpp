// update [--yes] [--json] [--program-folder DIR]: the window's update, from a terminal or a script.
#include "update/UpdateProcedure.h"
#include "update/VersionPanels.h"
#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "cli/ProgramFolderOption.h"
#include "cli/TextOutput.h"
#include "framework/core/MsgDlgTypes.h"
#include "platform/system.h"
#include "settings/TLMDIniCtrl.h"
#include "shell/TabfFileOperation.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

namespace {

const char usageText[] =
    "Usage: tallyrune-updatectl update [--yes] [--json] [--program-folder DIR]\n"
    "\n"
    "Runs the update utility's update for a utility installed in DIR: the same questions in the same\n"
    "order, the same copy of the update folder over DIR, and the same \"LastUpdate\" record.\n"
    "\n"
    "  --yes                 answer Yes to every question and never prompt (for scripts)\n"
    "  --json                print one JSON object: the versions before and after, files and bytes\n"
    "                        copied, seconds, the copy's result code and message, and whether\n"
    "                        \"LastUpdate\" was written\n"
    "  --program-folder DIR  the utility's program folder; by default the folder of the\n"
    "                        tallyrune-update that stands next to this program, else the\n"
    "                        current folder\n"
    "\n"
    "Without --yes the questions are asked on the terminal; without a terminal, --yes is needed.\n"
    "Exit status: 0 copied and recorded; 1 the copy failed or was cancelled, the update was refused\n"
    "or the settings could not be read or written; 2 usage error or no terminal to ask on;\n"
    "3 a question was answered No.\n";

const char prefix[] = "tallyrune-updatectl update: ";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "%s%s\n", prefix, message.c_str());
    std::fputs(usageText, stderr);
    return 2;
}

// Questions as [y/N] prompts on the terminal, or answered Yes at once.
class TerminalDialogs : public UpdateDialogs {
public:
    explicit TerminalDialogs(bool yesToAll) : yesToAll_(yesToAll) {}

    int Confirm(const std::string& question) override
    {
        // The question's own text, blank included where it has one.
        const std::string prompt = PlainText(question) + (question.ends_with(' ') ? "[y/N] " : " [y/N] ");
        if (yesToAll_) {
            std::fprintf(stderr, "%sy\n", prompt.c_str());
            return mrYes;
        }
        std::fputs(prompt.c_str(), stderr);
        std::fflush(stderr);
        std::string answer;
        if (!std::getline(std::cin, answer)) {
            std::fputc('\n', stderr);
            return mrCancel; // the end of input answers nothing, as a closed box does
        }
        return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES" ? mrYes : mrNo;
    }
    void Inform(const std::string& notice) override { std::fprintf(stderr, "%s\n", PlainText(notice).c_str()); }
    void ShowError(const std::string& message) override
    {
        std::fprintf(stderr, "%s%s\n", prefix, PlainText(message).c_str());
    }

private:
    bool yesToAll_;
};

const char* outcomeName(UpdateOutcome outcome)
{
    switch (outcome) {
    case UpdateOutcome::Stopped: return "stopped";
    case UpdateOutcome::Declined: return "declined";
    case UpdateOutcome::Refused: return "refused";
    case UpdateOutcome::CopyFailed: return "copy-failed";
    case UpdateOutcome::Completed: return "completed";
    }
    return "";
}

} // namespace

int RunUpdateCommand(const CommandArgs& args)
{
    bool yes = false, json = false;
    ProgramFolderOption programFolder;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(usageText, stdout);
            return 0;
        } else if (a == "--yes" || a == "-y") {
            yes = true;
        } else if (a == "--json") {
            json = true;
        } else if (programFolder.Take(args, i)) {
            if (!programFolder.Error().empty())
                return usageError(programFolder.Error());
        } else {
            return usageError("unexpected argument '" + PlainText(a) + "'");
        }
    }
    if (!yes && !wincompat::standardInputIsTerminal()) {
        std::fprintf(stderr, "%sno terminal to ask the questions on: run it on a terminal, or give --yes\n", prefix);
        return 2;
    }
    const UtilityPlace place = UtilityInstalledIn(programFolder.Folder());

    TerminalDialogs dialogs(yes);
    ConsoleProgress progress(wincompat::standardErrorIsTerminal());
    TLMDIniCtrl settings(nullptr);
    TabfFileOperation copyJob(nullptr);
    VersionPanelsReading before;
    UpdateOutcome outcome = UpdateOutcome::Stopped;
    std::string recordError;
    double seconds = 0;
    UpdateProcedure procedure(dialogs, copyJob, settings);
    try {
        ConfigureAsInMainForm(settings, "LMDIniCtrl1");
        ConfigureAsInMainForm(copyJob, "abfFileOperation1");
        PrepareUpdateCopy(copyJob, settings, place.ProgramFolder);
        before = ReadVersionPanels(place);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s%s\n", prefix, PlainText(e.what()).c_str());
        return 1;
    }
    {
        SinkGuard guard(&progress);
        auto start = std::chrono::steady_clock::now();
        procedure.OnCopying = [&] {
            std::fprintf(stderr, "Updating...\n");
            start = std::chrono::steady_clock::now();
        };
        try {
            outcome = procedure.Run(before.Current.Values("File Version"), before.Update.Values("File Version"));
        } catch (const std::exception& e) {
            // The settings store refused the record; the copy itself went through.
            recordError = e.what();
            std::fprintf(stderr, "%s%s\n", prefix, PlainText(recordError).c_str());
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const UpdateReport& report = procedure.Report();

    if (json) {
        std::string after = "null";
        try {
            after = VersionListingJson(ReadVersionPanels(place).Current);
        } catch (const std::exception&) {
        }
        char number[64];
        std::snprintf(number, sizeof number, "%.3f", report.Copied ? seconds : 0.0);
        const std::string out =
            "{\"outcome\": " + JsonString(recordError.empty() ? outcomeName(outcome) : "record-failed") +
            ", \"program_folder\": " + JsonString(place.ProgramFolder) +
            ", \"before\": {\"current\": " + VersionListingJson(before.Current) +
            ", \"update\": " + VersionListingJson(before.Update) + "}, \"after\": {\"current\": " + after +
            "}, \"copied\": " + (report.Copied ? "true" : "false") +
            ", \"files_copied\": " + std::to_string(progress.done().filesCopied) +
            ", \"files_unchanged\": " + std::to_string(progress.done().filesUnchanged) +
            ", \"bytes_copied\": " + std::to_string(progress.done().bytesDone) + ", \"seconds\": " + number +
            ", \"copy_result\": " + std::to_string(report.CopyResult) +
            ", \"copy_message\": " + JsonString(report.CopyMessage) +
            ", \"last_update_written\": " + (report.LastUpdate.empty() ? "false" : "true") +
            ", \"last_update\": " + (report.LastUpdate.empty() ? "null" : JsonString(report.LastUpdate)) + "}\n";
        std::fputs(out.c_str(), stdout);
        std::fflush(stdout);
    }

    if (!recordError.empty())
        return 1;
    switch (outcome) {
    case UpdateOutcome::Completed: return 0;
    case UpdateOutcome::Stopped:
    case UpdateOutcome::Declined: return 3;
    case UpdateOutcome::Refused:
    case UpdateOutcome::CopyFailed: return 1;
    }
    return 1;
}
