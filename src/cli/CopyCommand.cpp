// copy [--title TEXT] [--pairs] [--quiet] SOURCE... DEST: the update's copy, from a terminal.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"

#include "platform/copyprogress.h"
#include "platform/system.h"
#include "shell/TabfFileOperation.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char usageText[] = "Usage: tallyrune-updatectl copy [--title TEXT] [--pairs] [--quiet] SOURCE... DEST\n"
                             "  Copies every SOURCE (a file, a folder or a pattern such as 'update/*.*') into the\n"
                             "  folder DEST, overwriting without asking. With --pairs each SOURCE is SRC=DST and\n"
                             "  DEST is the folder relative destinations start from.\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "tallyrune-updatectl copy: %s\n%s", message.c_str(), usageText);
    return 2;
}

std::string systemText(DWORD code)
{
    char text[1024] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s.empty() ? "error " + std::to_string(code) : s;
}

// "3 files copied, 97 unchanged.": what an administrator checks after re-running an update.
void printTotals(const wincompat::CopyProgress& p)
{
    std::printf("%llu file%s copied, %llu unchanged.\n", static_cast<unsigned long long>(p.filesCopied),
                p.filesCopied == 1 ? "" : "s", static_cast<unsigned long long>(p.filesUnchanged));
}

struct CopyOptions {
    std::string title;
    bool pairs = false;
    bool quiet = false;
    std::vector<std::string> operands;
};

// The options, or the exit status when the command ends here (help or a usage error).
std::optional<int> parseOptions(const CommandArgs& args, CopyOptions& options)
{
    CommandLine line(true);
    line.AddSwitch({"h", "help"});
    line.AddValueOption("title");
    line.AddSwitch({"pairs"});
    line.AddSwitch({"quiet"});
    line.Parse(args);
    if (line.IsSet("help")) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (line.Refusal() == CommandLine::Problem::MissingValue)
        return usageError("--title needs a text");
    if (line.Refusal() != CommandLine::Problem::None)
        return usageError("unknown option '" + line.RefusedArgument() + "'");
    options = {line.Value("title"), line.IsSet("pairs"), line.IsSet("quiet"), line.Operands()};
    if (options.operands.size() < 2)
        return usageError("needs at least one SOURCE and a DEST");
    return std::nullopt;
}

// Every operand but the last, or the usage error when one would copy something else than it says.
std::optional<int> takeSources(const CopyOptions& options, TStringList& sources)
{
    const bool pairs = options.pairs;
    for (std::size_t i = 0; i + 1 < options.operands.size(); ++i) {
        const std::string& s = options.operands[i];
        if (s.find_first_of("\r\n\x07") != std::string::npos)
            return usageError("a SOURCE cannot contain line breaks");
        // The component turns the whole list into pairs as soon as one entry holds "=", so a plain
        // path with "=" would silently copy somewhere else.
        if (!pairs && s.find('=') != std::string::npos)
            return usageError("'" + s + "' contains '=': use --pairs and write it as SRC=DST");
        if (pairs && !s.empty() && s[0] == '=')
            return usageError("'" + s + "' has no source before '='");
        sources.Add(s);
    }
    return std::nullopt;
}

// The first file that failed and why, else what the job said.
void reportFailure(const ConsoleProgress& progress, std::string errorText)
{
    while (!errorText.empty() && (errorText.back() == '\n' || errorText.back() == '\r'))
        errorText.pop_back();
    if (!progress.firstPath().empty())
        std::fprintf(stderr, "tallyrune-updatectl copy: cannot copy %s: %s\n", progress.firstPath().c_str(),
                     systemText(progress.firstCode()).c_str());
    else
        std::fprintf(stderr, "tallyrune-updatectl copy: %s\n",
                     errorText.empty() ? "the copy failed" : errorText.c_str());
}

} // namespace

int RunCopyCommand(const CommandArgs& args)
{
    CopyOptions options;
    if (const std::optional<int> ended = parseOptions(args, options))
        return *ended;
    const bool quiet = options.quiet;

    TStringList sources;
    if (const std::optional<int> refused = takeSources(options, sources))
        return *refused;

    ConsoleProgress progress(!quiet && wincompat::standardErrorIsTerminal());
    SinkGuard guard(&progress);

    TabfFileOperation job(nullptr);
    job.SetFileList(sources);
    job.SetDestFolder(options.operands.back());
    job.SetProgressTitle(options.title);
    // The utility's own options; nobody can be asked about a failure here, so the first one stops.
    job.SetOptions({fofNoConfirmation, fofNoConfirmMkDir, fofSimpleProgress, fofNoErrorUI});
    std::string errorText;
    job.SetOnError([&errorText](TabfFileOperation*, const std::string& s, bool& handled) {
        errorText = s;
        handled = true;
    });

    const bool copied = job.Copy();
    if (!quiet && progress.totals())
        printTotals(*progress.totals());
    if (copied)
        return 0;
    reportFailure(progress, errorText);
    return 1;
}
