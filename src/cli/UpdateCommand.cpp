// update [--yes | --if-needed] [--json] [--program-folder DIR]: the window's update, from a
// terminal or a script.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "cli/ProgramFolderOption.h"
#include "cli/TextOutput.h"
#include "framework/core/MsgDlgTypes.h"
#include "platform/system.h"
#include "settings/TLMDIniCtrl.h"
#include "shell/TabfFileOperation.h"
#include "update/UpdateLock.h"
#include "update/UpdateProcedure.h"
#include "update/VersionPanels.h"

#include <QDateTime>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

namespace {

const char usageText[] =
    "Usage: tallyrune-updatectl update [--yes | --if-needed] [--json] [--program-folder DIR]\n"
    "\n"
    "Runs the update utility's update for a utility installed in DIR: the same questions in the same\n"
    "order, the same copy of the update folder over DIR, and the same \"LastUpdate\" record.\n"
    "\n"
    "  --yes                 answer Yes to every question and never prompt (for scripts)\n"
    "  --if-needed           update only when there is a different update: answer No when no update\n"
    "                        is found or its version is the installed one, Yes to the last question;\n"
    "                        never prompt (for fleets)\n"
    "  --json                print one JSON object, also when the update ends early: the versions\n"
    "                        before and after, files replaced, unchanged and added, bytes copied,\n"
    "                        seconds, the copy's result code and message, the failing path, the\n"
    "                        error, and the \"LastUpdate\" written\n"
    "  --program-folder DIR  the utility's program folder; by default the folder of the\n"
    "                        tallyrune-update that stands next to this program, else the\n"
    "                        current folder\n"
    "\n"
    "Without --yes or --if-needed the questions are asked on the terminal; without a terminal, one\n"
    "of them is needed.\n"
    "The settings are read from the registry below $WINCOMPAT_ROOT, or /var/lib/wincompat.\n"
    "Exit status: 0 updated and recorded; 1 not completed (the program folder is as before) or the\n"
    "settings could not be read; 2 usage error, no terminal to ask on, or the folders were refused;\n"
    "3 a question was answered No, or no update was needed; 4 another update of the folder is\n"
    "running; 5 updated, but \"LastUpdate\" could not be recorded.\n";

const char prefix[] = "tallyrune-updatectl update: ";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "%s%s\n", prefix, message.c_str());
    std::fputs(usageText, stderr);
    return 2;
}

enum class Answering { Prompt, YesToAll, IfNeeded };

// Questions as [y/N] prompts on the terminal, or answered at once.
class TerminalDialogs : public UpdateDialogs {
public:
    explicit TerminalDialogs(Answering answering) : answering_(answering) {}

    // The copy's progress, for the path a failed copy stopped at.
    void WatchCopy(const ConsoleProgress* progress) { progress_ = progress; }

