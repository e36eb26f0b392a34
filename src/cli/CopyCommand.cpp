// copy [--title TEXT] [--pairs] [--quiet] SOURCE... DEST: the update's copy, from a terminal.
#include "cli/Commands.h"

#include "platform/copyprogress.h"
#include "platform/system.h"
#include "shell/TabfFileOperation.h"

#include <chrono>
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

std::string size(double bytes)
{
    const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    int u = 0;
    while (bytes >= 1024 && u < 4) {
        bytes /= 1024;
        ++u;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, u == 0 ? "%.0f %s" : "%.1f %s", bytes, units[u]);
    return buf;
}

// Remembers the failures so that the message names the file; draws a bar when asked to.
class ConsoleProgress : public wincompat::CopyProgressSink {
public:
    explicit ConsoleProgress(bool bar) : bar_(bar) {}

    void started(const wincompat::CopyProgress&) override { start_ = last_ = Clock::now(); }

    void progressed(const wincompat::CopyProgress& p, const char*) override
    {
        if (!bar_)
            return;
        auto now = Clock::now();
        if (now - last_ < std::chrono::milliseconds(100))
            return;
        last_ = now;
        draw(p, now);
    }

    void failed(const char* path, DWORD code) override
    {
        if (firstPath_.empty()) {
            firstPath_ = path;
            firstCode_ = code;
        }
    }

    void finished(const wincompat::CopyProgress& p, DWORD) override
    {
        if (!bar_)
            return;
        draw(p, Clock::now());
        std::fputc('\n', stderr);
    }

    const std::string& firstPath() const { return firstPath_; }
    DWORD firstCode() const { return firstCode_; }

private:
    using Clock = std::chrono::steady_clock;

    void draw(const wincompat::CopyProgress& p, Clock::time_point now)
    {
        double seconds = std::chrono::duration<double>(now - start_).count();
        double rate = seconds > 0 ? static_cast<double>(p.bytesDone) / seconds : 0;
        double fraction = p.bytesTotal ? static_cast<double>(p.bytesDone) / static_cast<double>(p.bytesTotal) : 1;
        if (fraction > 1)
            fraction = 1;
        constexpr int width = 30;
        int filled = static_cast<int>(fraction * width);
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.resize(width, ' ');
        std::string left = "--:--";
        if (rate > 0 && p.bytesTotal >= p.bytesDone) {
            long s = static_cast<long>(static_cast<double>(p.bytesTotal - p.bytesDone) / rate);
            char buf[32];
            std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
            left = buf;
        }
        std::fprintf(stderr, "\r[%s] %3d%%  %s of %s  %s/s  %s left ", bar.c_str(), static_cast<int>(fraction * 100),
                     size(static_cast<double>(p.bytesDone)).c_str(), size(static_cast<double>(p.bytesTotal)).c_str(),
                     size(rate).c_str(), left.c_str());
        std::fflush(stderr);
    }

    bool bar_;
    Clock::time_point start_ = Clock::now(), last_ = Clock::now();
    std::string firstPath_;
    DWORD firstCode_ = 0;
};

// Installs the sink for one run and takes it away again, also when an exception passes.
class SinkGuard {
public:
    explicit SinkGuard(wincompat::CopyProgressSink* sink) : previous_(wincompat::setCopyProgressSink(sink)) {}
    ~SinkGuard() { wincompat::setCopyProgressSink(previous_); }

private:
    wincompat::CopyProgressSink* previous_;
};

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

    if (job.Copy())
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
