// history: what the update history holds for a program folder, oldest first.
#include "cli/Commands.h"
#include "cli/ProgramFolderOption.h"
#include "cli/TextOutput.h"
#include "update/UpdateHistory.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {
const char usageText[] =
    "Usage: tallyrune-updatectl history [--json] [--program-folder DIR]\n"
    "\n"
    "Shows every update and rollback recorded for the utility installed in DIR, oldest first: when,\n"
    "what, how it ended, the \"File Version\" before and after, and the files replaced, left\n"
    "unchanged and added. The history is kept in <root>/history/updates.jsonl, where <root> is\n"
    "$WINCOMPAT_ROOT or /var/lib/wincompat.\n"
    "\n"
    "  --program-folder DIR  the utility's program folder; by default the folder of the\n"
    "                        tallyrune-update that stands next to this program, else the\n"
    "                        current folder\n"
    "  --json                one JSON array of the records as the history file holds them\n"
    "\n"
    "Exit status: 0 shown (also when nothing is recorded), 1 the history could not be read,\n"
    "2 usage error.\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "tallyrune-updatectl history: %s\n", message.c_str());
    std::fputs(usageText, stderr);
    return 2;
}

// The columns of one record; the folder and the first error follow, unpadded.
constexpr std::size_t columnCount = 5;
std::array<std::string, columnCount> columns(const UpdateRecord& r)
{
    return {PlainText(r.Time), PlainText(r.Action), PlainText(r.Outcome),
            PlainText(r.VersionBefore) + " -> " + PlainText(r.VersionAfter),
            std::to_string(r.FilesReplaced) + " replaced, " + std::to_string(r.FilesUnchanged) + " unchanged, " +
                std::to_string(r.FilesAdded) + " added"};
}

std::string plainReport(const std::vector<UpdateRecord>& records)
{
    std::vector<std::array<std::string, columnCount>> rows;
    std::array<std::size_t, columnCount> widths{};
    for (const UpdateRecord& r : records) {
        rows.push_back(columns(r));
        for (std::size_t i = 0; i < columnCount; ++i)
            widths[i] = std::max(widths[i], rows.back()[i].size());
    }
    std::string out;
    for (std::size_t n = 0; n < records.size(); ++n) {
        for (std::size_t i = 0; i < columnCount; ++i)
            out += rows[n][i] + std::string(widths[i] - rows[n][i].size() + 2, ' ');
        out += PlainText(records[n].ProgramFolder);
        if (!records[n].FirstError.empty())
            out += " - " + PlainText(records[n].FirstError);
        out += "\n";
    }
    return out;
}

std::string jsonReport(const std::vector<UpdateRecord>& records)
{
    if (records.empty())
        return "[]\n";
    std::string out = "[\n";
    for (std::size_t n = 0; n < records.size(); ++n)
        out += "  " + UpdateRecordJson(records[n]) + (n + 1 < records.size() ? ",\n" : "\n");
    return out + "]\n";
}
} // namespace

int RunHistoryCommand(const CommandArgs& args)
{
    CommandLine line(false);
    line.AddSwitch({"json"});
    ProgramFolderOption programFolder;
    if (std::optional<int> status = programFolder.ReadCommandLine(line, args, usageText, usageError))
        return *status;

    const std::string folder = programFolder.Folder();
    std::vector<UpdateRecord> records;
    try {
        records = ReadUpdateHistory(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tallyrune-updatectl history: %s\n", PlainText(e.what()).c_str());
        return 1;
    }
    std::string out;
    if (line.IsSet("json"))
        out = jsonReport(records);
    else if (records.empty())
        out = "No updates recorded for " + PlainText(folder) + ".\n";
    else
        out = plainReport(records);
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    return 0;
}