    int Confirm(const std::string& question) override
    {
        // The question's own text, blank included where it has one.
        const std::string prompt = PlainText(question) + (question.ends_with(' ') ? "[y/N] " : " [y/N] ");
        if (answering_ == Answering::IfNeeded) {
            // Only the first two questions ask whether an update is needed at all.
            const bool yes = question != UpdateNotFoundQuestion && question != SameVersionQuestion;
            std::fprintf(stderr, "%s%s\n", prompt.c_str(), yes ? "y" : "n");
            return yes ? mrYes : mrNo;
        }
        if (answering_ == Answering::YesToAll) {
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
        return IsYesAnswer(answer) ? mrYes : mrNo;
    }
    void Inform(const std::string& notice) override { std::fprintf(stderr, "%s\n", PlainText(notice).c_str()); }
    void ShowError(const std::string& message) override
    {
        std::string line = message;
        // A failed copy names the file it stopped at, where the message does not already.
        if (progress_ != nullptr && line.starts_with(UpdateIncompletePrefix) && !progress_->firstPath().empty() &&
            line.find(progress_->firstPath()) == std::string::npos)
            line.insert(std::string_view(UpdateIncompletePrefix).size(), progress_->firstPath() + ": ");
        std::fprintf(stderr, "%s%s\n", prefix, PlainText(line).c_str());
    }

private:
    Answering answering_;
    const ConsoleProgress* progress_ = nullptr;
};

const char* outcomeName(UpdateOutcome outcome)
{
    switch (outcome) {
    case UpdateOutcome::Stopped: return "stopped";
    case UpdateOutcome::Declined: return "declined";
    case UpdateOutcome::Refused: return "refused";
    case UpdateOutcome::SettingsUnreadable: return "settings-unreadable";
    case UpdateOutcome::CopyFailed: return "copy-failed";
    case UpdateOutcome::Completed: return "completed";
    }
    return "";
}

struct UpdateOptions {
    Answering answering = Answering::Prompt;
    bool json = false;
    std::string programFolder;
};

// The options, or the exit status when the command ends before updating (help, a usage error,
// nobody to ask).
std::optional<int> parseOptions(const CommandArgs& args, UpdateOptions& options)
{
    CommandLine line(false);
    line.AddSwitch({"y", "yes"});
    line.AddSwitch({"if-needed"});
    line.AddSwitch({"json"});
    ProgramFolderOption programFolder;
    if (std::optional<int> status = programFolder.ReadCommandLine(line, args, usageText, usageError))
        return status;
    if (line.IsSet("yes") && line.IsSet("if-needed"))
        return usageError("--yes and --if-needed answer the questions differently: give one of them");
    options.answering = line.IsSet("yes")         ? Answering::YesToAll
                        : line.IsSet("if-needed") ? Answering::IfNeeded
                                                  : Answering::Prompt;
    options.json = line.IsSet("json");
    if (options.answering == Answering::Prompt && !wincompat::standardInputIsTerminal()) {
        std::fprintf(stderr,
                     "%sno terminal to ask the questions on: run it on a terminal, or give --yes or --if-needed\n",
                     prefix);
        return 2;
    }
    options.programFolder = programFolder.Folder();
    return std::nullopt;
}

// What one run did, for the report and the exit status.
struct UpdateRun {
    UtilityPlace place;
    std::optional<VersionPanelsReading> before; // nothing when the run ended before reading them
    UpdateOutcome outcome = UpdateOutcome::Stopped;
    bool busy = false;       // another update held the folder
    std::string recordError; // the settings store refused "LastUpdate"
    std::string error;       // the message of a run that ended early
    double seconds = 0;      // of the copy
    UpdateReport report;
    wincompat::CopyProgress copied;
};

// The procedure and the objects it works with, set up as the window sets up its own.
class UpdateSession {
public:
    explicit UpdateSession(Answering answering)
        : dialogs_(answering), progress_(wincompat::standardErrorIsTerminal()), settings_(nullptr), copyJob_(nullptr),
          procedure_(dialogs_, copyJob_, settings_)
    {
        dialogs_.WatchCopy(&progress_);
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
            run.error = e.what();
            std::fprintf(stderr, "%s%s\n", prefix, PlainText(run.error).c_str());
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
                procedure_.Run(run.before->Current.Values("File Version"), run.before->Update.Values("File Version"));
        } catch (const std::exception& e) {
            // The settings store refused the record; the copy itself went through.
            run.recordError = e.what();
            std::fprintf(stderr, "%s%s\n", prefix, PlainText(run.recordError).c_str());
        }
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.report = procedure_.Report();
        if (!run.report.HistoryWarning.empty())
            std::fprintf(stderr, "%swarning: %s\n", prefix, PlainText(run.report.HistoryWarning).c_str());
        if (run.report.FailedPath.empty())
            run.report.FailedPath = progress_.firstPath();
        if (!run.recordError.empty())
            run.error = run.recordError;
        else
            run.error = run.report.Error;
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

QJsonValue textOrNull(const std::string& text)
{
    return text.empty() ? QJsonValue(QJsonValue::Null) : JsonText(text);
}

// The recorded moment, local time with its offset from UTC: 2026-12-08T14:05:09+01:00.
QJsonValue isoMoment(TDateTime moment)
{
    const double days = std::floor(moment);
    const auto msecs = static_cast<int>(std::llround((moment - days) * 86400000.0));
    const QDateTime local(QDate(1899, 12, 30).addDays(static_cast<qint64>(days)), QTime(0, 0).addMSecs(msecs));
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QString("%1%2%3:%4")
        .arg(local.toString("yyyy-MM-ddTHH:mm:ss"), offset < 0 ? "-" : "+")
        .arg(minutes / 60, 2, 10, QChar('0'))
        .arg(minutes % 60, 2, 10, QChar('0'));
}

const char* outcomeOf(const UpdateRun& run)
{
    if (run.busy)
        return "busy";
    if (!run.before)
        return "settings-unreadable";
    if (!run.recordError.empty())
        return "record-failed";
    return outcomeName(run.outcome);
}

std::string jsonReport(const UpdateRun& run)
{
    const UpdateReport& report = run.report;
    const double seconds = report.Copied ? std::round(run.seconds * 1000) / 1000 : 0.0;
    const bool recorded = !report.LastUpdate.empty();
    JsonLine line(JsonLayout::Spaced);
    line.Add("outcome", outcomeOf(run)).Add("program_folder", JsonText(run.place.ProgramFolder));
    if (run.before)
        line.Add("before", JsonLine(JsonLayout::Spaced)
                               .Add("current", VersionListingJson(run.before->Current))
                               .Add("update", VersionListingJson(run.before->Update)));
    else
        line.Add("before", QJsonValue::Null);
    if (run.before)
        line.Add("after", panelAfter(run.place));
    else
        line.Add("after", QJsonValue::Null);
    return line.Add("copied", report.Copied)
               .Add("files_replaced", qint64(run.copied.filesReplaced))
               .Add("files_unchanged", qint64(run.copied.filesUnchanged))
               .Add("files_added", qint64(run.copied.filesAdded))
               .Add("bytes_copied", qint64(run.copied.bytesDone))
               .Add("seconds", seconds)
               .Add("copy_result", report.CopyResult)
               .Add("copy_message", JsonText(report.CopyMessage))
               .Add("last_update_written", recorded)
               .Add("last_update", textOrNull(report.LastUpdate))
               .Add("last_update_iso", recorded ? isoMoment(report.LastUpdateMoment) : QJsonValue(QJsonValue::Null))
               .Add("failed_path", textOrNull(report.FailedPath))
               .Add("error", textOrNull(run.error))
               .Text() +
           "\n";
}

int exitStatus(const UpdateRun& run)
{
    if (run.busy)
        return 4;
    if (!run.before)
        return 1;
    if (!run.recordError.empty())
        return 5; // the copy went through: the folder is not as before
    switch (run.outcome) {
    case UpdateOutcome::Completed: return 0;
    case UpdateOutcome::Stopped:
    case UpdateOutcome::Declined: return 3;
    case UpdateOutcome::Refused: return 2;
    case UpdateOutcome::SettingsUnreadable:
    case UpdateOutcome::CopyFailed: return 1;
    }
    return 1;
}

int finish(const UpdateRun& run, bool json)
{
    if (json) {
        std::fputs(jsonReport(run).c_str(), stdout);
        std::fflush(stdout);
    }
    return exitStatus(run);
}

} // namespace

int RunUpdateCommand(const CommandArgs& args)
{
    UpdateOptions options;
    if (const std::optional<int> ended = parseOptions(args, options))
        return *ended;
    UpdateRun run;
    run.place = UtilityInstalledIn(options.programFolder);
    // Before any question, as the window does.
    const UpdateLock lock(run.place.ProgramFolder);
    if (!lock.Held()) {
        run.busy = true;
        run.error = lock.Refusal();
        std::fprintf(stderr, "%s%s\n", prefix, PlainText(run.error).c_str());
        return finish(run, options.json);
    }
    UpdateSession session(options.answering);
    if (!session.Prepare(run))
        return finish(run, options.json);
    session.Run(run);
    return finish(run, options.json);
}
