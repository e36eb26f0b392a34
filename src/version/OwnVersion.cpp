#include "version/OwnVersion.h"

#include "platform/system.h"
#include "version/TSMVersionInfo.h"

std::string OwnVersionLine(const std::string& programName)
{
    TSMVersionInfo info(nullptr);
    info.SetFileName(wincompat::moduleFileName());
    const std::string version = info.FileVersion();
    // A build whose resource was not embedded still answers, and says so.
    return programName + " " + (version.empty() ? std::string("(no version information)") : version);
}
