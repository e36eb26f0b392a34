#pragma once
// The two columns of machine information at the foot of the About box: names on the left,
// values on the right, one line each, lines separated by a carriage return.
#include "platform/wintypes.h"

#include <string>

struct SystemInfoText {
    std::string Names;
    std::string Values;
};

// "Intel Pentium", "Mips R4000", ... or the type number in decimal.
std::string ProcessorName(DWORD processorType);

// NT family: memory and processors; the older family: memory and free system resources.
SystemInfoText FormatSystemInfo(bool ntFamily, ULONGLONG totalPhysicalBytes, DWORD processors, DWORD processorType,
                                int freeResourcesPercent);

// The lines for this machine.
SystemInfoText MachineSystemInfo();

// Whether the platform is of the NT family, as read when the program started.
bool PlatformIsNT();
