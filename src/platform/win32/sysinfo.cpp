// Windows answers GlobalMemoryStatusEx, GlobalMemoryStatus, GetSystemInfo and GetVersionExA itself.
#include "platform/sysinfo.h"
