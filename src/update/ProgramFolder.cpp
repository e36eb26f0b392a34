#include "update/ProgramFolder.h"

#include "platform/system.h"
#include "settings/SettingsPaths.h"

namespace {
std::string ownFolder()
{
    // The folder keeps its trailing delimiter.
    return settings::ExtractFilePath(wincompat::moduleFileName());
}
} // namespace

std::string ProgramFolderOf(const std::string& exeFolder, const std::string& systemBinFolder,
                            const std::string& systemProgramFolder)
{
    if (!systemBinFolder.empty() && exeFolder == systemBinFolder)
        return systemProgramFolder;
    return exeFolder;
}

std::string ProgramFolderServedFrom(const std::string& exeFolder)
{
    return ProgramFolderOf(exeFolder, TALLYRUNE_SYSTEM_BIN_FOLDER, TALLYRUNE_SYSTEM_PROGRAM_FOLDER);
}

std::string ProgramFolder()
{
    return ProgramFolderServedFrom(ownFolder());
}
