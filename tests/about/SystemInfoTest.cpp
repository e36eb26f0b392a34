// The machine lines at the foot of the About box, and where a dialog goes on the screen.
#include "about/parts/DialogPlacement.h"
#include "about/parts/SystemInfoText.h"
#include "platform/sysinfo.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

TEST(SystemInfo, ProcessorNamesByType)
{
    const struct {
        DWORD type;
        const char* name;
    } rows[] = {
        {386, "Intel 386"},
        {486, "Intel 486"},
        {586, "Intel Pentium"},
        {2000, "Mips R2000"},
        {3000, "Mips R3000"},
        {4000, "Mips R4000"},
        {21064, "Alpha 21064"},
        {8664, "8664"},
        {587, "587"},
        {4001, "4001"},
        {0, "0"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ProcessorName(row.type), row.name) << row.type;
}

TEST(SystemInfo, NtFamilyLines)
{
    const SystemInfoText text = FormatSystemInfo(true, 16ull << 30, 4, 586, 0);
    EXPECT_EQ(text.Names, "Available Memory:\rPlatform, CPU:");
    EXPECT_EQ(text.Values, "16777216 KB\r4x Intel Pentium or compatible");
    EXPECT_EQ(FormatSystemInfo(true, 1024, 1, 8664, 0).Values, "1 KB\r1x 8664 or compatible");
}

TEST(SystemInfo, MemoryIsTruncatedToWholeKilobytesWithoutOverflow)
{
    EXPECT_EQ(FormatSystemInfo(true, 1023, 1, 586, 0).Values.substr(0, 5), "0 KB\r");
    EXPECT_EQ(FormatSystemInfo(true, 2047, 1, 586, 0).Values.substr(0, 5), "1 KB\r");
    // 8 TiB: past what a 32-bit count of kilobytes holds.
    EXPECT_EQ(FormatSystemInfo(true, 8ull << 40, 1, 586, 0).Values.substr(0, 14), "8589934592 KB\r");
}

TEST(SystemInfo, OlderFamilyShowsFreeResources)
{
    const SystemInfoText text = FormatSystemInfo(false, 64ull << 20, 1, 586, 37);
    EXPECT_EQ(text.Names, "Available Memory:\rSystem Resources:");
    EXPECT_EQ(text.Values, "65536 KB\r37% free");
}

TEST(SystemInfo, ThisMachine)
{
    // The kernel's own count of memory, processors and the machine type.
    std::ifstream meminfo("/proc/meminfo");
    std::string label;
    unsigned long long kb = 0;
    meminfo >> label >> kb;
    ASSERT_EQ(label, "MemTotal:");
    std::ostringstream expected;
    expected << kb << " KB\r" << sysconf(_SC_NPROCESSORS_ONLN) << "x ";
    const SystemInfoText text = MachineSystemInfo();
    EXPECT_TRUE(PlatformIsNT());
    EXPECT_EQ(text.Names, "Available Memory:\rPlatform, CPU:");
    EXPECT_EQ(text.Values.substr(0, expected.str().size()), expected.str());
#if defined(__x86_64__)
    EXPECT_EQ(text.Values.substr(expected.str().size()), "8664 or compatible");
#endif
}

TEST(SystemInfo, OlderMemoryQueryCapsAt32Bits)
{
    MEMORYSTATUSEX ex{};
    ex.dwLength = sizeof ex;
    ASSERT_TRUE(GlobalMemoryStatusEx(&ex));
    MEMORYSTATUS old{};
    GlobalMemoryStatus(&old);
    EXPECT_EQ(old.dwTotalPhys, ex.ullTotalPhys > 0xFFFFFFFFull ? 0xFFFFFFFFu : ex.ullTotalPhys);
    MEMORYSTATUSEX wrongSize{};
    wrongSize.dwLength = sizeof wrongSize - 1;
    EXPECT_FALSE(GlobalMemoryStatusEx(&wrongSize));
}

TEST(DialogPlacement, EveryPositionWithinTheRectangle)
{
    const TRect r{100, 50, 900, 650}; // 800 x 600
    const struct {
        TLMDDlgPosition position;
        QPoint at;
    } rows[] = {
        {bpCustom, {100, 50}},       {bpTopLeft, {100, 50}},     {bpTopCenter, {400, 50}},
        {bpTopRight, {700, 50}},     {bpCenterLeft, {100, 250}}, {bpCenter, {400, 250}},
        {bpCenterRight, {700, 250}}, {bpBottomLeft, {100, 450}}, {bpBottomCenter, {400, 450}},
        {bpBottomRight, {700, 450}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DialogPlacement(row.position, r, 200, 200, 1920, 1080), row.at) << row.position;
}

TEST(DialogPlacement, HalvesTruncateTowardZero)
{
    // 3 spare pixels give 1; -3 (a window wider than the rectangle) give -1, not -2.
    EXPECT_EQ(DialogPlacement(bpCenter, {100, 100, 303, 303}, 200, 200, 1920, 1080), QPoint(101, 101));
    EXPECT_EQ(DialogPlacement(bpCenter, {100, 100, 297, 297}, 200, 200, 1920, 1080), QPoint(99, 99));
}

TEST(DialogPlacement, KeptOnTheDesktop)
{
    // Past the right and bottom edges: pulled back so the window just fits.
    EXPECT_EQ(DialogPlacement(bpBottomRight, {0, 0, 2000, 1200}, 300, 200, 1920, 1080), QPoint(1620, 880));
    EXPECT_EQ(DialogPlacement(bpTopLeft, {1700, 900, 2000, 1200}, 300, 200, 1920, 1080), QPoint(1620, 880));
    // Exactly touching the edges stays.
    EXPECT_EQ(DialogPlacement(bpTopLeft, {1620, 880, 1920, 1080}, 300, 200, 1920, 1080), QPoint(1620, 880));
    // Larger than the desktop, or left of it: at 0.
    EXPECT_EQ(DialogPlacement(bpCenter, {0, 0, 1920, 1080}, 2000, 1100, 1920, 1080), QPoint(0, 0));
    EXPECT_EQ(DialogPlacement(bpTopLeft, {-50, -20, 100, 100}, 30, 30, 1920, 1080), QPoint(0, 0));
}
