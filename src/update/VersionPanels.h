#pragma once
// The two version panels' rules, in one place for the main window and for the companion's
// "versions" command: which rows a panel shows, which file each panel reads, how a refill runs
// and when the update panel is green or red.
#include "framework/core/TColor.h"
#include "framework/core/TStrings.h"
#include "version/TSMVersionInfo.h"

#include <array>
#include <string>

class TComponent;
class TLMDIniCtrl;

// Gives a component the stored settings that the main window gives its component of that name.
void ConfigureAsInMainForm(TComponent& component, const std::string& name);

struct VersionPanelRow {
    const char* Key;
    int Index; // of the reader's string
};
inline constexpr std::array<VersionPanelRow, 4> VersionPanelRows{{
    {"Product Name", 7},
    {"Product Version", 8},
    {"File Version", 3},
    {"Legal Copyright", 5},
}};

// Shown for a value the reader did not give; the update procedure compares against it.
inline constexpr char NotAvailable[] = "Not Available";
inline constexpr char ProgramFileName[] = "Tallyrune.exe";
// The update panel's text: an update copy that names its product, or none.
inline constexpr TColor clUpdateFound = 0x008000;
inline constexpr TColor clUpdateMissing = 0x0000FF;

// Where a utility stands, as its panels need it.
struct UtilityPlace {
    std::string OwnPath;       // the utility's executable, passed through the readers
    std::string ProgramFolder; // its folder, ending with the path delimiter
    std::string CurrentFile;   // the installed program, as its reader is given it
};

// The running utility: the installed program by its bare name, found next to the executable.
UtilityPlace RunningUtility();
// A utility installed in folder, as seen from another program.
UtilityPlace UtilityInstalledIn(const std::string& folder);

// "Update Path" in section "Application" as stored (a relative one taken below the program folder),
// or the program folder followed by "Update" when there is no such value. Only an absent value
// takes the default: a settings store that fails raises its error, so that a damaged store never
// sends the update to the default folder.
std::string ReadUpdateFolder(TLMDIniCtrl& settings, const std::string& programFolder);
std::string UpdateProgramFile(const std::string& updateFolder);

// Empties a panel by deleting its first row as many times as it had rows. A panel of one row
// (blank or a single entry) is left alone, so the blank row of an empty panel is never deleted.
template <class Panel> void EmptyVersionPanel(Panel& panel)
{
    const int rows = panel.RowCount();
    if (rows > 1)
        for (int i = 0; i < rows; ++i)
            panel.DeleteRow(0);
}

template <class Panel> void FillVersionPanel(Panel& panel, const TSMVersionInfo& reader)
{
    for (const VersionPanelRow& row : VersionPanelRows) {
        const std::string value = reader.GetVersionString(row.Index);
        panel.SetValues(row.Key, value.empty() ? std::string(NotAvailable) : value);
    }
}

// The reader reads only when its name changes: naming the utility first makes every refill
// read the file afresh, even when it was replaced under the same name.
template <class Panel> void RefillCurrentPanel(Panel& panel, TSMVersionInfo& reader, const UtilityPlace& place)
{
    EmptyVersionPanel(panel);
    reader.SetFileName(place.OwnPath);
    reader.SetFileName(place.CurrentFile);
    FillVersionPanel(panel, reader);
}

// Returns the file it read. The settings are read on every refill, so a changed "Update Path"
// is followed at once. Settings that cannot be read raise the store's error, the panel left empty:
// never an update read from a default folder that the update itself would refuse.
template <class Panel>
std::string RefillUpdatePanel(Panel& panel, TSMVersionInfo& reader, TLMDIniCtrl& settings, const UtilityPlace& place)
{
    EmptyVersionPanel(panel);
    reader.SetFileName(place.OwnPath);
    const std::string file = UpdateProgramFile(ReadUpdateFolder(settings, place.ProgramFolder));
    reader.SetFileName(file);
    panel.SetFontColor(reader.ProductName().empty() ? clUpdateMissing : clUpdateFound);
    FillVersionPanel(panel, reader);
    return file;
}

// A version panel without a window: the entries and text colour that the grid would show.
class VersionListing {
public:
    int RowCount() const { return entries_.Count() == 0 ? 1 : entries_.Count(); }
    void DeleteRow(int row)
    {
        if (row >= 0 && row < entries_.Count())
            entries_.Delete(row);
    }
    void SetValues(const std::string& key, const std::string& value) { entries_.SetValue(key, value); }
    std::string Values(const std::string& key) const { return entries_.Values(key); }
    void SetFontColor(TColor color) { fontColor_ = color; }
    TColor FontColor() const { return fontColor_; }
    const TStrings& Strings() const { return entries_; }

private:
    TStrings entries_;
    TColor fontColor_ = clWindowText;
};

struct VersionPanelsReading {
    VersionListing Current;
    VersionListing Update;
    std::string UpdateFile;
};

// Both panels as the main window fills them when shown, with readers and a settings store set
// up as the window's. Raises what the reader or the settings store raise.
VersionPanelsReading ReadVersionPanels(const UtilityPlace& place);
