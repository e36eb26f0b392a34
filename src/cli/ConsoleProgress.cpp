#include "cli/ConsoleProgress.h"

#include <cstdio>

namespace {
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

} // namespace

void ConsoleProgress::started(const wincompat::CopyProgress&)
{
    start_ = last_ = Clock::now();
}

void ConsoleProgress::progressed(const wincompat::CopyProgress& p, const char*)
{
    if (!bar_)
        return;
    auto now = Clock::now();
    if (now - last_ < std::chrono::milliseconds(100))
        return;
    last_ = now;
    draw(p, now);
}

void ConsoleProgress::failed(const char* path, DWORD code)
{
    if (firstPath_.empty()) {
        firstPath_ = path;
        firstCode_ = code;
    }
}

void ConsoleProgress::finished(const wincompat::CopyProgress& p, DWORD)
{
    done_ = p;
    if (!bar_)
        return;
    draw(p, Clock::now());
    std::fputc('\n', stderr);
}

void ConsoleProgress::draw(const wincompat::CopyProgress& p, Clock::time_point now)
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
