// copy [--title TEXT] [--pairs] [--quiet] SOURCE... DEST: the update's copy, from a terminal.
#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"

#include "platform/copyprogress.h"
#include "platform/system.h"
#include "shell/TabfFileOperation.h"

#include <cstdio>
#include <string>

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

} // namespace

int RunCopyCommand(const CommandArgs& args)
{
    std::string title;
    bool pairs = false, quiet = false;
    std::vector<std::string> operands;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
        } else if (options && a == "--title") {
            if (++i == args.size())
                return usageError("--title needs a text");
            title = args[i];
        } else if (options && a.rfind("--title=", 0) == 0) {
            title = a.substr(8);
        } else if (options && a == "--pairs") {
            pairs = true;
        } else if (options && a == "--quiet") {
            quiet = true;
        } else if (options && (a == "--help" || a == "-h")) {
            std::fputs(usageText, stdout);
            return 0;
        } else if (options && a.size() > 1 && a[0] == '-') {
            return usageError("unknown option '" + a + "'");
        } else {
            operands.push_back(a);
        }
    }
    if (operands.size() < 2)
        return usageError("needs at least one SOURCE and a DEST");

    TStringList sources;
    for (std::size_t i = 0; i + 1 < operands.size(); ++i) {
        const std::string& s = operands[i];
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

    ConsoleProgress progress(!quiet && wincompat::standardErrorIsTerminal());
    SinkGuard guard(&progress);

    TabfFileOperation job(nullptr);
    job.SetFileList(sources);
    job.SetDestFolder(operands.back());
    job.SetProgressTitle(title);
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
    while (!errorText.empty() && (errorText.back() == '\n' || errorText.back() == '\r'))
        errorText.pop_back();
    if (!progress.firstPath().empty())
        std::fprintf(stderr, "tallyrune-updatectl copy: cannot copy %s: %s\n", progress.firstPath().c_str(),
                     systemText(progress.firstCode()).c_str());
    else
        std::fprintf(stderr, "tallyrune-updatectl copy: %s\n", errorText.empty() ? "the copy failed" : errorText.c_str());
    return 1;
}
