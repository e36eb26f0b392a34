// versions: what the utility's two version panels would show, computed by the panels' own code.
#include "cli/Commands.h"
#include "cli/ProgramFolderOption.h"
#include "cli/ReadableFile.h"
#include "cli/TextOutput.h"
#include "platform/system.h"
#include "update/VersionPanels.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {
const char usageText[] =
    "Usage: tallyrune-updatectl versions [--json] [--program-folder DIR]\n"
    "\n"
    "Shows what the update utility's two version panels would show for a utility installed in DIR:\n"
    "the installed DIR/Tallyrune.exe (\"Current Program Version\") and the Tallyrune.exe in the update\n"
    "folder (\"Update Program Version\"), which is the \"Update Path\" setting, or DIR/Update.\n"
    "\n"
    "  --program-folder DIR  the utility's program folder; by default the folder of the\n"
    "                        tallyrune-update that stands next to this program, else the\n"
    "                        current folder\n"
    "  --json                one JSON object: \"current\", \"update\", \"update_colour\" (green when the\n"
    "                        update copy names its product, else red) and \"update_file\"\n"
    "\n"
    "The settings are read from the registry below $WINCOMPAT_ROOT, or /var/lib/wincompat.\n"
    "Exit status: 0 shown; 1 the settings could not be read, or a Tallyrune.exe is missing or cannot\n"
    "be read (the panels are still shown, the reason on standard error); 2 usage error.\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "tallyrune-updatectl versions: %s\n", message.c_str());
    std::fputs(usageText, stderr);
    return 2;
}

std::string plainBlock(const char* title, const VersionListing& panel)
{
    std::string out = std::string(title) + "\n";
    for (const VersionPanelRow& row : VersionPanelRows)
        out += std::string(row.Key) + "=" + PlainText(panel.Values(row.Key)) + "\n";
    return out;
}

std::string jsonReport(const VersionPanelsReading& reading)
{
    return JsonLine(JsonLayout::Spaced)
               .Add("current", VersionListingJson(reading.Current))
               .Add("update", VersionListingJson(reading.Update))
               .Add("update_colour", reading.Update.FontColor() == clUpdateFound ? "green" : "red")
               .Add("update_file", JsonText(reading.UpdateFile))
               .Text() +
           "\n";
}

} // namespace

int RunVersionsCommand(const CommandArgs& args)
{
    CommandLine line(false);
    line.AddSwitch({"json"});
    ProgramFolderOption programFolder;
    if (std::optional<int> status = programFolder.ReadCommandLine(line, args, usageText, usageError))
        return *status;

    VersionPanelsReading reading;
    const UtilityPlace place = UtilityInstalledIn(programFolder.Folder());
    try {
        reading = ReadVersionPanels(place);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tallyrune-updatectl versions: %s\n", PlainText(e.what()).c_str());
        return 1;
    }
    const std::string out = line.IsSet("json") ? jsonReport(reading)
                                               : plainBlock("Current Program Version", reading.Current) + "\n" +
                                                     plainBlock("Update Program Version", reading.Update);
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    // The panels show "Not Available" alike for a missing file and for one without version
    // information; a script is told which files were not there to read.
    int status = 0;
    for (const std::string& file : {place.CurrentFile, reading.UpdateFile})
        if (const std::optional<std::string> reason = UnreadableFileReason(file)) {
            std::fprintf(stderr, "tallyrune-updatectl versions: %s: %s\n", PlainText(file).c_str(),
                         PlainText(*reason).c_str());
            status = 1;
        }
    return status;
}
