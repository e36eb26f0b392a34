#include "about/parts/SystemInfoText.h"

#include "about/AboutStrings.h"
#include "platform/sysinfo.h"

namespace {
bool readPlatformFamily()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    // Were the query to fail, the family every supported system belongs to.
    return !GetVersionExA(&info) || info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

const bool ntPlatform = readPlatformFamily();

ULONGLONG totalPhysicalMemory()
{
    MEMORYSTATUSEX ex{};
    ex.dwLength = sizeof ex;
    if (GlobalMemoryStatusEx(&ex))
        return ex.ullTotalPhys;
    MEMORYSTATUS old{};
    old.dwLength = sizeof old;
    GlobalMemoryStatus(&old);
    return old.dwTotalPhys;
}
} // namespace

bool PlatformIsNT()
{
    return ntPlatform;
}

std::string ProcessorName(DWORD processorType)
{
    switch (processorType) {
    case PROCESSOR_INTEL_386: return "Intel 386";
    case PROCESSOR_INTEL_486: return "Intel 486";
    case PROCESSOR_INTEL_PENTIUM: return "Intel Pentium";
    case PROCESSOR_MIPS_R2000:
    case PROCESSOR_MIPS_R3000:
    case PROCESSOR_MIPS_R4000: return "Mips R" + std::to_string(processorType);
    case PROCESSOR_ALPHA_21064: return "Alpha 21064";
    default: return std::to_string(processorType);
    }
}

SystemInfoText FormatSystemInfo(bool ntFamily, ULONGLONG totalPhysicalBytes, DWORD processors, DWORD processorType,
                                int freeResourcesPercent)
{
    using namespace about_strings;
    // In KB as a 64-bit count, so that a machine with terabytes of memory still reads right.
    const std::string memory = std::to_string(totalPhysicalBytes / 1024) + " KB";
    if (ntFamily)
        return {std::string(AvailableMemory) + "\r" + PlatformCPU,
                memory + "\r" + std::to_string(processors) + "x " + ProcessorName(processorType) + " " + OrCompatible};
    return {std::string(AvailableMemory) + "\r" + SystemResources,
            memory + "\r" + std::to_string(freeResourcesPercent) + "% " + Free};
}

SystemInfoText MachineSystemInfo()
{
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    // Free system resources exist only on the older family, which this program no longer meets.
    return FormatSystemInfo(ntPlatform, totalPhysicalMemory(), info.dwNumberOfProcessors, info.dwProcessorType, 0);
}
