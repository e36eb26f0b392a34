// versions: what the utility's two version panels would show, computed by the panels' own code.
#include "app/VersionPanels.h"
#include "cli/Commands.h"
#include "cli/TextOutput.h"
#include "platform/system.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

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
    "Exit status: 0 shown, 1 the settings or a file could not be read, 2 usage error.\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "tallyrune-updatectl versions: %s\n", message.c_str());
    std::fputs(usageText, stderr);
    return 2;
}

std::string defaultProgramFolder()
{
    char self[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    std::error_code ec;
    if (n > 0 && n < sizeof self) {
        const std::filesystem::path beside = std::filesystem::path(std::string(self, n)).parent_path();
        if (std::filesystem::is_regular_file(beside / "tallyrune-update", ec))
            return beside.string();
    }
    const std::filesystem::path here = std::filesystem::current_path(ec);
    return ec ? std::string(".") : here.string();
}

std::string plainBlock(const char* title, const VersionListing& panel)
{
    std::string out = std::string(title) + "\n";
    for (const VersionPanelRow& row : VersionPanelRows)
        out += std::string(row.Key) + "=" + PlainText(panel.Values(row.Key)) + "\n";
    return out;
}

std::string jsonObject(const VersionListing& panel)
{
    std::string out = "{";
    for (const VersionPanelRow& row : VersionPanelRows)
        out += (out.size() > 1 ? ", " : "") + JsonString(row.Key) + ": " + JsonString(panel.Values(row.Key));
    return out + "}";
}
} // namespace

int RunVersionsCommand(const CommandArgs& args)
{
    bool json = false;
    std::string folder;
    bool folderGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(usageText, stdout);
            return 0;
        } else if (a == "--json") {
            json = true;
        } else if (a == "--program-folder") {
            if (i + 1 >= args.size())
                return usageError("--program-folder needs a folder");
            folder = args[++i];
            folderGiven = true;
        } else if (a.rfind("--program-folder=", 0) == 0) {
            folder = a.substr(a.find('=') + 1);
            folderGiven = true;
        } else {
            return usageError("unexpected argument '" + PlainText(a) + "'");
        }
    }
    if (folderGiven && folder.empty())
        return usageError("--program-folder needs a folder");
    if (!folderGiven)
        folder = defaultProgramFolder();
    // The utility always knows its folder as a full path.
    std::error_code ec;
    if (const std::filesystem::path full = std::filesystem::absolute(folder, ec); !ec)
        folder = full.string();

    VersionPanelsReading reading;
    try {
        reading = ReadVersionPanels(UtilityInstalledIn(folder));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tallyrune-updatectl versions: %s\n", PlainText(e.what()).c_str());
        return 1;
    }
    std::string out;
    if (json) {
        out = "{\"current\": " + jsonObject(reading.Current) + ", \"update\": " + jsonObject(reading.Update) +
              ", \"update_colour\": " +
              (reading.Update.FontColor() == clUpdateFound ? "\"green\"" : "\"red\"") +
              ", \"update_file\": " + JsonString(reading.UpdateFile) + "}\n";
    } else {
        out = plainBlock("Current Program Version", reading.Current) + "\n" +
              plainBlock("Update Program Version", reading.Update);
    }
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    return 0;
}
