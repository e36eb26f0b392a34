#include "platform/sysinfo.h"

#include "platform/system.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace {
DWORD capped(ULONGLONG value)
{
    return static_cast<DWORD>(std::min<ULONGLONG>(value, std::numeric_limits<DWORD>::max()));
}

struct Processor {
    WORD architecture;
    DWORD type;
    WORD level;
};

// The values Windows gives for the same processor.
Processor processorOf(const std::string& machine)
{
    if (machine == "x86_64" || machine == "amd64")
        return {PROCESSOR_ARCHITECTURE_AMD64, PROCESSOR_AMD_X8664, 6};
    if (machine == "i386")
        return {PROCESSOR_ARCHITECTURE_INTEL, PROCESSOR_INTEL_386, 3};
    if (machine == "i486")
        return {PROCESSOR_ARCHITECTURE_INTEL, PROCESSOR_INTEL_486, 4};
    if (machine == "i586" || machine == "i686")
        return {PROCESSOR_ARCHITECTURE_INTEL, PROCESSOR_INTEL_PENTIUM, static_cast<WORD>(machine[1] - '0')};
    if (machine == "ia64")
        return {PROCESSOR_ARCHITECTURE_IA64, PROCESSOR_INTEL_IA64, 1};
    if (machine == "aarch64" || machine == "arm64")
        return {PROCESSOR_ARCHITECTURE_ARM64, 0, 0};
    if (machine.rfind("arm", 0) == 0)
        return {PROCESSOR_ARCHITECTURE_ARM, 0, 0};
    return {PROCESSOR_ARCHITECTURE_UNKNOWN, 0, 0};
}
} // namespace

BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status)
{
    if (status == nullptr || status->dwLength != sizeof(MEMORYSTATUSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct sysinfo si {};
    if (sysinfo(&si) != 0) {
        SetLastError(wincompat::errorFromErrno(errno));
        return FALSE;
    }
    const ULONGLONG unit = si.mem_unit != 0 ? si.mem_unit : 1;
    status->ullTotalPhys = ULONGLONG{si.totalram} * unit;
    status->ullAvailPhys = (ULONGLONG{si.freeram} + si.bufferram) * unit;
    status->dwMemoryLoad =
        status->ullTotalPhys == 0 ? 0 : static_cast<DWORD>(100 - status->ullAvailPhys * 100 / status->ullTotalPhys);
    status->ullTotalPageFile = status->ullTotalPhys + ULONGLONG{si.totalswap} * unit;
    status->ullAvailPageFile = status->ullAvailPhys + ULONGLONG{si.freeswap} * unit;
    // A process's address space: what the pointer width spans.
    status->ullTotalVirtual = sizeof(void*) == 8 ? (ULONGLONG{1} << 47) : (ULONGLONG{1} << 31);
    status->ullAvailVirtual = status->ullTotalVirtual;
    status->ullAvailExtendedVirtual = 0;
    return TRUE;
}

void GlobalMemoryStatus(MEMORYSTATUS* status)
{
    if (status == nullptr)
        return;
    MEMORYSTATUSEX ex{};
    ex.dwLength = sizeof ex;
    if (!GlobalMemoryStatusEx(&ex))
        return;
    status->dwLength = sizeof(MEMORYSTATUS);
    status->dwMemoryLoad = ex.dwMemoryLoad;
    status->dwTotalPhys = capped(ex.ullTotalPhys);
    status->dwAvailPhys = capped(ex.ullAvailPhys);
    status->dwTotalPageFile = capped(ex.ullTotalPageFile);
    status->dwAvailPageFile = capped(ex.ullAvailPageFile);
    status->dwTotalVirtual = capped(ex.ullTotalVirtual);
    status->dwAvailVirtual = capped(ex.ullAvailVirtual);
}

void GetSystemInfo(SYSTEM_INFO* info)
{
    if (info == nullptr)
        return;
    std::memset(info, 0, sizeof *info);
    struct utsname u {};
    const Processor p = uname(&u) == 0 ? processorOf(u.machine) : Processor{PROCESSOR_ARCHITECTURE_UNKNOWN, 0, 0};
    info->wProcessorArchitecture = p.architecture;
    info->dwProcessorType = p.type;
    info->wProcessorLevel = p.level;
    const long page = sysconf(_SC_PAGESIZE);
    info->dwPageSize = page > 0 ? static_cast<DWORD>(page) : 4096;
    info->dwAllocationGranularity = 65536;
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(std::uintptr_t{0x10000});
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(~std::uintptr_t{0} >> 17);
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    info->dwNumberOfProcessors = online > 0 ? static_cast<DWORD>(online) : 1;
    const unsigned maskBits = static_cast<unsigned>(sizeof(std::uintptr_t) * 8);
    info->dwActiveProcessorMask = info->dwNumberOfProcessors >= maskBits
                                      ? ~std::uintptr_t{0}
                                      : (std::uintptr_t{1} << info->dwNumberOfProcessors) - 1;
}

BOOL GetVersionExA(OSVERSIONINFOA* info)
{
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    info->dwMajorVersion = info->dwMinorVersion = info->dwBuildNumber = 0;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    // The kernel's release ("6.1.0-13-amd64") gives the version numbers.
    struct utsname u {};
    if (uname(&u) == 0) {
        unsigned major = 0, minor = 0, build = 0;
        std::sscanf(u.release, "%u.%u.%u", &major, &minor, &build);
        info->dwMajorVersion = major;
        info->dwMinorVersion = minor;
        info->dwBuildNumber = build;
    }
    return TRUE;
}
