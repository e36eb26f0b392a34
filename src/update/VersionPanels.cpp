#include "update/VersionPanels.h"

#include "framework/core/Exceptions.h"
#include "platform/system.h"
#include "settings/SettingsPaths.h"
#include "settings/TLMDIniCtrl.h"
#include "update/MainFormDescription.h"
#include "update/ProgramFolder.h"

void ConfigureAsInMainForm(TComponent& component, const std::string& name)
{
    for (const ComponentDescription& c : MainFormDescription().Components) {
        if (c.Name != name)
            continue;
        component.BeginLoading();
        component.SetName(c.Name);
        for (const auto& [property, value] : c.Properties)
            component.ReadProperty(property, value);
        component.Loaded();
        return;
    }
    throw EComponentError("Component " + name + " not found");
}

UtilityPlace RunningUtility()
{
    // The bare name is found next to the executable first, as Windows finds it; an installed copy
    // names the file in the folder it serves.
    const std::string own = wincompat::moduleFileName();
    const std::string ownFolder = settings::ExtractFilePath(own);
    const std::string folder = ProgramFolderServedFrom(ownFolder);
    return {own, folder, folder == ownFolder ? ProgramFileName : folder + ProgramFileName};
}

UtilityPlace UtilityInstalledIn(const std::string& folder)
{
    std::string programFolder = folder;
    if (programFolder.empty() || programFolder.back() != wincompat::pathDelimiter())
        programFolder += wincompat::pathDelimiter();
    return {programFolder + "tallyrune-update", programFolder, programFolder + ProgramFileName};
}

std::string ReadUpdateFolder(TLMDIniCtrl& settings, const std::string& programFolder)
{
    std::string folder;
    if (!settings.ReadStoredSetting("Application", "Update Path", folder))
        return programFolder + "Update";
    return wincompat::pathBelow(programFolder, folder);
}

std::string UpdateProgramFile(const std::string& updateFolder)
{
    // Taken as stored: nothing trimmed, no test for a trailing delimiter.
    return updateFolder + wincompat::pathDelimiter() + ProgramFileName;
}

VersionPanelsReading ReadVersionPanels(const UtilityPlace& place)
{
    TLMDIniCtrl settings(nullptr);
    ConfigureAsInMainForm(settings, "LMDIniCtrl1");
    TSMVersionInfo currentReader(nullptr), updateReader(nullptr);
    VersionPanelsReading reading;
    RefillCurrentPanel(reading.Current, currentReader, place);
    reading.UpdateFile = RefillUpdatePanel(reading.Update, updateReader, settings, place);
    return reading;
}
