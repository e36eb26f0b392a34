#include "update/ProgramFolder.h"

#include "platform/system.h"
#include "settings/SettingsPaths.h"

std::string ProgramFolder()
{
    // The folder keeps its trailing delimiter.
    return settings::ExtractFilePath(wincompat::moduleFileName());
}
