// update [--yes] [--json] [--program-folder DIR]: the window's update, from a terminal or a script.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "cli/ProgramFolderOption.h"
#include "cli/TextOutput.h"
#include "framework/core/MsgDlgTypes.h"
#include "platform/system.h"
#include "settings/TLMDIniCtrl.h"
#include "shell/TabfFileOperation.h"
#include "update/UpdateProcedure.h"
#include "update/VersionPanels.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
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

struct UpdateOptions {
    bool yes = false;
    bool json = false;
    std::string programFolder;
};

// The options, or the exit status when the command ends before updating (help, a usage error,
// nobody to ask).
std::optional<int> parseOptions(const CommandArgs& args, UpdateOptions& options)
{
    CommandLine line(false);
    line.AddSwitch({"y", "yes"});
    line.AddSwitch({"json"});
    ProgramFolderOption programFolder;
    if (std::optional<int> status = programFolder.ReadCommandLine(line, args, usageText, usageError))
        return status;
    options.yes = line.IsSet("yes");
    options.json = line.IsSet("json");
    if (!options.yes && !wincompat::standardInputIsTerminal()) {
        std::fprintf(stderr, "%sno terminal to ask the questions on: run it on a terminal, or give --yes\n", prefix);
        return 2;
    }
    options.programFolder = programFolder.Folder();
    return std::nullopt;
}

// What one run did, for the report and the exit status.
struct UpdateRun {
    UtilityPlace place;
    VersionPanelsReading before;
    UpdateOutcome outcome = UpdateOutcome::Stopped;
    std::string recordError; // the settings store refused "LastUpdate"
    double seconds = 0;      // of the copy
    UpdateReport report;
    wincompat::CopyProgress copied;
};

// The procedure and the objects it works with, set up as the window sets up its own.
class UpdateSession {
public:
    explicit UpdateSession(bool yes)
        : dialogs_(yes), progress_(wincompat::standardErrorIsTerminal()), settings_(nullptr), copyJob_(nullptr),
          procedure_(dialogs_, copyJob_, settings_)
    {
    }

    // False, with the message shown, when the settings or the panels cannot be read.
    bool Prepare(UpdateRun& run)
    {
        try {
            ConfigureAsInMainForm(settings_, "LMDIniCtrl1");
            ConfigureAsInMainForm(copyJob_, "abfFileOperation1");
            PrepareUpdateCopy(copyJob_, settings_, run.place.ProgramFolder);
            run.before = ReadVersionPanels(run.place);
            return true;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s%s\n", prefix, PlainText(e.what()).c_str());
            return false;
        }
    }

    void Run(UpdateRun& run)
    {
        SinkGuard guard(&progress_);
        auto start = std::chrono::steady_clock::now();
        procedure_.OnCopying = [&] {
            std::fprintf(stderr, "Updating...\n");
            start = std::chrono::steady_clock::now();
        };
        try {
            run.outcome =
                procedure_.Run(run.before.Current.Values("File Version"), run.before.Update.Values("File Version"));
        } catch (const std::exception& e) {
            // The settings store refused the record; the copy itself went through.
            run.recordError = e.what();
            std::fprintf(stderr, "%s%s\n", prefix, PlainText(run.recordError).c_str());
        }
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.report = procedure_.Report();
        run.copied = progress_.done();
    }

private:
    TerminalDialogs dialogs_;
    ConsoleProgress progress_;
    TLMDIniCtrl settings_;
    TabfFileOperation copyJob_;
    UpdateProcedure procedure_;
};

// "after": the current panel read again after the copy; null when it cannot be read.
JsonLine panelAfter(const UtilityPlace& place)
{
    JsonLine after(JsonLayout::Spaced);
    try {
        return after.Add("current", VersionListingJson(ReadVersionPanels(place).Current));
    } catch (const std::exception&) {
        return after.Add("current", QJsonValue::Null);
    }
}

std::string jsonReport(const UpdateRun& run)
{
    const UpdateReport& report = run.report;
    const double seconds = report.Copied ? std::round(run.seconds * 1000) / 1000 : 0.0;
    return JsonLine(JsonLayout::Spaced)
               .Add("outcome", run.recordError.empty() ? outcomeName(run.outcome) : "record-failed")
               .Add("program_folder", JsonText(run.place.ProgramFolder))
               .Add("before", JsonLine(JsonLayout::Spaced)
                                  .Add("current", VersionListingJson(run.before.Current))
                                  .Add("update", VersionListingJson(run.before.Update)))
               .Add("after", panelAfter(run.place))
               .Add("copied", report.Copied)
               .Add("files_copied", qint64(run.copied.filesCopied))
               .Add("files_unchanged", qint64(run.copied.filesUnchanged))
               .Add("bytes_copied", qint64(run.copied.bytesDone))
               .Add("seconds", seconds)
               .Add("copy_result", report.CopyResult)
               .Add("copy_message", JsonText(report.CopyMessage))
               .Add("last_update_written", !report.LastUpdate.empty())
               .Add("last_update",
                    report.LastUpdate.empty() ? QJsonValue(QJsonValue::Null) : JsonText(report.LastUpdate))
               .Text() +
           "\n";
}

int exitStatus(const UpdateRun& run)
{
    if (!run.recordError.empty())
        return 1;
    switch (run.outcome) {
    case UpdateOutcome::Completed: return 0;
    case UpdateOutcome::Stopped:
    case UpdateOutcome::Declined: return 3;
    case UpdateOutcome::Refused:
    case UpdateOutcome::CopyFailed: return 1;
    }
    return 1;
}

} // namespace

int RunUpdateCommand(const CommandArgs& args)
{
    UpdateOptions options;
    if (const std::optional<int> ended = parseOptions(args, options))
        return *ended;
    UpdateRun run;
    run.place = UtilityInstalledIn(options.programFolder);
    UpdateSession session(options.yes);
    if (!session.Prepare(run))
        return 1;
    session.Run(run);
    if (options.json) {
        std::fputs(jsonReport(run).c_str(), stdout);
        std::fflush(stdout);
    }
    return exitStatus(run);
}
